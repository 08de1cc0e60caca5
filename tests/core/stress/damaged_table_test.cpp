// A damaged table file never crashes the start: it is opened with what it holds (and its
// header repaired by the start-up maintenance), or refused with a German warning that names
// the file. Either way no other table file is touched.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "support/test_workspace.h"
#include "untis/gpu002_import.h"

namespace velmoran {
namespace {

namespace fs = std::filesystem;

struct Header {
  std::uint32_t count;
  std::uint16_t headerLength;
  std::uint16_t recordLength;
};

Header headerOf(const std::string& bytes) {
  Header h{};
  std::memcpy(&h.count, bytes.data() + 4, 4);
  std::memcpy(&h.headerLength, bytes.data() + 8, 2);
  std::memcpy(&h.recordLength, bytes.data() + 10, 2);
  return h;
}

class DamagedTable : public ::testing::Test {
protected:
  void SetUp() override {
    {
      test::TestWorkspace t;
      untis::importGpu002(t.ws(), t.ui(),
                          test::sourceDir() / "tests/fixtures/untis/gpu002_comma/GPU002.TXT");
      t.restart();  // the deleted records of the import packed away
      dir = t.dir();
      keep = std::make_unique<test::TempDir>();
      // Entry by entry: MinGW's fs::copy takes two existing folders for the same one.
      for (const auto& e : fs::directory_iterator(dir))
        fs::copy(e.path(), keep->path() / e.path().filename(), fs::copy_options::recursive);
    }
    dir = keep->path();
    // Start once more so every file is as a clean start leaves it.
    ASSERT_TRUE(test::startOn(dir, ui));
    gpsul = dir / "gpsul.dbf";
    bytes = test::readBytes(gpsul);
    header = headerOf(bytes);
    ASSERT_GE(header.count, 3u);
    others = otherTables();
    ui.messages.clear();
  }

  std::map<std::string, std::string> otherTables() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.path().extension() == ".dbf" && e.path().filename() != "gpsul.dbf")
        files[e.path().filename().string()] = test::readBytes(e.path());
    return files;
  }

  std::size_t recordOffset(std::uint32_t recno) const {
    return header.headerLength + std::size_t{recno - 1} * header.recordLength;
  }

  // Start on the damaged directory; the header of a table that opened agrees with its length.
  std::unique_ptr<app::Workspace> start() {
    auto ws = test::startOn(dir, ui);
    EXPECT_TRUE(otherTables() == others) << "another table file changed";
    if (ws) {
      ws->closeTables();
      const std::string now = test::readBytes(gpsul);
      const Header h = headerOf(now);
      const std::size_t expected = h.headerLength + std::size_t{h.count} * h.recordLength;
      EXPECT_TRUE(now.size() == expected || now.size() == expected + 1)
          << "header says " << h.count << " records, file has " << now.size() << " bytes";
      EXPECT_TRUE(ws->openTables());
    }
    return ws;
  }

  test::ScriptedUi ui;
  std::unique_ptr<test::TempDir> keep;
  fs::path dir;
  fs::path gpsul;
  std::string bytes;
  Header header{};
  std::map<std::string, std::string> others;
};

TEST_F(DamagedTable, TruncatedLastRecordIsDroppedAndTheRestKept) {
  test::writeBytes(gpsul, std::string_view(bytes).substr(0, recordOffset(header.count) + 7));
  auto ws = start();
  ASSERT_TRUE(ws);
  store::Table& t = ws->table(app::Page::Gpsul);
  EXPECT_EQ(t.lastRec(), header.count - 1);
  t.goTo(1);
  EXPECT_EQ(t.getText("UNR"), "12");
}

TEST_F(DamagedTable, HeaderCountLargerThanTheFileOpensWhatTheFileHolds) {
  const std::uint32_t tooMany = header.count + 5000;
  std::memcpy(bytes.data() + 4, &tooMany, 4);
  test::writeBytes(gpsul, bytes);
  auto ws = start();
  ASSERT_TRUE(ws);
  EXPECT_EQ(ws->table(app::Page::Gpsul).lastRec(), header.count);
}

TEST_F(DamagedTable, GarbageInANumericFieldReadsAsNoNumber) {
  const std::string klasseBefore = bytes.substr(recordOffset(1) + 1 + 8 + 24, 20);
  std::memcpy(bytes.data() + recordOffset(1) + 1, "#x!\x01\xff 9z", 8);  // UNR, N(8)
  test::writeBytes(gpsul, bytes);
  auto ws = start();
  ASSERT_TRUE(ws);
  store::Table& t = ws->table(app::Page::Gpsul);
  EXPECT_EQ(t.lastRec(), header.count);
  t.goTo(1);
  EXPECT_EQ(t.getNumber("UNR"), 0);
  EXPECT_EQ(t.getRaw(5), klasseBefore);
}

// A header length that does not fit the fields: the table is refused by name, or opened.
TEST_F(DamagedTable, WrongHeaderLengthNeverCrashesTheStart) {
  for (std::uint16_t length :
       {std::uint16_t(header.headerLength + 7), std::uint16_t(40), std::uint16_t(0xFFFF)}) {
    SCOPED_TRACE(length);
    std::string damaged = bytes;
    std::memcpy(damaged.data() + 8, &length, 2);
    test::writeBytes(gpsul, damaged);
    ui.messages.clear();
    auto ws = start();
    if (!ws) {
      const test::Message& m = ui.onlyMessage();
      EXPECT_EQ(m.kind, "warning");
      EXPECT_EQ(m.text,
                "Die Tabelle " + (dir / "gpsul.dbf").string() + " kann nicht geöffnet werden !");
      EXPECT_EQ(test::readBytes(gpsul), damaged) << "the refused table was overwritten";
    }
  }
}

TEST_F(DamagedTable, FileOfGarbageIsRefusedByName) {
  std::string garbage(5000, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 131 + 7);
  test::writeBytes(gpsul, garbage);
  auto ws = start();
  ASSERT_FALSE(ws);
  const test::Message& m = ui.onlyMessage();
  EXPECT_EQ(m.kind, "warning");
  EXPECT_EQ(m.text,
            "Die Tabelle " + (dir / "gpsul.dbf").string() + " kann nicht geöffnet werden !");
  EXPECT_EQ(test::readBytes(gpsul), garbage);
}

}  // namespace
}  // namespace velmoran
