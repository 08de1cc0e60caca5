#include "asdpc/lehrer_asd_writer.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "pages/table_commands.h"
#include "support/test_workspace.h"

namespace velmoran::asdpc {
namespace {

namespace fs = std::filesystem;
using app::Page;

const Text warningCaption = "Velmoran 2021 / Lehrer_ASD.TXT schreiben";

// Append a record and set its fields as the grid would.
void addRow(store::Table& t, std::initializer_list<std::pair<const char*, const char*>> fields) {
  t.append();
  const std::uint32_t recno = t.recno();
  for (const auto& [field, value] : fields) ASSERT_TRUE(pages::setField(t, recno, field, value));
}

struct Writer : test::TestWorkspace {
  Writer() {
    ws().settings.schoolNumber = "123456";
    ws().settings.minuteModel = "";
  }
  // Write (also when the check finds errors) and give the file's lines (without CR LF), or
  // nothing when no file was written.
  std::vector<std::string> write() {
    const fs::path out = dir() / "LEHRER_ASD.TXT";
    ui().files.push_back(out);
    ui().writeAnswers = {app::WriteAnswer::write};
    writeLehrerAsd(ws(), ui());
    std::vector<std::string> lines;
    if (!fs::exists(out)) return lines;
    std::string bytes = test::readBytes(out);
    for (std::size_t start = 0, end; (end = bytes.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      lines.push_back(bytes.substr(start, end - start));
    return lines;
  }
};

TEST(FormatHours, TwoDecimalsPaddedWithZerosToSevenCharacters) {
  EXPECT_EQ(formatHours(25.5), "0025.50");
  EXPECT_EQ(formatHours(1147.5), "1147.50");
  EXPECT_EQ(formatHours(0), "0000.00");
  EXPECT_EQ(formatHours(-0.0), "0000.00");
  EXPECT_EQ(formatHours(9999.99), "9999.99");
  EXPECT_EQ(formatHours(0.005), "0000.01");
}

TEST(FormatHours, TenThousandAndMoreDoNotFit) {
  EXPECT_EQ(formatHours(10000), std::nullopt);
  EXPECT_EQ(formatHours(9999.995), std::nullopt);  // rounds up to 10000.00
  EXPECT_EQ(formatHours(123456.78), std::nullopt);
}

TEST(WriteLehrerAsd, AsksForTheFileWithTheDialogOfTheCommand) {
  Writer w;
  writeLehrerAsd(w.ws(), w.ui());  // cancelled
  ASSERT_EQ(w.ui().fileRequests.size(), 1u);
  const app::FileRequest& r = w.ui().fileRequests[0];
  EXPECT_EQ(r.caption, "Velmoran 2021 / LEHRER_ASD.TXT schreiben");
  EXPECT_EQ(r.proposedName, "LEHRER_ASD.TXT");
  EXPECT_EQ(r.directory, w.ws().dataDir());
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].pattern, "LEHRER_ASD.TXT");
  EXPECT_EQ(r.filters[0].description, "ASDPC Importdatei");
  EXPECT_TRUE(w.ui().messages.empty());
}

TEST(WriteLehrerAsd, WithoutSchoolNumberWarnsAndLeavesAnEarlierFileAsItWas) {
  Writer w;
  w.ws().settings.schoolNumber = "      ";
  test::writeBytes(w.dir() / "LEHRER_ASD.TXT", "old");
  w.write();
  // The check's question comes first, answered "write anyway".
  ASSERT_EQ(w.ui().messages.size(), 2u);
  EXPECT_EQ(w.ui().messages[0].kind, "question");
  const auto& m = w.ui().messages.back();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, warningCaption);
  EXPECT_EQ(m.text,
            "Sie haben Ihre Schulnummer noch nicht eingegeben !\r\n"
            "Bitte tragen Sie die Schulnummer unter Hilfe / Info ein !");
  EXPECT_EQ(test::readBytes(w.dir() / "LEHRER_ASD.TXT"), "old");
}

TEST(WriteLehrerAsd, WithoutSchoolNumberCreatesNoFile) {
  Writer w;
  w.ws().settings.schoolNumber = "";
  EXPECT_TRUE(w.write().empty());
  EXPECT_FALSE(fs::exists(w.dir() / "LEHRER_ASD.TXT"));
}

TEST(WriteLehrerAsd, AFileThatCannotBeCreatedIsReportedInsteadOfSuccess) {
  Writer w;
  const fs::path target = w.dir() / "folder";
  fs::create_directory(target);
  w.ui().files.push_back(target);
  writeLehrerAsd(w.ws(), w.ui());
  const auto& m = w.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, warningCaption);
  EXPECT_EQ(m.text, "Die Datei " + target.string() + " kann nicht geschrieben werden !");
  EXPECT_TRUE(fs::is_directory(target));
}

#ifdef __linux__
TEST(WriteLehrerAsd, AFailingWriteIsReportedAndTheDeviceStays) {
  Writer w;
  w.ui().files.push_back("/dev/full");
  writeLehrerAsd(w.ws(), w.ui());
  const auto& m = w.ui().onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text, "Die Datei /dev/full kann nicht geschrieben werden !");
  struct stat st {};
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}
#endif

TEST(WriteLehrerAsd, HoursTooWideForTheFieldWriteNoFileAndNameTheTeachers) {
  Writer w;
  addRow(w.table(Page::Lehrer), {{"UNTIS_KRZ", "MUE"}, {"LNAME", "Müller"}});
  addRow(w.table(Page::MehrMinder), {{"ART", "LS"}, {"UNTIS_KRZ", "MUE"}, {"USTD", "12345"}});
  addRow(w.table(Page::MehrMinder),
         {{"ART", "66"}, {"UNTIS_KRZ", "XY"}, {"USTD", "6000"}, {"MEHR", "110"}});
  addRow(w.table(Page::MehrMinder),
         {{"ART", "66"}, {"UNTIS_KRZ", "XY"}, {"USTD", "4000"}, {"MEHR", "110"}});
  test::writeBytes(w.dir() / "LEHRER_ASD.TXT", "old");
  w.write();
  // The check's question comes first, answered "write anyway".
  ASSERT_EQ(w.ui().messages.size(), 2u);
  EXPECT_EQ(w.ui().messages[0].kind, "question");
  const auto& m = w.ui().messages.back();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.caption, warningCaption);
  EXPECT_EQ(m.text, "Die Datei " + (w.dir() / "LEHRER_ASD.TXT").string() +
                        " wurde nicht geschrieben: diese Stunden passen nicht in das Stundenfeld "
                        "(höchstens 9999.99) !\r\nMUE: 12345.00\r\nXY: 10000.00");
  EXPECT_EQ(test::readBytes(w.dir() / "LEHRER_ASD.TXT"), "old");
}

TEST(WriteLehrerAsd, LessonLengthIsSixtyOnlyWithTheMinuteModelAndMinutesAboveZero) {
  struct Case {
    const char* model;
    const char* minutes;
    const char* line;
  };
  for (const Case& c :
       {Case{"", "45,00", "6012345645"}, Case{"J", "0", "6012345645"}, Case{"J", "", "6012345645"},
        Case{"J", "45,00", "6012345660"}, Case{"J", "62,25", "6012345660"}}) {
    Writer w;
    w.ws().settings.minuteModel = c.model;
    w.ws().settings.minutes = c.minutes;
    auto lines = w.write();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], c.line) << c.model << " " << c.minutes;
  }
}

TEST(WriteLehrerAsd, SchoolLineIsOneShorterForAOneLetterSchoolForm) {
  Writer w;
  w.ws().settings.schoolForm = "R =Realschule";
  auto lines = w.write();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "00123456010120V700V100         R2020 2021VELMORAN");
  EXPECT_EQ(lines[0].size(), 49u);
}

TEST(WriteLehrerAsd, TeacherHoursComeFromTheFirstLsRowAmongEightRows) {
  Writer w;
  addRow(w.table(Page::Lehrer), {{"UNTIS_KRZ", "AA"}, {"LNAME", "A"}});
  addRow(w.table(Page::Lehrer), {{"UNTIS_KRZ", "BB"}, {"LNAME", "B"}});
  store::Table& mm = w.table(Page::MehrMinder);
  // AA: the LS row is the eighth of its rows; BB: the ninth, out of reach.
  for (int i = 0; i < 7; ++i) addRow(mm, {{"ART", "65"}, {"UNTIS_KRZ", "AA"}, {"NICHT", "510"}});
  addRow(mm, {{"ART", "LS"}, {"UNTIS_KRZ", "AA"}, {"USTD", "21.5"}});
  for (int i = 0; i < 8; ++i) addRow(mm, {{"ART", "66"}, {"UNTIS_KRZ", "BB"}, {"MEHR", "110"}});
  addRow(mm, {{"ART", "LS"}, {"UNTIS_KRZ", "BB"}, {"USTD", "22"}});
  auto lines = w.write();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2].substr(2 + 6 + 4 + 30 + 20 + 6 + 1 + 1 + 3 + 1 + 2 + 1, 7), "0021.50");
  EXPECT_EQ(lines[3].substr(2 + 6 + 4 + 30 + 20 + 6 + 1 + 1 + 3 + 1 + 2 + 1, 7), "0000.00");
}

TEST(WriteLehrerAsd, TeacherAbbreviationIsSoughtWithoutCaseFolding) {
  Writer w;
  addRow(w.table(Page::Lehrer), {{"UNTIS_KRZ", "ab"}, {"LNAME", "Abel"}});
  addRow(w.table(Page::MehrMinder), {{"ART", "LS"}, {"UNTIS_KRZ", "AB"}, {"USTD", "20"}});
  auto lines = w.write();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2].substr(2 + 6, 4), "ab  ");
  EXPECT_EQ(lines[2].substr(2 + 6 + 4 + 30 + 20 + 6 + 1 + 1 + 3 + 1 + 2 + 1, 7), "0000.00");
}

TEST(WriteLehrerAsd, HourLinesSumPerKeyAndAZeroSumIsWrittenAsZero) {
  Writer w;
  store::Table& mm = w.table(Page::MehrMinder);
  addRow(mm, {{"ART", "67"},
              {"UNTIS_KRZ", "ZZ"},
              {"USTD", "1.5"},
              {"MINDER", "200=Pflichtstundenermäßigung aus Altersgründen"}});
  addRow(mm, {{"ART", "67"}, {"UNTIS_KRZ", "ZZ"}, {"USTD", "2.25"}, {"MINDER", "210"}});
  addRow(mm, {{"ART", "67"}, {"UNTIS_KRZ", "ZZ"}, {"USTD", "0.75"}, {"MINDER", "200"}});
  addRow(mm, {{"ART", "67"}, {"UNTIS_KRZ", "ZZ"}, {"USTD", "-2.25"}, {"MINDER", "210"}});
  auto lines = w.write();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "67123456ZZ  0002.25200");
  EXPECT_EQ(lines[3], "67123456ZZ  0000.00210");
}

}  // namespace
}  // namespace velmoran::asdpc
