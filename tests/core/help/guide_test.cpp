#include "help/guide.h"

#include <gtest/gtest.h>

#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace velmoran::help {
namespace {

namespace fs = std::filesystem;

auto existing(std::initializer_list<const char*> files) {
  std::vector<Text> list(files.begin(), files.end());
  return
      [list](const Text& file) { return std::find(list.begin(), list.end(), file) != list.end(); };
}

TEST(ReaderFromAppPath, QuotesAndAListOfFoldersStillGiveTheReaderInTheFirst) {
  auto reader =
      readerFromAppPath(Text("\"C:\\Program Files\\Adobe\\Reader\";C:\\Other;"), "AcroRd32.exe",
                        false, existing({"C:\\Program Files\\Adobe\\Reader\\AcroRd32.exe"}));
  EXPECT_EQ(reader, "C:\\Program Files\\Adobe\\Reader\\AcroRd32.exe");
}

TEST(ReaderFromAppPath, AcrobatsValueLosesItsSurroundingBlanks) {
  auto exists = existing({"C:\\Acrobat\\Acrobat.exe"});
  EXPECT_EQ(readerFromAppPath(Text("  C:\\Acrobat  "), "Acrobat.exe", true, exists),
            "C:\\Acrobat\\Acrobat.exe");
  EXPECT_EQ(readerFromAppPath(Text("  C:\\Acrobat  "), "Acrobat.exe", false, exists), std::nullopt);
}

TEST(ReaderFromAppPath, NoValueOrNoFileIsNoReader) {
  EXPECT_EQ(readerFromAppPath(std::nullopt, "AcroRd32.exe", false, existing({})), std::nullopt);
  EXPECT_EQ(readerFromAppPath(Text("C:\\Reader"), "AcroRd32.exe", false, existing({})),
            std::nullopt);
}

constexpr const char* guideText = "Kurzanleitung\r\nF3 drücken\r\n";

// A program folder and a data folder, both empty; the guide look-up needs nothing else.
struct Folders {
  test::TempDir dir;
  fs::path program = dir / "program";
  fs::path data = dir / "data";
  app::Workspace ws{program, data};
  test::ScriptedUi ui;
  Folders() {
    fs::create_directory(program);
    fs::create_directory(data);
  }
};

TEST(ShowKurz, StartsTheReaderWithTheGuideDocument) {
  Folders t;
  test::writeBytes(t.data / guidePdfName, "%PDF-1.4");
  test::writeBytes(t.data / guideTextName, guideText);
  EXPECT_EQ(showKurz(t.ws, t.ui, fs::path("/usr/bin/reader")), std::nullopt);
  ASSERT_EQ(t.ui.launches.size(), 1u);
  EXPECT_EQ(t.ui.launches[0].program, fs::path("/usr/bin/reader"));
  EXPECT_EQ(t.ui.launches[0].parameters, std::vector<Text>{(t.data / guidePdfName).string()});
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(ShowKurz, AReaderWithoutTheDocumentShowsTheTextGuide) {
  Folders t;
  test::writeBytes(t.data / guideTextName, guideText);
  EXPECT_EQ(showKurz(t.ws, t.ui, fs::path("/usr/bin/reader")), guideText);
  EXPECT_TRUE(t.ui.launches.empty());
  EXPECT_TRUE(t.ui.messages.empty());
}

TEST(ShowKurz, TheDocumentWithoutAReaderShowsTheTextGuide) {
  Folders t;
  test::writeBytes(t.data / guidePdfName, "%PDF-1.4");
  test::writeBytes(t.data / guideTextName, guideText);
  EXPECT_EQ(showKurz(t.ws, t.ui, std::nullopt), guideText);
  EXPECT_TRUE(t.ui.launches.empty());
}

TEST(ShowKurz, AUtf8TextGuideIsShownInTheProgramsCharacterSet) {
  Folders t;
  test::writeBytes(t.data / guideTextName,
                   "\xEF\xBB\xBF"
                   "F3 dr\xC3\xBC"
                   "cken\r\n");
  EXPECT_EQ(showKurz(t.ws, t.ui, std::nullopt), "F3 drücken\r\n");
}

TEST(ShowKurz, WithoutAnyGuideWarns) {
  Folders t;
  EXPECT_EQ(showKurz(t.ws, t.ui, std::nullopt), std::nullopt);
  const auto& m = t.ui.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021 / Kurzanleitung");
  EXPECT_EQ(m.text, "Die Kurzanleitung wurde nicht gefunden !");
}

TEST(GuideFile, TheDataDirectoryComesBeforeTheProgramDirectory) {
  Folders t;
  test::writeBytes(t.program / guideTextName, "program");
  EXPECT_EQ(guideFile(t.ws, guideTextName), t.program / guideTextName);
  EXPECT_EQ(showKurz(t.ws, t.ui, std::nullopt), "program");
  test::writeBytes(t.data / "VORGEHENSWEISE_VELMORAN.TXT", "data");
#ifdef _WIN32
  // The file system ignores case: the name as asked for is the file.
  EXPECT_TRUE(
      fs::equivalent(guideFile(t.ws, guideTextName), t.data / "VORGEHENSWEISE_VELMORAN.TXT"));
#else
  EXPECT_EQ(guideFile(t.ws, guideTextName), t.data / "VORGEHENSWEISE_VELMORAN.TXT");
#endif
  EXPECT_EQ(showKurz(t.ws, t.ui, std::nullopt), "data");
}

TEST(GuideFile, NeitherFolderHoldingItGivesTheDataDirectorysPath) {
  Folders t;
  EXPECT_EQ(guideFile(t.ws, guidePdfName), t.data / guidePdfName);
}

}  // namespace
}  // namespace velmoran::help
