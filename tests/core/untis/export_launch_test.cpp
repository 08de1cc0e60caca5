#include "untis/export_launch.h"

#include <gtest/gtest.h>

#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "untis/untis_ini.h"

namespace velmoran::untis {
namespace {

namespace fs = std::filesystem;

struct LaunchFixture {
  test::TempDir dir;
  app::Workspace ws{test::programDir(), dir.path()};
  test::ScriptedUi ui;
  Text target(const char* name) const { return ws.dataDirText() + name; }
};

const Text dbExe = "C:\\Programme\\Untis\\Untis.exe";
const Text fileExe = "D:\\Untis 2022\\Untis.exe";

void expectTwentySecondsCountedDown(const test::ScriptedUi& ui) {
  EXPECT_EQ(ui.pauses, std::vector<int>(20, 1000));
  ASSERT_EQ(ui.pauseStatus.size(), 20u);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(ui.pauseStatus[static_cast<std::size_t>(i)],
              "Untis exportiert … noch " + std::to_string(20 - i) + " Sekunden");
}

TEST(ExportLaunch, DatabaseCaseStartsUntisWithDbUserPasswordAndTarget) {
  LaunchFixture f;
  f.ws.AUNTIS_ARRAY = {
      dbExe, "DB~04B02~2021-2022~1", padRight("  sekretariat", 50), padRight(" geh eim", 50), "",
      ""};
  auto target = launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt");
  ASSERT_TRUE(target);
  EXPECT_EQ(*target, f.dir / "gpu002.txt");
  ASSERT_EQ(f.ui.launches.size(), 1u);
  EXPECT_EQ(f.ui.launches[0].program, fs::path(dbExe));
  EXPECT_EQ(f.ui.launches[0].parameters,
            (std::vector<Text>{"DB=DB~04B02~2021-2022~1", "/user=sekretariat", "/pw=geh eim",
                               "/exp2=" + f.target("gpu002.txt")}));
  expectTwentySecondsCountedDown(f.ui);
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(ExportLaunch, FileCaseStartsUntisWithTheUntisFileAndTarget) {
  LaunchFixture f;
  f.ws.AUNTIS_ARRAY = {"", "", "", "", " " + fileExe + " ", " D:\\Plan\\Schule 2021.gpn "};
  auto target = launchExport(f.ws, f.ui, gpu004Switch, "gpu004.txt");
  ASSERT_TRUE(target);
  EXPECT_EQ(*target, f.dir / "gpu004.txt");
  ASSERT_EQ(f.ui.launches.size(), 1u);
  EXPECT_EQ(f.ui.launches[0].program, fs::path(fileExe));
  EXPECT_EQ(f.ui.launches[0].parameters,
            (std::vector<Text>{"D:\\Plan\\Schule 2021.gpn", "/exp4=" + f.target("gpu004.txt")}));
  expectTwentySecondsCountedDown(f.ui);
}

TEST(ExportLaunch, DatabaseCaseWinsWhenBothAreFilled) {
  LaunchFixture f;
  f.ws.AUNTIS_ARRAY = {dbExe, "DB1", "u", "p", fileExe, "D:\\Plan.gpn"};
  ASSERT_TRUE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  ASSERT_EQ(f.ui.launches.size(), 1u);
  EXPECT_EQ(f.ui.launches[0].program, fs::path(dbExe));
  EXPECT_EQ(f.ui.launches[0].parameters[0], "DB=DB1");
}

TEST(ExportLaunch, DeletesTheTargetBeforeStartingUntis) {
  LaunchFixture f;
  test::writeBytes(f.dir / "gpu002.txt", "old export\r\n");
  f.ws.AUNTIS_ARRAY = {dbExe, "DB1", "u", "p"};
  ASSERT_TRUE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  EXPECT_FALSE(fs::exists(f.dir / "gpu002.txt"));
}

TEST(ExportLaunch, NeitherCaseStartsNothingWaitsNotAndKeepsTheTarget) {
  for (std::vector<Text> entries :
       std::vector<std::vector<Text>>{{},
                                      std::vector<Text>(6),
                                      {dbExe},                           // only one entry
                                      {dbExe, "   ", "u", "p", "", ""},  // database name of blanks
                                      {"", "DB1", "u", "p", fileExe, ""},  // neither pair complete
                                      {"", "", "", "", fileExe}}) {  // file case needs six entries
    LaunchFixture f;
    test::writeBytes(f.dir / "gpu002.txt", "kept\r\n");
    f.ws.AUNTIS_ARRAY = entries;
    EXPECT_FALSE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
    EXPECT_TRUE(f.ui.launches.empty());
    EXPECT_TRUE(f.ui.pauses.empty());
    EXPECT_EQ(test::readBytes(f.dir / "gpu002.txt"), "kept\r\n");
  }
}

TEST(ExportLaunch, AnEmptyListIsFilledFromUntisIniFirst) {
  LaunchFixture f;
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, {dbExe, "DB1", "user", "secret", "", ""}));
  ASSERT_TRUE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY.size(), 6u);
  ASSERT_EQ(f.ui.launches.size(), 1u);
  EXPECT_EQ(f.ui.launches[0].parameters[1], "/user=user");
  EXPECT_EQ(f.ui.launches[0].parameters[2], "/pw=secret");
}

TEST(ExportLaunch, AFourLineUntisIniServesTheDatabaseCase) {
  LaunchFixture f;
  test::writeBytes(f.dir / "Untis.ini", dbExe + "\r\nDB1\r\n" + scramble(padRight("u", 50)) +
                                            "\r\n" + scramble(padRight("p", 50)) + "\r\n");
  ASSERT_TRUE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  EXPECT_EQ(f.ui.launches[0].parameters,
            (std::vector<Text>{"DB=DB1", "/user=u", "/pw=p", "/exp2=" + f.target("gpu002.txt")}));
}

TEST(ExportLaunch, AFourLineUntisIniCannotServeTheFileCase) {
  LaunchFixture f;
  test::writeBytes(f.dir / "Untis.ini", "\r\n\r\n" + scramble(padRight("", 50)) + "\r\n" +
                                            scramble(padRight("", 50)) + "\r\n" + fileExe);
  EXPECT_FALSE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  EXPECT_EQ(f.ws.AUNTIS_ARRAY.size(), 4u);
  EXPECT_TRUE(f.ui.launches.empty());
}

TEST(ExportLaunch, AListAlreadyHeldIsUsedWithoutRereadingTheFile) {
  LaunchFixture f;
  ASSERT_TRUE(untisDialogSave(f.ws, f.ui, {dbExe, "DB-saved", "", "", "", ""}));
  // The dialog was closed with other values than it saved.
  untisDialogClose(f.ws, {dbExe, "DB-closed", "", "", "", ""});
  ASSERT_TRUE(launchExport(f.ws, f.ui, gpu002Switch, "gpu002.txt"));
  EXPECT_EQ(f.ui.launches[0].parameters[0], "DB=DB-closed");
}

}  // namespace
}  // namespace velmoran::untis
