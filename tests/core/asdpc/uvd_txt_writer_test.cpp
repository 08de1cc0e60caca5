#include "asdpc/uvd_txt_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/code_page.h"
#include "support/test_workspace.h"

namespace velmoran::asdpc {
namespace {

using app::Page;
namespace fs = std::filesystem;

const std::string header =
    "\"Klasse\";\"TKM\";\"Jahrg\";\"Kursart\";\"WoStd\";\"Fach\";\"Lehrer\";\"SchGes\";"
    "\"SchWeibl\";\"USprache\";\"Fremde\";\"Bildungsgang\";\"Produktname\";\"Produktversion\"\r\n";

struct Values {
  Text klasse, teilklasse, jahrgang, kursart;
  double wstd = 0;
  Text fach, lehrer;
  double pupils = 0, female = 0;
  Text bilingual, fremde;
};

void add(store::Table& uvd, const Values& v) {
  uvd.append();
  uvd.put("KLASSE", v.klasse);
  uvd.put("TEILKLASSE", v.teilklasse);
  uvd.put("JAHRGANG", v.jahrgang);
  uvd.put("KURSART", v.kursart);
  uvd.put("WSTD", v.wstd);
  uvd.put("FACH", v.fach);
  uvd.put("LEHRER", v.lehrer);
  uvd.put("SCHUELER_G", v.pupils);
  uvd.put("SCHUELER_W", v.female);
  uvd.put("BILINGUAL", v.bilingual);
  uvd.put("FREMDE", v.fremde);
  uvd.flush();
}

// The file to write to; written also when the check finds errors in the records.
fs::path chooseFile(test::TestWorkspace& t, const fs::path& file) {
  t.ui().files.push_back(file);
  t.ui().writeAnswers = {app::WriteAnswer::write};
  return file;
}

TEST(WriteUvd, AsksForUvdTxtInTheDataDirectoryAndCancelWritesNothing) {
  test::TestWorkspace t;
  writeUvd(t.ws(), t.ui());
  ASSERT_EQ(t.ui().fileRequests.size(), 1u);
  const app::FileRequest& r = t.ui().fileRequests[0];
  EXPECT_EQ(r.caption, "Velmoran 2021 / UVD.TXT schreiben");
  EXPECT_EQ(r.directory, t.ws().dataDir());
  EXPECT_EQ(r.proposedName, "UVD.TXT");
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "UVD.TXT");
  EXPECT_EQ(r.filters[0].description, "ASDPC Importdatei");
  EXPECT_TRUE(t.ui().messages.empty());
  EXPECT_FALSE(fs::exists(t.dir() / "UVD.TXT"));
}

TEST(WriteUvd, AnEmptyTableGivesTheHeaderLineOnly) {
  test::TestWorkspace t;
  const fs::path file = chooseFile(t, t.dir() / "UVD.TXT");
  writeUvd(t.ws(), t.ui());
  EXPECT_EQ(test::readBytes(file), header);
  EXPECT_EQ(header.size(), 142u + 2u);
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "info");
  EXPECT_EQ(m.caption, "Velmoran 2021 / UVD.Txt schreiben");
  EXPECT_EQ(m.text, "Der Export der Daten ist abgeschlossen !");
}

TEST(WriteUvd, EachVisibleRecordIsOneLineInRecordOrder) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  add(uvd, {"  5A", "T", " 05 ", "00=Pflichtunterricht für Teile von Klassen", 2.5, "D =Deutsch",
            "MÜL", 27, 14, "E=englisch", "ja"});
  add(uvd, {"Klasse12", "", "", "7", 3, "GEZ1", " A B ", 0, 0, " ", ""});
  add(uvd, {"06A", "", "", "", 2, "M", "GONE", 1, 1, "", ""});
  uvd.remove();
  add(uvd, {});
  add(uvd, {"5\"A", "", "", "", 0.25, "", "X;Y", 3, 1, "", ""});
  uvd.goTo(4);
  const fs::path file = chooseFile(t, t.dir() / "UVD.TXT");
  writeUvd(t.ws(), t.ui());
  EXPECT_EQ(
      test::readBytes(file),
      header +
          "\"5A\";\"T\";\"05\";\"00\";3;\"D\";\"M\xDCL\";27;14;\"E\";\"ja\";\"\";\"Velmoran\";"
          "\"2021\"\r\n"
          "\"Klasse\";\"\";\"\";\"7\";3;\"GE\";\"A B\";0;0;\"\";\"\";\"\";\"Velmoran\";\"2021\"\r\n"
          "\"\";\"\";\"\";\"\";0;\"\";\"\";0;0;\"\";\"\";\"\";\"Velmoran\";\"2021\"\r\n"
          "\"5\"A\";\"\";\"\";\"\";1;\"\";\"X;Y\";3;1;\"\";\"\";\"\";\"Velmoran\";\"2021\"\r\n");
  EXPECT_EQ(uvd.recno(), 1u);
}

// Many records, every seventh deleted: every visible one in order, each exactly once.
TEST(WriteUvd, ManyRecordsComeOutInOrderEachOnce) {
  test::TestWorkspace t;
  store::Table& uvd = t.table(Page::Uvd);
  std::string expected = header;
  for (int i = 1; i <= 2601; ++i) {
    const Text n = std::to_string(i);
    uvd.append();
    uvd.put("KLASSE", "K" + n);
    uvd.put("LEHRER", "L" + n);
    uvd.put("WSTD", i % 5 + 0.5);
    uvd.put("SCHUELER_G", i % 31);
    if (i % 7 == 0) {
      uvd.remove();
      continue;
    }
    expected += "\"" + ("K" + n).substr(0, 6) + "\";\"\";\"\";\"\";" + std::to_string(i % 5 + 1) +
                ";\"\";\"L" + n + "\";" + std::to_string(i % 31) +
                ";0;\"\";\"\";\"\";\"Velmoran\";\"2021\"\r\n";
  }
  uvd.flush();
  const fs::path file = chooseFile(t, t.dir() / "UVD.TXT");
  writeUvd(t.ws(), t.ui());
  EXPECT_EQ(test::readBytes(file), expected);
  EXPECT_EQ(t.ui().messages.back().kind, "info");
}

TEST(WriteUvd, ReplacesAnExistingFile) {
  test::TestWorkspace t;
  const fs::path file = chooseFile(t, t.dir() / "UVD.TXT");
  test::writeBytes(file, std::string(1000, 'x'));
  writeUvd(t.ws(), t.ui());
  EXPECT_EQ(test::readBytes(file), header);
}

TEST(WriteUvd, AFileThatCannotBeCreatedIsReportedWithItsPath) {
  test::TestWorkspace t;
  add(t.table(Page::Uvd), {"05A", "", "", "", 2, "D", "A", 1, 1, "", ""});
  const fs::path folder = t.dir() / "UVD.TXT";
  fs::create_directory(folder);
  chooseFile(t, folder);
  writeUvd(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, "Velmoran 2021 / UVD.TXT schreiben");
  EXPECT_EQ(m.text, "Die Datei " + folder.string() + " kann nicht geschrieben werden !");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(t.table(Page::Uvd).recno(), 1u);
}

TEST(WriteUvd, ThePathInTheMessageIsWindows1252) {
  test::TestWorkspace t;
  const fs::path file = t.dir() / fs::path(u8"Übung") / "UVD.TXT";  // the folder is missing
  chooseFile(t, file);
  writeUvd(t.ws(), t.ui());
  const Text expected =
      store::utf8ToWindows1252(reinterpret_cast<const char*>(file.u8string().c_str()));
  EXPECT_NE(expected.find("\xDC"
                          "bung"),
            Text::npos);
  EXPECT_EQ(t.ui().onlyMessage().text,
            "Die Datei " + expected + " kann nicht geschrieben werden !");
}

#ifdef __linux__
TEST(WriteUvd, AFailedWriteIsReportedInsteadOfTheSuccess) {
  const fs::path full = "/dev/full";
  if (!fs::exists(full)) GTEST_SKIP() << "no /dev/full";
  test::TestWorkspace t;
  add(t.table(Page::Uvd), {"05A", "", "", "", 2, "D", "A", 1, 1, "", ""});
  chooseFile(t, full);
  writeUvd(t.ws(), t.ui());
  const auto& m = t.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text, "Die Datei /dev/full kann nicht geschrieben werden !");
  EXPECT_TRUE(fs::exists(full));  // a device is not ours to remove

  // With many records the writing stops at the failure and reports it the same way.
  store::Table& uvd = t.table(Page::Uvd);
  for (int i = 0; i < 20000; ++i) {
    uvd.append();
    uvd.put("KLASSE", "05A");
  }
  uvd.flush();
  chooseFile(t, full);
  t.ui().messages.clear();
  writeUvd(t.ws(), t.ui());
  EXPECT_EQ(t.ui().onlyMessage().text, "Die Datei /dev/full kann nicht geschrieben werden !");
}
#endif

}  // namespace
}  // namespace velmoran::asdpc
