// Work on all the records of a table at once: replace-by-marking and the replacement of a
// table's records by those a command appends.

#include "store/bulk.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "table_fixture.h"

namespace velmoran::store {
namespace {

using test::readBytes;
using test::TempDir;
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

}  // namespace
}  // namespace velmoran::store
