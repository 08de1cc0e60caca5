#include "store/maintenance.h"

#include <gtest/gtest.h>

#include "store/schema.h"
#include "support/temp_dir.h"

namespace velmoran::store {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// A data directory holding the shipped tables, with some replaced by older structures.
struct DataDir {
  TempDir dir;
  DataDir() {
    for (const auto& spec : tableSpecs())
      fs::copy_file(test::programDir() / spec.fileName, dir / spec.fileName);
  }
  void replace(const char* file, const Structure& s,
               const std::vector<std::vector<std::string>>& rows, bool deleteFirst = false) {
    fs::remove(dir / file);
    ASSERT_TRUE(Table::create(dir / file, s).ok());
    auto t = Table::open(dir / file, OpenMode::Exclusive);
    ASSERT_TRUE(t.ok());
    for (const auto& row : rows) {
      (*t)->append();
      for (std::size_t i = 0; i < row.size(); ++i) (*t)->put(static_cast<int>(i) + 1, row[i]);
    }
    if (deleteFirst) {
      (*t)->goTo(1);
      (*t)->remove();
    }
  }
  std::unique_ptr<Table> open(const char* file) {
    auto t = Table::open(dir / file, OpenMode::Shared);
    EXPECT_TRUE(t.ok());
    return t.ok() ? std::move(*t) : nullptr;
  }
};

Field c(const char* name, int length) { return Field{name, 'C', length, 0}; }

TEST(Maintenance, NarrowTwoFieldFachGetsWideFachneuAndKursart) {
  DataDir d;
  d.replace("fach.dbf", {c("FACHALT", 10), c("FACHNEU", 30)},
            {{"mathe", "M =Mathematik"}, {"Bio", "BI=Biologie"}});
  auto outcome = maintainTables(d.dir.path());
  EXPECT_FALSE(outcome.locked);
  EXPECT_TRUE(outcome.problems.empty());
  auto t = d.open("fach.dbf");
  ASSERT_TRUE(t);
  Structure expected{c("FACHALT", 10), c("FACHNEU", 100), c("KURSART", 100)};
  EXPECT_EQ(t->structure(), expected);
  ASSERT_EQ(t->lastRec(), 2u);
  t->goTo(1);
  EXPECT_EQ(t->getText("FACHALT"), "mathe");
  EXPECT_EQ(t->getText("FACHNEU"), "M =Mathematik");
  EXPECT_EQ(t->getText("KURSART"), "");
  EXPECT_FALSE(fs::exists(d.dir / "temp.dbf"));
}

TEST(Maintenance, FachThatHasKursartIsOnlyWidenedNeverGivenASecondKursart) {
  DataDir d;
  d.replace("fach.dbf", {c("FACHALT", 10), c("FACHNEU", 30), c("KURSART", 100)},
            {{"E", "E =Englisch", "71=Grundkurs"}});
  maintainTables(d.dir.path());
  auto t = d.open("fach.dbf");
  ASSERT_TRUE(t);
  ASSERT_EQ(t->structure().size(), 3u);
  EXPECT_EQ(t->structure()[1].length, 100);
  t->goTo(1);
  EXPECT_EQ(t->getText("KURSART"), "71=Grundkurs");
}

TEST(Maintenance, KlasseWithThreeFieldsGetsKursart) {
  DataDir d;
  d.replace("klasse.dbf", {c("KLASSE_ALT", 10), c("KLASSE_NEU", 10), c("JAHRGANG", 5)},
            {{"5a", "05A", "05"}});
  maintainTables(d.dir.path());
  auto t = d.open("klasse.dbf");
  ASSERT_TRUE(t);
  ASSERT_EQ(t->structure().size(), 4u);
  EXPECT_EQ(t->structure()[3], c("KURSART", 100));
  t->goTo(1);
  EXPECT_EQ(t->getText("KLASSE_NEU"), "05A");
  EXPECT_EQ(t->getText("JAHRGANG"), "05");
}

TEST(Maintenance, UvdWithOneCharacterBilingualIsWidenedKeepingValues) {
  DataDir d;
  Structure s = tableSpec("UVD").structure;
  s[9].length = 1;
  d.replace("uvd.dbf", s, {{"05A", "", "05", "", "4", "D", "MUE", "28", "14", "E", ""}});
  maintainTables(d.dir.path());
  auto t = d.open("uvd.dbf");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->structure()[9].length, 20);
  t->goTo(1);
  EXPECT_EQ(t->getText("BILINGUAL"), "E");
  EXPECT_EQ(t->getNumber("WSTD"), 4.0);
  EXPECT_EQ(t->getText("LEHRER"), "MUE");
}

TEST(Maintenance, DeletedRecordsAreGoneAndIndexesRebuilt) {
  DataDir d;
  d.replace("lehrer.dbf", tableSpec("LEHRER").structure, {{"ALT"}, {"neu"}, {"Mü"}}, true);
  fs::remove(d.dir / "LEHRER.NTX");
  maintainTables(d.dir.path());
  auto t = d.open("lehrer.dbf");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->lastRec(), 2u);
  auto order = t->openOrder(d.dir / "LEHRER.NTX");
  ASSERT_TRUE(order.ok());
  t->setOrder(*order);
  EXPECT_TRUE(t->seek("NEU"));  // found case-insensitively through UPPER(UNTIS_KRZ)
  EXPECT_EQ(t->getText("UNTIS_KRZ"), "neu");
}

TEST(Maintenance, EveryIndexFileIsWritten) {
  DataDir d;
  maintainTables(d.dir.path());
  int count = 0;
  for (const auto& spec : tableSpecs())
    for (const auto& index : spec.indexes) {
      EXPECT_TRUE(fs::exists(d.dir / index.fileName)) << index.fileName;
      ++count;
    }
  EXPECT_EQ(count, 10);
}

TEST(Maintenance, AMissingTableIsReportedAndTheOthersStillMaintained) {
  DataDir d;
  fs::remove(d.dir / "klasse.dbf");
  auto outcome = maintainTables(d.dir.path());
  EXPECT_FALSE(outcome.locked);
  ASSERT_EQ(outcome.problems.size(), 1u);
  EXPECT_EQ(outcome.problems[0].rfind("KLASSE", 0), 0u);
  EXPECT_TRUE(fs::exists(d.dir / "LEHRER.NTX"));
}

// Three upgrades, which all rebuild through temp.dbf, come out whole, and problems are
// reported in the order of the tables.
TEST(Maintenance, UpgradesThroughTempDbfAndProblemsInTableOrder) {
  DataDir d;
  Structure uvd = tableSpec("UVD").structure;
  uvd[9].length = 1;
  d.replace("uvd.dbf", uvd, {{"05A", "", "05", "", "4", "D", "MUE", "28", "14", "E", ""}});
  d.replace("fach.dbf", {c("FACHALT", 10), c("FACHNEU", 30)}, {{"mathe", "M =Mathematik"}});
  d.replace("klasse.dbf", {c("KLASSE_ALT", 10), c("KLASSE_NEU", 10), c("JAHRGANG", 5)},
            {{"5a", "05A", "05"}});
  fs::remove(d.dir / "mehr_minder.dbf");
  fs::remove(d.dir / "zulfach.dbf");
  auto outcome = maintainTables(d.dir.path());
  EXPECT_FALSE(outcome.locked);
  ASSERT_EQ(outcome.problems.size(), 2u);
  EXPECT_EQ(outcome.problems[0].rfind("ZULFACH: ", 0), 0u) << outcome.problems[0];
  EXPECT_EQ(outcome.problems[1].rfind("MEHR_MINDER: ", 0), 0u) << outcome.problems[1];
  auto u = d.open("uvd.dbf");
  auto f = d.open("fach.dbf");
  auto k = d.open("klasse.dbf");
  ASSERT_TRUE(u && f && k);
  EXPECT_EQ(u->structure()[9].length, 20);
  EXPECT_EQ(f->structure().size(), 3u);
  EXPECT_EQ(k->structure().size(), 4u);
  u->goTo(1);
  f->goTo(1);
  k->goTo(1);
  EXPECT_EQ(u->getText("BILINGUAL"), "E");
  EXPECT_EQ(f->getText("FACHNEU"), "M =Mathematik");
  EXPECT_EQ(k->getText("KLASSE_NEU"), "05A");
  EXPECT_FALSE(fs::exists(d.dir / "temp.dbf"));
  for (const char* ntx : {"FACH.NTX", "KLASSE.NTX", "LEHRER.NTX"})
    EXPECT_TRUE(fs::exists(d.dir / ntx)) << ntx;
}

}  // namespace
}  // namespace velmoran::store
