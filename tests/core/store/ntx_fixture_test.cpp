// Tables and index files written by Harbour's DBFNTX (a Clipper-compatible implementation),
// read, walked and sought by our table layer, with the answers Harbour gave on them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "store/code_page.h"
#include "store/little_endian.h"
#include "store/table.h"
#include "support/temp_dir.h"

namespace velmoran::store {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Tables and index files written by Harbour (see the README there).
fs::path fixtureDir(const std::string& set) {
  return test::sourceDir() / "tests" / "fixtures" / "store" / "harbour" / set;
}

// A writable copy of a fixture folder.
void copyFixtures(const std::string& set, const TempDir& dir) {
  for (const auto& e : fs::directory_iterator(fixtureDir(set))) {
    fs::path target = dir.path() / e.path().filename();
    fs::copy_file(e.path(), target);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  }
}

std::vector<std::uint32_t> walk(Table& t) {
  std::vector<std::uint32_t> out;
  for (t.goTop(); !t.eof(); t.skip()) out.push_back(t.recno());
  return out;
}

std::vector<std::uint32_t> parseList(const std::string& text) {
  std::vector<std::uint32_t> out;
  std::stringstream ss(text);
  std::string item;
  while (std::getline(ss, item, ',')) out.push_back(static_cast<std::uint32_t>(std::stoul(item)));
  return out;
}

// harbour_view.txt: "# index NAME.ntx", "order: 1,2,3", "seek X exact: found=T recno=7
// eof=F | soft: found=T recno=7 eof=F".
struct SeekAnswer {
  std::string value;  // code page 850 bytes, or "#n" for a number
  bool exactFound;
  std::uint32_t exactRecno;
  bool softFound;
  std::uint32_t softRecno;
  bool softEof;
};
struct IndexView {
  std::string file;
  std::vector<std::uint32_t> order;
  std::vector<SeekAnswer> seeks;
};

std::string unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<IndexView> readHarbourView(const fs::path& file) {
  std::ifstream in(file);
  std::vector<IndexView> views;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("# index ", 0) == 0) {
      views.push_back({line.substr(8), {}, {}});
    } else if (line.rfind("order: ", 0) == 0) {
      views.back().order = parseList(line.substr(7));
    } else if (line.rfind("seek ", 0) == 0) {
      SeekAnswer a{};
      std::size_t exact = line.find(" exact: ");
      a.value = unescape(line.substr(5, exact - 5));
      auto field = [&](const std::string& name, std::size_t from) {
        std::size_t p = line.find(name, from) + name.size();
        return line.substr(p, line.find_first_of(" |", p) - p);
      };
      std::size_t soft = line.find("| soft:");
      a.exactFound = field("found=", exact) == "T";
      a.exactRecno = static_cast<std::uint32_t>(std::stoul(field("recno=", exact)));
      a.softFound = field("found=", soft) == "T";
      a.softRecno = static_cast<std::uint32_t>(std::stoul(field("recno=", soft)));
      a.softEof = field("eof=", soft) == "T";
      views.back().seeks.push_back(a);
    }
  }
  return views;
}

bool seekLike(Table& t, const std::string& value, bool soft) {
  if (!value.empty() && value[0] == '#') return t.seek(std::stod(value.substr(1)), soft);
  return t.seek(fromCp850(value), soft);
}

class HarbourFixture : public ::testing::Test {
protected:
  void SetUp() override {
    copyFixtures("binary", dir);
    auto opened = Table::open(dir / "t.dbf", OpenMode::Exclusive);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    table = std::move(*opened);
    table->showDeleted(true);
  }
  TempDir dir;
  std::unique_ptr<Table> table;
};

TEST_F(HarbourFixture, ReadsTheStructureAndEveryValue) {
  Structure expected = {{"NAME", 'C', 20, 0},
                        {"BETRAG", 'N', 8, 2},
                        {"DATUM", 'D', 8, 0},
                        {"AKTIV", 'L', 1, 0},
                        {"NR", 'N', 5, 0}};
  EXPECT_EQ(table->structure(), expected);
  ASSERT_EQ(table->lastRec(), 7u);
  table->goTo(1);
  EXPECT_EQ(table->getText("NAME"), "M\xFCller");
  EXPECT_DOUBLE_EQ(table->getNumber("BETRAG"), 12.5);
  EXPECT_EQ(table->getDate("DATUM").format(), "01.03.2024");
  EXPECT_TRUE(table->getLogical("AKTIV"));
  EXPECT_DOUBLE_EQ(table->getNumber("NR"), 3);
  table->goTo(2);
  EXPECT_EQ(table->getText(1), "\xD6zt\xFCrk");
  EXPECT_DOUBLE_EQ(table->getNumber(2), -3.25);
  EXPECT_TRUE(table->getDate(3).isEmpty());
  EXPECT_FALSE(table->getLogical(4));
  table->goTo(3);
  EXPECT_EQ(table->getText("name"),
            "Stra\xDF"
            "e");
  EXPECT_EQ(table->getRaw(2), " 1000.00");
  table->goTo(4);
  EXPECT_TRUE(table->deleted());
  EXPECT_EQ(table->getText("NAME"), "gel\xF6scht");
  table->goTo(5);
  EXPECT_EQ(table->getText("NAME"), "\xC4rger");
  EXPECT_EQ(table->getDate("DATUM").format(), "29.02.2000");
  table->goTo(6);
  EXPECT_DOUBLE_EQ(table->getNumber("NR"), -7);
}

TEST_F(HarbourFixture, WalksEachIndexInHarbourOrder) {
  const std::pair<const char*, const char*> indexes[] = {{"t_name.ntx", "7,1,3,4,6,5,2"},
                                                         {"t_upname.ntx", "4,7,1,6,3,5,2"},
                                                         {"t_nr.ntx", "6,2,3,1,7,4,5"},
                                                         {"t_betrag.ntx", "7,2,6,5,4,1,3"}};
  for (const auto& [file, order] : indexes) {
    auto n = table->openOrder(dir / file);
    ASSERT_TRUE(n.ok()) << file << ": " << n.reason();
    table->setOrder(*n);
    EXPECT_EQ(walk(*table), parseList(order)) << file;
  }
  EXPECT_EQ(table->orderKey(2), "UPPER(NAME)");
}

TEST_F(HarbourFixture, SeeksAsHarbourAnswers) {
  auto views = readHarbourView(dir / "harbour_view.txt");
  ASSERT_EQ(views.size(), 4u);
  for (const auto& view : views) {
    auto n = table->openOrder(dir / view.file);
    ASSERT_TRUE(n.ok()) << n.reason();
    table->setOrder(*n);
    EXPECT_EQ(walk(*table), view.order) << view.file;
    for (const auto& s : view.seeks) {
      SCOPED_TRACE(view.file + " seek " + s.value);
      EXPECT_EQ(seekLike(*table, s.value, false), s.exactFound);
      EXPECT_EQ(table->recno(), s.exactRecno);
      EXPECT_EQ(table->eof(), !s.exactFound);
      EXPECT_EQ(seekLike(*table, s.value, true), s.softFound);
      EXPECT_EQ(table->found(), s.softFound);
      EXPECT_EQ(table->recno(), s.softRecno);
      EXPECT_EQ(table->eof(), s.softEof);
    }
  }
}

// --- the wide set: 3000 records, four levels, Harbour's stale pseudo items ------------------

class WideFixture : public ::testing::Test {
protected:
  void SetUp() override {
    copyFixtures("wide", dir);
    auto opened = Table::open(dir / "w.dbf", OpenMode::Shared);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    table = std::move(*opened);
    table->showDeleted(true);
  }
  TempDir dir;
  std::unique_ptr<Table> table;
};

TEST_F(WideFixture, WalksAndSeeksAsHarbourAnswers) {
  auto views = readHarbourView(dir / "harbour_view.txt");
  ASSERT_EQ(views.size(), 2u);
  for (const auto& view : views) {
    auto n = table->openOrder(dir / view.file);
    ASSERT_TRUE(n.ok()) << n.reason();
    table->setOrder(*n);
    ASSERT_EQ(view.order.size(), 3000u);
    EXPECT_EQ(walk(*table), view.order) << view.file;
    for (const auto& s : view.seeks) {
      SCOPED_TRACE(view.file + " seek " + s.value);
      EXPECT_EQ(seekLike(*table, s.value, false), s.exactFound);
      EXPECT_EQ(table->recno(), s.exactRecno);
      EXPECT_EQ(seekLike(*table, s.value, true), s.softFound);
      EXPECT_EQ(table->recno(), s.softRecno);
      EXPECT_EQ(table->eof(), s.softEof);
    }
  }
}

TEST_F(WideFixture, DeletedRecordsAreInTheIndexButHiddenWhenWalking) {
  auto n = table->openOrder(dir / "w_unr.ntx");
  ASSERT_TRUE(n.ok());
  table->setOrder(*n);
  std::size_t all = walk(*table).size();
  table->showDeleted(false);
  std::size_t live = walk(*table).size();
  EXPECT_EQ(all, 3000u);
  EXPECT_EQ(live, 3000u - 146u);
}

// Every page of an index file as (key count; per item child page, record number, key; the
// pseudo item's child), keyed by file offset.
struct PageView {
  std::uint16_t count;
  std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>> items;
  std::uint32_t rightChild;
  friend bool operator==(const PageView&, const PageView&) = default;
};

std::map<std::size_t, PageView> pagesOf(const fs::path& file) {
  std::string b = test::readBytes(file);
  std::size_t keySize = le16(b.data() + 14);
  std::map<std::size_t, PageView> pages;
  for (std::size_t page = 1024; page + 1024 <= b.size(); page += 1024) {
    PageView v{le16(b.data() + page), {}, 0};
    for (std::size_t i = 0; i <= v.count; ++i) {
      std::size_t item = page + le16(b.data() + page + 2 + 2 * i);
      if (i < v.count)
        v.items.emplace_back(le32(b.data() + item), le32(b.data() + item + 4),
                             b.substr(item + 8, keySize));
      else
        v.rightChild = le32(b.data() + item);
    }
    pages[page] = v;
  }
  return pages;
}

TEST_F(WideFixture, OurIndexFilesHoldHarboursTreePageForPage) {
  const std::pair<const char*, const char*> indexes[] = {{"w_kursart.ntx", "UPPER(KURSART)"},
                                                         {"w_unr.ntx", "UNR"}};
  for (const auto& [harbour, key] : indexes) {
    fs::path ours = dir / ("our_" + std::string(harbour));
    ASSERT_TRUE(table->createOrder(ours, key).ok());
    std::string a = test::readBytes(dir / harbour), b = test::readBytes(ours);
    ASSERT_EQ(a.size(), b.size()) << harbour;
    EXPECT_EQ(a.substr(0, 1024), b.substr(0, 1024)) << harbour << ": header";
    EXPECT_TRUE(pagesOf(dir / harbour) == pagesOf(ours)) << harbour;
  }
}

TEST(GermanFixture, AnIndexInAnotherCollationIsTakenInOurOrder) {
  TempDir dir;
  copyFixtures("german", dir);
  {
    auto t = Table::open(dir / "t.dbf", OpenMode::Exclusive);
    ASSERT_TRUE(t.ok());
    (*t)->showDeleted(true);
    auto n = (*t)->openOrder(dir / "t_name.ntx");
    ASSERT_TRUE(n.ok());
    (*t)->setOrder(*n);
    EXPECT_EQ(walk(**t), parseList("7,1,3,4,6,5,2"));
  }
  // Written again on closing, in byte order: the same tree Harbour built for binary/.
  EXPECT_TRUE(pagesOf(dir / "t_name.ntx") == pagesOf(fixtureDir("binary") / "t_name.ntx"));
}

}  // namespace
}  // namespace velmoran::store
