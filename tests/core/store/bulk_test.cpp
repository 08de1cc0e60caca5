// Work on all the records of a table at once: replace-by-marking and the replacement of a
// table's records by those a command appends.

#include "store/bulk.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.h"
#include "table_fixture.h"

namespace velmoran::store {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;
using namespace testing;
using Recnos = std::vector<std::uint32_t>;

std::vector<std::string> liveNames(Table& t) {
  std::vector<std::string> out;
  for (t.goTop(); !t.eof(); t.skip()) out.push_back(t.getText("NAME"));
  return out;
}

TEST(MarkAllDeleted, MarksEveryRecordAndKeepsOrderAndVisibility) {
  TempDir dir;
  auto t = nameTable(dir / "t.dbf", {"b", "a", "c"});
  ASSERT_TRUE(t->createOrder(dir / "t.ntx", "NAME").ok());
  t->setOrder(1);
  t->goTo(2);
  t->remove();
  markAllDeleted(*t);
  EXPECT_EQ(t->order(), 1);
  EXPECT_FALSE(t->deletedVisible());
  EXPECT_TRUE(t->eof());
  t->showDeleted(true);
  EXPECT_EQ(walk(*t), (Recnos{2, 1, 3}));
  for (std::uint32_t r = 1; r <= 3; ++r) {
    t->goTo(r);
    EXPECT_TRUE(t->deleted()) << r;
  }
}

// The old records stay in the file marked deleted, the new ones follow them; a record the
// fill goes back to and changes is indexed with its last value, and the index file is the
// one an order kept in memory gives.
TEST(ReplaceTables, MarksTheOldRecordsAndIndexesTheNewOnes) {
  TempDir dir;
  auto t = nameTable(dir / "t.dbf", {"old2", "old1"});
  ASSERT_TRUE(t->createOrder(dir / "t.ntx", "NAME").ok());
  t->setOrder(1);
  ASSERT_TRUE(replaceTables([&](Replacement& replacement) {
                Table& target = replacement.add(*t, Replacement::Start::deleted);
                for (const char* name : {"m", "z", "a"}) {
                  target.append();
                  target.put("NAME", name);
                }
                target.goTo(4);
                target.put("NAME", "b");
                return true;
              }).ok());
  EXPECT_EQ(t->recno(), 5u);  // on the first record of the order: "a"
  EXPECT_EQ(liveNames(*t), (std::vector<std::string>{"a", "b", "m"}));
  t->showDeleted(true);
  EXPECT_EQ(walk(*t), (Recnos{5, 4, 3, 2, 1}));
  t.reset();

  auto again = openTable(dir / "t.dbf");
  ASSERT_TRUE(again->createOrder(dir / "memory.ntx", "NAME").ok());
  EXPECT_EQ(readBytes(dir / "t.ntx"), readBytes(dir / "memory.ntx"));
  again->goTo(1);
  EXPECT_TRUE(again->deleted());
  again->goTo(3);
  EXPECT_FALSE(again->deleted());
}

TEST(ReplaceTables, AFillThatAppendsNothingLeavesNoLiveRecord) {
  TempDir dir;
  auto t = nameTable(dir / "t.dbf", {"x", "y"});
  ASSERT_TRUE(replaceTables([&](Replacement& replacement) {
                replacement.add(*t, Replacement::Start::deleted);
                return true;
              }).ok());
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->lastRec(), 2u);
  t.reset();
  EXPECT_TRUE(liveNames(*openTable(dir / "t.dbf")).empty());
}

std::vector<std::string> filesIn(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Work that gives up, or fails to write, leaves every table and index file as it was and no
// new file beside them; the tables go on as before.
TEST(ReplaceTables, WorkThatGivesUpOrFailsLeavesEveryFileAsItWas) {
  TempDir dir;
  auto t = nameTable(dir / "t.dbf", {"b", "a"});
  auto u = nameTable(dir / "u.dbf", {"x"});
  ASSERT_TRUE(t->createOrder(dir / "t.ntx", "NAME").ok());
  t->flush();
  u->flush();
  const std::string tBytes = readBytes(dir / "t.dbf"), ntxBytes = readBytes(dir / "t.ntx");
  const std::string uBytes = readBytes(dir / "u.dbf");
  auto fill = [&](Replacement& r) {
    for (Table* table : {t.get(), u.get()}) {
      Table& next = r.add(*table, Replacement::Start::deleted);
      next.append();
      next.put("NAME", "new");
    }
  };
  EXPECT_TRUE(replaceTables([&](Replacement& r) {
                fill(r);
                return false;
              }).ok());
  const auto failed = replaceTables([&](Replacement& r) -> bool {
    fill(r);
    throw IoError("cannot write: No space left on device");
  });
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.reason(), "cannot write: No space left on device");
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"t.dbf", "t.ntx", "u.dbf"}));
  EXPECT_EQ(liveNames(*t), (std::vector<std::string>{"b", "a"}));
  t.reset();
  u.reset();
  EXPECT_EQ(readBytes(dir / "t.dbf"), tBytes);
  EXPECT_EQ(readBytes(dir / "t.ntx"), ntxBytes);
  EXPECT_EQ(readBytes(dir / "u.dbf"), uBytes);
}

TEST(ReplaceTables, TablesReplacedTogetherReadTheirNewFilesAndLeaveNothingBeside) {
  TempDir dir;
  auto t = nameTable(dir / "t.dbf", {"b", "a"});
  auto u = nameTable(dir / "u.dbf", {"x", "y"});
  ASSERT_TRUE(t->createOrder(dir / "t.ntx", "NAME").ok());
  t->setOrder(1);
  ASSERT_TRUE(replaceTables([&](Replacement& r) {
                Table& nt = r.add(*t, Replacement::Start::copy);
                nt.append();
                nt.put("NAME", "0");
                Table& nu = r.add(*u, Replacement::Start::pack);
                nu.goTo(1);
                nu.put("NAME", "z");
                return true;
              }).ok());
  EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"t.dbf", "t.ntx", "u.dbf"}));
  EXPECT_EQ(liveNames(*t), (std::vector<std::string>{"0", "a", "b"}));
  EXPECT_EQ(liveNames(*u), (std::vector<std::string>{"z", "y"}));
  t->append();  // the table goes on working on its new file
  t->put("NAME", "c");
  t.reset();
  auto again = openTable(dir / "t.dbf");
  ASSERT_TRUE(again->createOrder(dir / "memory.ntx", "NAME").ok());
  EXPECT_EQ(readBytes(dir / "t.ntx"), readBytes(dir / "memory.ntx"));
  EXPECT_EQ(liveNames(*again), (std::vector<std::string>{"b", "a", "0", "c"}));
}

// What a kill leaves at each moment of a replacement of two tables (GPSUL and UVD), and what
// the next start makes of it: before the journal the old files, after it the new ones, never one of
// each.
TEST(CompleteReplacements, FinishesAJournalledReplacementAndRemovesAnUnjournalledOne) {
  TempDir dir;
  const std::filesystem::path made = dir / "made";
  std::filesystem::create_directories(made);
  nameTable(made / "old_gpsul.dbf", {"old t"});
  nameTable(made / "old_uvd.dbf", {"old u"});
  nameTable(made / "new_gpsul.dbf", {"new t"});
  nameTable(made / "new_uvd.dbf", {"new u"});
  const std::string oldT = readBytes(made / "old_gpsul.dbf"),
                    oldU = readBytes(made / "old_uvd.dbf");
  const std::string newT = readBytes(made / "new_gpsul.dbf"),
                    newU = readBytes(made / "new_uvd.dbf");
  const std::string journal = "gpsul.dbf.new\tgpsul.dbf\r\nuvd.dbf.new\tuvd.dbf\r\n";
  struct Case {
    const char* moment;
    std::vector<std::pair<std::string, std::string>> files;  // name, contents
    bool isNew;
  };
  const std::vector<Case> cases{
      {"new files half written",
       {{"gpsul.dbf", oldT}, {"uvd.dbf", oldU}, {"gpsul.dbf.new", "DB"}},
       false},
      {"journal being written",
       {{"gpsul.dbf", oldT},
        {"uvd.dbf", oldU},
        {"gpsul.dbf.new", newT},
        {"uvd.dbf.new", newU},
        {"velmoran.journal.new", "gpsul.dbf.n"},
        {"temp.dbf", "x"}},
       false},
      {"journal written",
       {{"gpsul.dbf", oldT},
        {"uvd.dbf", oldU},
        {"gpsul.dbf.new", newT},
        {"uvd.dbf.new", newU},
        {"velmoran.journal", journal}},
       true},
      {"first old file put aside",
       {{"gpsul.dbf.old", oldT},
        {"uvd.dbf", oldU},
        {"gpsul.dbf.new", newT},
        {"uvd.dbf.new", newU},
        {"velmoran.journal", journal}},
       true},
      {"first new file in place",
       {{"gpsul.dbf.old", oldT},
        {"gpsul.dbf", newT},
        {"uvd.dbf", oldU},
        {"uvd.dbf.new", newU},
        {"velmoran.journal", journal}},
       true},
      {"all in place, old files still there",
       {{"gpsul.dbf.old", oldT},
        {"gpsul.dbf", newT},
        {"uvd.dbf.old", oldU},
        {"uvd.dbf", newU},
        {"velmoran.journal", journal}},
       true},
      {"old files gone, journal left",
       {{"gpsul.dbf", newT}, {"uvd.dbf", newU}, {"velmoran.journal", journal}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.moment);
    const std::filesystem::path data = dir / "data";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
    for (const auto& [name, bytes] : c.files) writeBytes(data / name, bytes);
    completeReplacements(data);
    EXPECT_EQ(filesIn(data), (std::vector<std::string>{"gpsul.dbf", "uvd.dbf"}));
    EXPECT_EQ(readBytes(data / "gpsul.dbf"), c.isNew ? newT : oldT);
    EXPECT_EQ(readBytes(data / "uvd.dbf"), c.isNew ? newU : oldU);
  }
}

}  // namespace
}  // namespace velmoran::store
