// The three writers (UVD.TXT, LEHRER_ASD.TXT, the list of the check) never replace a file of
// the program's data, and a write that fails keeps the file it was to replace.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "asdpc/lehrer_asd_writer.h"
#include "asdpc/plausibility.h"
#include "asdpc/uvd_txt_writer.h"
#include "support/test_workspace.h"

namespace velmoran::asdpc {
namespace {

namespace fs = std::filesystem;

struct Writer {
  const char* name;
  const char* caption;  // of its warnings
  std::function<void(app::Workspace&, app::Ui&)> run;
};

const Writer writers[] = {
    {"WriteUvd", "Velmoran 2021 / UVD.TXT schreiben",
     [](app::Workspace& ws, app::Ui& ui) { writeUvd(ws, ui); }},
    {"WriteLehrerAsd", "Velmoran 2021 / Lehrer_ASD.TXT schreiben",
     [](app::Workspace& ws, app::Ui& ui) { writeLehrerAsd(ws, ui); }},
    {"SaveFindings", "Velmoran 2021 / Prüfliste speichern",
     [](app::Workspace& ws, app::Ui& ui) { saveFindings(ws, ui, {}); }},
};

// Every file of the data directory and of SECURE, by path.
std::map<fs::path, std::string> allFiles(const fs::path& dir) {
  std::map<fs::path, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[e.path()] = test::readBytes(e.path());
  return files;
}

class WriteTarget : public ::testing::TestWithParam<Writer> {
protected:
  WriteTarget() {
    t.ws().settings.schoolNumber = "123456";
    test::writeBytes(t.dir() / "VELMORAN_Column.INI", "layouts");
    t.table(app::Page::Uvd).append();
    t.table(app::Page::Uvd).put("KLASSE", "05A");
    t.ws().closeTables();
    EXPECT_TRUE(t.ws().openTables());
  }

  // Write to `target` (also when the check finds errors); the last message shown.
  test::Message writeTo(const fs::path& target) {
    t.ui().messages.clear();
    t.ui().files.push_back(target);
    t.ui().writeAnswers = {app::WriteAnswer::write};
    GetParam().run(t.ws(), t.ui());
    return t.ui().messages.empty() ? test::Message{} : t.ui().messages.back();
  }

  test::TestWorkspace t;
};

TEST_P(WriteTarget, RefusesTheFilesOfTheDataDirectoryWhateverTheirCase) {
  const auto before = allFiles(t.dir());
  for (const char* name : {"gpsul.dbf", "LEHRER.DBF", "Uvd.Dbf", "UNR.NTX", "klasse.ntx",
                           "velmoran.ini", "VELMORAN_COLUMN.INI", "untis.ini"}) {
    const fs::path target = t.dir() / name;
    const test::Message m = writeTo(target);
    EXPECT_EQ(m.kind, "warning") << name;
    EXPECT_EQ(m.caption, GetParam().caption) << name;
    EXPECT_EQ(m.text, "Die Datei " + target.string() +
                          " gehört zu den Daten von Velmoran 2021 und wird nicht überschrieben "
                          "!\r\nBitte wählen Sie einen anderen Dateinamen.")
        << name;
  }
  EXPECT_EQ(allFiles(t.dir()), before);
}

TEST_P(WriteTarget, RefusesAnyFileInTheBackupFolder) {
  const auto before = allFiles(t.dir());
  for (const fs::path& target : {t.dir() / "SECURE" / "UVD.TXT", t.dir() / "SECURE" / "x.txt",
                                 t.dir() / "SECURE" / "lehrer.dbf"}) {
    const test::Message m = writeTo(target);
    EXPECT_EQ(m.kind, "warning") << target;
    EXPECT_EQ(m.text, "Die Datei " + target.string() +
                          " liegt im Sicherungsordner SECURE und wird nicht geschrieben !\r\n"
                          "Bitte wählen Sie einen anderen Ordner.")
        << target;
  }
  EXPECT_EQ(allFiles(t.dir()), before);
}

TEST_P(WriteTarget, WritesTextFilesBesideTheTablesAndTablesElsewhere) {
  for (const char* name : {"UVD.TXT", "LEHRER_ASD.TXT", "PRUEFUNG.TXT"}) {
    EXPECT_NE(writeTo(t.dir() / name).kind, "warning") << name;
    EXPECT_TRUE(fs::exists(t.dir() / name)) << name;
  }
  // A name like a table's in another folder is the person's own business.
  fs::create_directory(t.dir() / "export");
  EXPECT_NE(writeTo(t.dir() / "export" / "gpsul.dbf").kind, "warning");
  EXPECT_TRUE(fs::exists(t.dir() / "export" / "gpsul.dbf"));
}

#ifndef _WIN32
TEST_P(WriteTarget, RefusesALinkToATable) {
  fs::create_directory(t.dir() / "export");
  fs::create_symlink(t.dir() / "gpsul.dbf", t.dir() / "export" / "UVD.TXT");
  const std::string gpsul = test::readBytes(t.dir() / "gpsul.dbf");
  EXPECT_EQ(writeTo(t.dir() / "export" / "UVD.TXT").kind, "warning");
  EXPECT_EQ(test::readBytes(t.dir() / "gpsul.dbf"), gpsul);
}
#endif

// The temporary file beside the target cannot be made (as on a full disk): the previous file
// stays whole, and no temporary file is left.
TEST_P(WriteTarget, AFailedWriteKeepsThePreviousFile) {
  const fs::path target = t.dir() / "ALT.TXT";
  test::writeBytes(target, "the previous export\r\n");
  fs::create_directory(t.dir() / "ALT.TXT.tmp");
  const test::Message m = writeTo(target);
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text, "Die Datei " + target.string() + " kann nicht geschrieben werden !");
  EXPECT_EQ(test::readBytes(target), "the previous export\r\n");
  EXPECT_TRUE(fs::is_empty(t.dir() / "ALT.TXT.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Writers, WriteTarget, ::testing::ValuesIn(writers),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmoran::asdpc
