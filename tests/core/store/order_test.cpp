// Orders: key order and collation, seeks, orders following changes, and their NTX files.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <set>

#include "store/code_page.h"
#include "store/little_endian.h"
#include "store/table.h"
#include "support/temp_dir.h"
#include "table_fixture.h"

namespace velmoran::store {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;
using namespace testing;
using Recnos = std::vector<std::uint32_t>;

class Orders : public ::testing::Test {
protected:
  std::unique_ptr<Table> names(const std::vector<std::string>& values, const char* key = "NAME",
                               int width = 10) {
    auto t = nameTable(dir / "t.dbf", values, width);
    auto n = t->createOrder(ntx, key);
    EXPECT_TRUE(n.ok()) << n.reason();
    t->setOrder(1);
    return t;
  }
  TempDir dir;
  std::filesystem::path ntx = dir / "T.NTX";
};

// --- order ---------------------------------------------------------------------------------

TEST_F(Orders, EqualKeysStayInRecordOrder) {
  auto t = names({"B", "A", "B", "A", "B"});
  EXPECT_EQ(walk(*t), (Recnos{2, 4, 1, 3, 5}));
  EXPECT_EQ(t->visibleRecnos(), (Recnos{2, 4, 1, 3, 5}));
  EXPECT_EQ(walkBack(*t), (Recnos{5, 3, 1, 4, 2}));
}

TEST_F(Orders, CharacterKeysCompareAsCodePage850Bytes) {
  // Mann, Zebra, apfel, Äpfel (0x8E), Öl (0x99): upper case before lower case, umlauts last.
  auto t = names({"\xD6l", "apfel", "Zebra", "\xC4pfel", "Mann"});
  EXPECT_EQ(walk(*t), (Recnos{5, 3, 2, 4, 1}));
}

TEST_F(Orders, UpperFoldsLettersAndGermanUmlauts) {
  auto t = names({"m\xFCller", "M\xDCLLER", "mueller", "M\xFCller",
                  "stra\xDF"
                  "e"},
                 "UPPER(NAME)");
  // MUELLER < MÜLLER (0x9A after U) < STRAßE; the three Müller keys are equal.
  EXPECT_EQ(walk(*t), (Recnos{3, 1, 2, 4, 5}));
  EXPECT_EQ(t->orderKey(1), "UPPER(NAME)");
  EXPECT_TRUE(t->seek("M\xDCLLER"));
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_FALSE(t->seek("m\xFCller"));  // the search value is not upper-cased for you
  EXPECT_TRUE(t->seek("STRA\xDF"));    // ß stays ß
}

TEST_F(Orders, OrderNumbersAndKeys) {
  auto t = nameTable(dir / "t.dbf", {"b", "a"});
  ASSERT_EQ(*t->createOrder(dir / "A.NTX", "name"), 1);
  ASSERT_EQ(*t->createOrder(dir / "B.NTX", " upper( Name ) "), 2);
  EXPECT_EQ(t->orderCount(), 2);
  EXPECT_EQ(t->orderKey(1), "NAME");
  EXPECT_EQ(t->orderKey(2), "UPPER(NAME)");
  EXPECT_EQ(t->orderFile(2), dir / "B.NTX");
  EXPECT_EQ(t->order(), 0);  // creating an order does not switch to it
  EXPECT_EQ(*t->createOrder(dir / "A.NTX", "UPPER(NAME)"), 1);  // same file: replaced
  EXPECT_EQ(t->orderCount(), 2);
  EXPECT_FALSE(t->createOrder(dir / "C.NTX", "NAME+NAME").ok());
  EXPECT_FALSE(t->createOrder(dir / "C.NTX", "NOFIELD").ok());
  EXPECT_FALSE(t->createOrder(dir / "missing" / "C.NTX", "NAME").ok());
  EXPECT_EQ(t->orderCount(), 2);
  t->closeOrders();
  EXPECT_EQ(t->orderCount(), 0);
  EXPECT_EQ(t->order(), 0);
}

TEST_F(Orders, SwitchingOrdersKeepsTheRecord) {
  auto t = names({"C", "A", "B"});
  t->setOrder(0);
  t->goTo(3);
  t->setOrder(1);
  EXPECT_EQ(t->recno(), 3u);
  t->skip();
  EXPECT_EQ(t->recno(), 1u);  // B, then C
  t->setOrder(0);
  t->skip(-1);
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_TRUE(t->bof());
}

// --- seek --------------------------------------------------------------------------------------

TEST_F(Orders, ExactSeekFindsTheFirstKeyBeginningWithTheValue) {
  auto t = names({"Dorn", "Berg", "Bach", "Bergmann", "Berg"});
  EXPECT_TRUE(t->seek("Berg"));
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_TRUE(t->found());
  EXPECT_TRUE(t->seek("Bergm"));
  EXPECT_EQ(t->recno(), 4u);
  EXPECT_TRUE(t->seek(""));
  EXPECT_EQ(t->recno(), 3u);
  EXPECT_FALSE(t->seek("C"));
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->recno(), 6u);
  EXPECT_FALSE(t->found());
  t->skip(-1);  // from eof back to the last key
  EXPECT_EQ(t->recno(), 1u);
}

TEST_F(Orders, SoftSeekStopsAtTheNextKey) {
  auto t = names({"Dorn", "Berg", "Bach"});
  EXPECT_FALSE(t->seek("C", true));
  EXPECT_FALSE(t->eof());
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_TRUE(t->seek("Ba", true));
  EXPECT_EQ(t->recno(), 3u);
  EXPECT_FALSE(t->seek("E", true));
  EXPECT_TRUE(t->eof());
}

TEST_F(Orders, SeekPassesOverHiddenDeletedRecords) {
  auto t = names({"Berg", "Berg", "Bergmann", "Dorn"});
  t->goTo(1);
  t->remove();
  t->goTo(3);
  t->remove();
  EXPECT_TRUE(t->seek("Berg"));
  EXPECT_EQ(t->recno(), 2u);
  EXPECT_FALSE(t->seek("Bergm"));  // Bergmann is deleted; Dorn does not match
  EXPECT_TRUE(t->eof());
  EXPECT_FALSE(t->seek("Bergm", true));
  EXPECT_EQ(t->recno(), 4u);
  t->showDeleted(true);
  EXPECT_TRUE(t->seek("Berg"));
  EXPECT_EQ(t->recno(), 1u);
}

TEST_F(Orders, SeekWithoutAnOrderIsEof) {
  auto t = nameTable(dir / "t.dbf", {"A"});
  EXPECT_FALSE(t->seek("A"));
  EXPECT_TRUE(t->eof());
}

TEST_F(Orders, NumericKeysSortAsNumbers) {
  auto t = createTable(dir / "n.dbf", {{"BETRAG", 'N', 8, 2}});
  for (double v : {12.5, -3.25, 1000.0, 0.0, -0.5, -120.75, 7.0}) {
    t->append();
    t->put(1, v);
  }
  t->append();  // an empty number sorts as 0
  ASSERT_TRUE(t->createOrder(dir / "N.NTX", "BETRAG").ok());
  t->setOrder(1);
  EXPECT_EQ(walk(*t), (Recnos{6, 2, 5, 4, 8, 7, 1, 3}));
  EXPECT_TRUE(t->seek(0.0));
  EXPECT_EQ(t->recno(), 4u);
  EXPECT_TRUE(t->seek(-120.75));
  EXPECT_EQ(t->recno(), 6u);
  EXPECT_FALSE(t->seek(-1.0));
  EXPECT_TRUE(t->eof());
  EXPECT_FALSE(t->seek(-1.0, true));
  EXPECT_EQ(t->recno(), 5u);
  EXPECT_FALSE(t->seek(1e9, true));  // wider than the field: above every key
  EXPECT_TRUE(t->eof());
  EXPECT_FALSE(t->seek(-1e9, true));
  EXPECT_EQ(t->recno(), 6u);
  EXPECT_TRUE(t->seek("12.5"));  // text on a numeric order is read as a number
  EXPECT_EQ(t->recno(), 1u);
}

TEST_F(Orders, NumericKeysAreWrittenInClipperForm) {
  auto t = createTable(dir / "n.dbf", {{"BETRAG", 'N', 8, 2}, {"NR", 'N', 5, 0}});
  for (auto [b, n] : {std::pair{12.5, 3.0}, {-3.25, -7.0}, {-0.5, 0.0}}) {
    t->append();
    t->put(1, b);
    t->put(2, n);
  }
  ASSERT_TRUE(t->createOrder(dir / "B.NTX", "BETRAG").ok());
  ASSERT_TRUE(t->createOrder(dir / "N.NTX", "NR").ok());
  // One leaf page behind the header; items in slots after the offset table.
  auto keys = [&](const char* file, std::size_t keySize) {
    std::string b = readBytes(dir / file);
    std::size_t maxItems = le16(b.data() + 18);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < le16(b.data() + 1024); ++i) {
      std::size_t item = 1024 + le16(b.data() + 1024 + 2 + 2 * i);
      out.push_back(b.substr(item + 8, keySize));
    }
    EXPECT_EQ(le16(b.data() + 1024 + 2), 2 + 2 * (maxItems + 1));
    return out;
  };
  EXPECT_EQ(keys("B.NTX", 8), (std::vector<std::string>{",,,,).*'", ",,,,,.',", "00012.50"}));
  EXPECT_EQ(keys("N.NTX", 5), (std::vector<std::string>{",,,,%", "00000", "00003"}));
}

// --- orders follow the records ------------------------------------------------------------------

TEST_F(Orders, OrdersFollowPutsAppendsAndDeletions) {
  auto t = names({"C", "A", "E"});
  t->goTo(1);
  t->put("NAME", "Z");
  EXPECT_EQ(walk(*t), (Recnos{2, 3, 1}));
  t->append();
  t->put("NAME", "B");
  EXPECT_EQ(walk(*t), (Recnos{2, 4, 3, 1}));
  t->goTo(3);
  t->remove();
  EXPECT_EQ(walk(*t), (Recnos{2, 4, 1}));
  t->showDeleted(true);
  EXPECT_EQ(walk(*t), (Recnos{2, 4, 3, 1}));
}

TEST_F(Orders, APutMovesTheRecordAndTheCursorWithIt) {
  auto t = names({"A", "B", "C", "D"});
  t->goTo(1);
  t->put("NAME", "CC");  // now between C and D
  t->skip();
  EXPECT_EQ(t->recno(), 4u);
  t->skip(-2);
  EXPECT_EQ(t->recno(), 3u);
}

TEST_F(Orders, PackRenumbersTheOrders) {
  auto t = names({"D", "C", "B", "A"});
  t->goTo(2);
  t->remove();
  t->pack();
  EXPECT_EQ(walk(*t), (Recnos{3, 2, 1}));  // A, B, D
  EXPECT_TRUE(t->seek("D"));
  EXPECT_EQ(t->recno(), 1u);
  t->closeOrders();
  ASSERT_TRUE(t->openOrder(ntx).ok());
  t->setOrder(1);
  EXPECT_EQ(walk(*t), (Recnos{3, 2, 1}));
}

TEST_F(Orders, ManyChangesKeepTheOrderSorted) {
  auto t = nameTable(dir / "t.dbf", {});
  ASSERT_TRUE(t->createOrder(ntx, "NAME").ok());
  t->setOrder(1);
  std::mt19937 rng(7);
  std::vector<std::string> values;
  for (int i = 0; i < 5000; ++i) {
    values.push_back(std::to_string(rng() % 700));
    t->append();
    t->put(1, values.back());
    if (i % 400 == 0) t->goTop();  // navigation between the appends sorts the changes in
  }
  for (int i = 0; i < 300; ++i) {
    std::uint32_t r = rng() % 5000 + 1;
    values[r - 1] = std::to_string(rng() % 700);
    t->goTo(r);
    t->put(1, values[r - 1]);
    if (i % 50 == 0) t->seek("1");
  }
  Recnos expected(values.size());
  std::iota(expected.begin(), expected.end(), 1u);
  std::stable_sort(expected.begin(), expected.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return values[a - 1] < values[b - 1]; });
  EXPECT_EQ(walk(*t), expected);
  t->flush();
  t->closeOrders();
  ASSERT_TRUE(t->openOrder(ntx).ok());
  t->setOrder(1);
  EXPECT_EQ(walk(*t), expected);
}

// --- NTX files -----------------------------------------------------------------------------------

TEST_F(Orders, CreateOrderWritesAClipperNtxHeader) {
  auto t = nameTable(dir / "t.dbf", {"B", "A"}, 20);
  ASSERT_TRUE(t->createOrder(ntx, "UPPER(NAME)", "UNAME").ok());
  std::string b = readBytes(ntx);
  ASSERT_EQ(b.size(), 2048u);
  EXPECT_EQ(le16(b.data() + 0), 6);      // Clipper 5 signature
  EXPECT_EQ(le16(b.data() + 2), 1);      // version of a fresh index
  EXPECT_EQ(le32(b.data() + 4), 1024u);  // root
  EXPECT_EQ(le32(b.data() + 8), 0u);     // no free pages
  EXPECT_EQ(le16(b.data() + 12), 28);    // item size
  EXPECT_EQ(le16(b.data() + 14), 20);    // key size
  EXPECT_EQ(le16(b.data() + 16), 0);
  EXPECT_EQ(le16(b.data() + 18), 32);  // keys per page for key size 20
  EXPECT_EQ(le16(b.data() + 20), 16);
  EXPECT_EQ(b.substr(22, 12), std::string("UPPER(NAME)\0", 12));
  EXPECT_EQ(b.substr(538, 6), std::string("UNAME\0", 6));
  EXPECT_EQ(le16(b.data() + 1024), 2);  // root leaf with two keys
  std::size_t first = 1024 + le16(b.data() + 1024 + 2);
  EXPECT_EQ(le32(b.data() + first), 0u);
  EXPECT_EQ(le32(b.data() + first + 4), 2u);
  EXPECT_EQ(b.substr(first + 8, 20), "A" + std::string(19, ' '));
  // The pseudo item after the last key holds no record number and no key.
  std::size_t pseudo = 1024 + le16(b.data() + 1024 + 2 + 2 * 2);
  EXPECT_EQ(b.substr(pseudo, 28), std::string(28, '\0'));
}

TEST_F(Orders, AnEmptyTableGetsARootLeafWithoutKeys) {
  auto t = nameTable(dir / "t.dbf", {});
  ASSERT_TRUE(t->createOrder(ntx, "NAME").ok());
  std::string b = readBytes(ntx);
  ASSERT_EQ(b.size(), 2048u);
  EXPECT_EQ(le32(b.data() + 4), 1024u);
  EXPECT_EQ(le16(b.data() + 1024), 0);
}

TEST_F(Orders, FlushWritesChangedOrdersAndOthersCanReadThem) {
  {
    auto t = names({"B", "A"});
    t->append();
    t->put(1, "0");
    t->flush();
  }
  auto t = openTable(dir / "t.dbf");
  ASSERT_TRUE(t->openOrder(ntx).ok());
  t->setOrder(1);
  EXPECT_EQ(walk(*t), (Recnos{3, 2, 1}));
}

TEST_F(Orders, AnIndexThatDisagreesWithTheTableIsRebuilt) {
  names({"B", "A"})->closeOrders();
  {
    auto t = openTable(dir / "t.dbf");  // changed without its index
    t->append();
    t->put(1, "C");
    t->goTo(1);
    t->put(1, "D");
  }
  auto t = openTable(dir / "t.dbf");
  ASSERT_TRUE(t->openOrder(ntx).ok());
  t->setOrder(1);
  EXPECT_EQ(walk(*t), (Recnos{2, 3, 1}));
  EXPECT_EQ(le16(readBytes(ntx).data() + 1024), 3);  // and written again
}

TEST_F(Orders, ADamagedIndexIsRebuilt) {
  names({"B", "A", "C"}).reset();
  std::string good = readBytes(ntx);
  auto reopen = [&](std::string bytes) {
    writeBytes(ntx, bytes);
    auto t = openTable(dir / "t.dbf");
    auto n = t->openOrder(ntx);
    EXPECT_TRUE(n.ok()) << n.reason();
    t->setOrder(1);
    return walk(*t);
  };
  std::string rootOutside = good;
  rootOutside[5] = 0x40;  // root offset far beyond the file
  EXPECT_EQ(reopen(rootOutside), (Recnos{2, 1, 3}));
  std::string badCount = good;
  badCount[1024] = 70;  // more keys in the page than a page holds
  EXPECT_EQ(reopen(badCount), (Recnos{2, 1, 3}));
  std::string loop = good;
  loop[1024 + 2 + 2 * 51 + 1] = 4;  // the first item's child (slot 0) is the page itself
  EXPECT_EQ(reopen(loop), (Recnos{2, 1, 3}));
  std::string wrongKeySize = good;
  wrongKeySize[12] = 20;
  wrongKeySize[14] = 12;
  EXPECT_EQ(reopen(wrongKeySize), (Recnos{2, 1, 3}));
  EXPECT_EQ(readBytes(ntx), good);  // rebuilt to the very same file
}

TEST_F(Orders, RandomDamageToAnIndexNeverCrashesAndKeepsEveryRecord) {
  {
    auto t = nameTable(dir / "t.dbf", {}, 12);
    for (int i = 0; i < 600; ++i) {
      t->append();
      t->put(1, "N" + std::to_string(i * 37 % 601));
    }
    ASSERT_TRUE(t->createOrder(ntx, "NAME").ok());
  }
  const std::string good = readBytes(ntx);
  auto t = openTable(dir / "t.dbf");
  unsigned seed = 99;
  for (int round = 0; round < 120; ++round) {
    std::string b = good;
    for (int k = 0; k < 4; ++k) {
      seed = seed * 1103515245 + 12345;
      b[(seed >> 8) % b.size()] = static_cast<char>(seed >> 16);
    }
    writeBytes(ntx, b);
    t->closeOrders();
    auto n = t->openOrder(ntx);
    if (!n) continue;  // the key expression itself was hit
    t->setOrder(*n);
    EXPECT_EQ(walk(*t).size(), 600u);
  }
}

TEST_F(Orders, AnIndexWithoutAReadableKeyExpressionFails) {
  nameTable(dir / "t.dbf", {"A"}).reset();
  writeBytes(ntx, std::string(3000, '\0'));
  auto t = openTable(dir / "t.dbf");
  EXPECT_FALSE(t->openOrder(ntx).ok());
  EXPECT_FALSE(t->openOrder(dir / "none.ntx").ok());
  std::string otherField(2048, '\0');
  otherField.replace(22, 5, "OTHER");
  writeBytes(ntx, otherField);
  auto r = t->openOrder(ntx);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.reason().find("no such field"), std::string::npos);
}

TEST_F(Orders, ManyKeysMakeABalancedTreeWithEveryKeyOnce) {
  auto t = nameTable(dir / "t.dbf", {}, 20);
  const int n = 3000;
  for (int i = 0; i < n; ++i) {
    t->append();
    t->put(1, "K" + std::to_string(i % 1000));
  }
  ASSERT_TRUE(t->createOrder(ntx, "NAME").ok());
  std::string b = readBytes(ntx);
  const std::size_t maxItems = le16(b.data() + 18);
  // Walk the tree: depth of every leaf, keys in order, fill of every page but the root.
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  std::set<std::size_t> leafDepths;
  std::function<void(std::uint32_t, std::size_t)> visit = [&](std::uint32_t page,
                                                              std::size_t depth) {
    std::size_t count = le16(b.data() + page);
    if (page != le32(b.data() + 4)) {
      EXPECT_GE(count, maxItems / 2);
    }
    for (std::size_t i = 0; i <= count; ++i) {
      std::size_t item = page + le16(b.data() + page + 2 + 2 * i);
      std::uint32_t child = le32(b.data() + item);
      if (child)
        visit(child, depth + 1);
      else
        leafDepths.insert(depth);
      if (i < count) {
        keys.emplace_back(b.substr(item + 8, 20), le32(b.data() + item + 4));
      } else {
        EXPECT_EQ(b.substr(item + 4, 24), std::string(24, '\0'));
      }
    }
  };
  visit(le32(b.data() + 4), 0);
  EXPECT_EQ(leafDepths.size(), 1u);
  ASSERT_EQ(keys.size(), static_cast<std::size_t>(n));
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

// --- orders released from memory -----------------------------------------------------------

// Two tables filled alike: one keeps its orders in memory with every change, the other
// releases them before the appends, as an import does. Their index files must not differ.
class ReleasedOrders : public ::testing::Test {
protected:
  std::unique_ptr<Table> make(const std::string& name, bool release) {
    auto t = createTable(dir / (name + ".dbf"), {{"NAME", 'C', 12, 0}, {"NUM", 'N', 6, 1}});
    EXPECT_TRUE(t->createOrder(ntx(name, 1), "NAME").ok());
    EXPECT_TRUE(t->createOrder(ntx(name, 2), "UPPER(NAME)").ok());
    EXPECT_TRUE(t->createOrder(ntx(name, 3), "NUM").ok());
    t->setOrder(1);
    if (release) t->releaseOrders();
    for (int i = 0; i < 3000; ++i) {
      t->append();
      t->put("NAME", std::string(i % 3 ? "k" : "K") + std::to_string((i * 7919) % 500) +
                         (i % 7 ? "" : "ä"));
      t->put("NUM", ((i * 31) % 200) / 2.0 - 50);
      if (i % 10 == 0) t->remove();
    }
    t->flush();
    return t;
  }
  std::filesystem::path ntx(const std::string& name, int n) {
    return dir / (name + std::to_string(n) + ".NTX");
  }
  void expectSameIndexFiles() {
    for (int n = 1; n <= 3; ++n)
      EXPECT_EQ(readBytes(ntx("kept", n)), readBytes(ntx("released", n))) << n;
  }
  TempDir dir;
};

TEST_F(ReleasedOrders, TheIndexFilesAreBuiltFromTheRecordsAsInMemory) {
  auto kept = make("kept", false);
  auto released = make("released", true);
  expectSameIndexFiles();
  for (int n = 1; n <= 3; ++n) {
    kept->setOrder(n);
    released->setOrder(n);
    EXPECT_EQ(walk(*released), walk(*kept)) << n;
    EXPECT_EQ(walkBack(*released), walkBack(*kept)) << n;
  }
  for (double v : {-50.0, -12.5, 0.0, 49.5, 60.0}) {
    EXPECT_EQ(released->seek(v, true), kept->seek(v, true)) << v;
    EXPECT_EQ(released->recno(), kept->recno()) << v;
  }
}

TEST_F(ReleasedOrders, GoTopReadsTheIndexFileAndSkipsDeletedRecords) {
  auto kept = make("kept", false);
  auto released = make("released", true);
  // Delete the first dozen records of the order: the top lies behind them.
  for (int k = 0; k < 12; ++k) {
    kept->goTop();
    std::uint32_t r = kept->recno();
    kept->remove();
    released->goTo(r);
    released->remove();
  }
  kept->goTop();
  released->goTop();
  EXPECT_EQ(released->recno(), kept->recno());
  EXPECT_EQ(released->getText("NAME"), kept->getText("NAME"));
  released->skip();
  kept->skip();
  EXPECT_EQ(released->recno(), kept->recno());
}

TEST_F(ReleasedOrders, ADamagedIndexFileOfAReleasedOrderIsRebuilt) {
  auto kept = make("kept", false);
  auto released = make("released", true);
  writeBytes(ntx("released", 1), std::string(3000, '\x5A'));
  released->goTop();
  kept->goTop();
  EXPECT_EQ(released->recno(), kept->recno());
  EXPECT_EQ(walk(*released), walk(*kept));
  released->flush();
  expectSameIndexFiles();
}

TEST_F(ReleasedOrders, ChangesAndPackAfterTheFlushReachTheIndexFiles) {
  auto kept = make("kept", false);
  auto released = make("released", true);
  for (Table* t : {kept.get(), released.get()}) {
    t->goTo(17);
    t->put("NAME", "AAA");
    t->put("NUM", 99.5);
    t->goTo(2999);
    t->recall();
    t->flush();
  }
  expectSameIndexFiles();
  kept->pack();
  released->releaseOrders();
  released->pack();
  expectSameIndexFiles();
  EXPECT_EQ(walk(*released), walk(*kept));
}

TEST_F(ReleasedOrders, AnIndexOpenedReleasedIsCheckedWhenFirstNeeded) {
  auto kept = make("kept", false);
  make("released", true).reset();
  // A sound header over a damaged tree.
  std::string bytes = readBytes(ntx("released", 1));
  for (std::size_t i = 1024; i < bytes.size(); i += 7) bytes[i] = '\xFF';
  writeBytes(ntx("released", 1), bytes);
  auto t = openTable(dir / "released.dbf");
  for (int n = 1; n <= 3; ++n) {
    auto r = t->openOrder(ntx("released", n), Table::OrderKeys::released);
    ASSERT_TRUE(r.ok()) << r.reason();
  }
  kept->setOrder(1);
  t->setOrder(1);
  EXPECT_EQ(walk(*t), walk(*kept));
  t->flush();
  expectSameIndexFiles();
}

TEST_F(ReleasedOrders, OrdersCreatedReleasedAreBuiltTogetherAtTheFlush) {
  auto kept = make("kept", false);
  auto t = createTable(dir / "released.dbf", {{"NAME", 'C', 12, 0}, {"NUM", 'N', 6, 1}});
  ASSERT_TRUE(t->appendFrom(dir / "kept.dbf").ok());
  EXPECT_TRUE(t->createOrder(ntx("released", 1), "NAME", {}, Table::OrderKeys::released).ok());
  EXPECT_TRUE(
      t->createOrder(ntx("released", 2), "UPPER(NAME)", {}, Table::OrderKeys::released).ok());
  EXPECT_TRUE(t->createOrder(ntx("released", 3), "NUM", {}, Table::OrderKeys::released).ok());
  t->closeOrders();
  expectSameIndexFiles();
}

// Enough records for the pass over them to take many blocks and for every order's keys to
// be sorted in many runs (the numbers with blanks, signs and stars among them, five orders
// collected together): the files are still those of orders kept in memory.
TEST(ReleasedOrdersAtScale, ManyBlocksAndRunsGiveTheSameIndexFiles) {
  TempDir dir;
  const Structure fields = {
      {"A", 'C', 10, 0}, {"B", 'C', 10, 0}, {"N", 'N', 5, 1}, {"C", 'C', 3, 0}};
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"N", "N"}, {"A", "A"}, {"B", "UPPER(B)"}, {"C", "C"}, {"AB", "A"}};
  auto fill = [&](const std::string& name, bool release) {
    auto t = createTable(dir / (name + ".dbf"), fields);
    for (const auto& [file, key] : keys)
      EXPECT_TRUE(t->createOrder(dir / (name + file + ".NTX"), key).ok());
    if (release) t->releaseOrders();
    std::mt19937 rng(1208);
    for (int i = 0; i < 60000; ++i) {
      t->append();
      t->put(1, "a" + std::to_string(rng() % 5000));
      t->put(2, std::string(rng() % 2 ? "x" : "X") + std::to_string(rng() % 300) +
                    (i % 5 ? "" : "\xE4"));
      if (i % 13) t->put(3, (static_cast<int>(rng() % 4000) - 2000) / 4.0);  // blank now and then
      if (i % 997 == 0) t->put(3, 123456.0);                                 // stars
      t->put(4, std::to_string(i % 7));
    }
    t->flush();
  };
  fill("kept", false);
  fill("released", true);
  for (const auto& [file, key] : keys)
    EXPECT_EQ(readBytes(dir / ("released" + file + ".NTX")),
              readBytes(dir / ("kept" + file + ".NTX")))
        << key;
}

}  // namespace
}  // namespace velmoran::store
