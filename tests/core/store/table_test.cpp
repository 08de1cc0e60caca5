// The dBASE III table file: header and record bytes, field values, the cursor, deleted
// records, pack, appendFrom, files whose header disagrees with their length, damaged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <random>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "store/field_codec.h"
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

const Structure everyType = {{"NAME", 'C', 12, 0},
                             {"BETRAG", 'N', 8, 2},
                             {"DATUM", 'D', 8, 0},
                             {"AKTIV", 'L', 1, 0},
                             {"NR", 'N', 5, 0}};

class TableFile : public ::testing::Test {
protected:
  TempDir dir;
  std::filesystem::path file = dir / "t.dbf";
};

// --- bytes on disk -------------------------------------------------------------------------

TEST_F(TableFile, CreateWritesAClipperStyleHeader) {
  ASSERT_TRUE(Table::create(file, everyType).ok());
  std::string b = readBytes(file);
  const std::size_t headerLength = 32 * (everyType.size() + 1) + 2;
  ASSERT_EQ(b.size(), headerLength + 1);
  EXPECT_EQ(b[0], '\x03');
  Date today = Date::today();
  EXPECT_EQ(static_cast<unsigned char>(b[1]), today.year() - 1900);
  EXPECT_EQ(b[2], static_cast<char>(today.month()));
  EXPECT_EQ(b[3], static_cast<char>(today.day()));
  EXPECT_EQ(le32(b.data() + 4), 0u);
  EXPECT_EQ(le16(b.data() + 8), headerLength);
  EXPECT_EQ(le16(b.data() + 10), 1 + 12 + 8 + 8 + 1 + 5);
  EXPECT_EQ(b[29], '\x02');
  EXPECT_EQ(b.substr(32, 11), std::string("NAME\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(b[32 + 11], 'C');
  EXPECT_EQ(b[32 + 16], '\x0C');
  EXPECT_EQ(b.substr(64, 7), std::string("BETRAG\0", 7));
  EXPECT_EQ(b[64 + 11], 'N');
  EXPECT_EQ(b[64 + 16], '\x08');
  EXPECT_EQ(b[64 + 17], '\x02');
  EXPECT_EQ(b[96 + 11], 'D');
  EXPECT_EQ(b[128 + 11], 'L');
  EXPECT_EQ(b.substr(headerLength - 2, 3), std::string("\x0D\x00\x1A", 3));
}

TEST_F(TableFile, RecordsAreWrittenFieldByFieldAndCountedInTheHeader) {
  {
    auto t = createTable(file, everyType);
    t->append();
    t->put("NAME", "M\xFCller");  // Müller
    t->put("BETRAG", 12.5);
    t->put("DATUM", *Date::make(2024, 3, 1));
    t->putLogical("AKTIV", true);
    t->put("NR", -7.0);
    t->append();
    t->remove();
    t->flush();
  }
  std::string b = readBytes(file);
  const std::size_t h = 32 * 6 + 2, len = 35;
  EXPECT_EQ(le32(b.data() + 4), 2u);
  EXPECT_EQ(b.substr(h, len), " M\x81ller         12.5020240301T   -7");
  EXPECT_EQ(b.substr(h + len, len), "*" + std::string(len - 1, ' '));
  EXPECT_EQ(b.size(), h + 2 * len + 1);
  EXPECT_EQ(b.back(), '\x1A');
}

TEST_F(TableFile, NumbersAreRightAlignedWithExactlyTheirDecimals) {
  auto t = createTable(file, {{"B", 'N', 8, 2}, {"N", 'N', 5, 0}});
  t->append();
  auto raw = [&](int pos, double v) {
    t->put(pos, v);
    return t->getRaw(pos);
  };
  EXPECT_EQ(raw(1, 12.5), "   12.50");
  EXPECT_EQ(raw(1, -3.25), "   -3.25");
  EXPECT_EQ(raw(1, 0.0), "    0.00");
  EXPECT_EQ(raw(1, 1.005), "    1.01");
  EXPECT_EQ(raw(1, -0.001), "    0.00");
  EXPECT_EQ(raw(1, 99999.994), "99999.99");
  EXPECT_EQ(raw(1, 99999.995), "********");
  EXPECT_EQ(raw(2, 3.0), "    3");
  EXPECT_EQ(raw(2, 2.5), "    3");
  EXPECT_EQ(raw(2, -2.5), "   -3");
  EXPECT_EQ(raw(2, 123456.0), "*****");
  EXPECT_EQ(raw(2, -9999.0), "-9999");
}

// Away from a halfway digit the rounding nudge does not matter: the field text is printf's,
// right-aligned, without the sign of a value that rounds to zero, stars when it is too wide.
// Up to twelve significant digits (the tables' numbers have at most ten); beyond them the
// nudge of a few units in the last place reaches the last decimal.
TEST(NumberFields, AgreeWithPrintfAwayFromHalfway) {
  std::mt19937 rng(20261208);
  for (int k = 0; k < 20000; ++k) {
    const int decimals = static_cast<int>(rng() % 7);
    const int width = 1 + static_cast<int>(rng() % 20);
    double v = static_cast<double>(static_cast<long long>(rng() % 2000000001u) - 1000000000) + 0.3;
    for (unsigned e = rng() % 12; e > 0; --e) v /= 10;
    double digits = std::fabs(v);
    for (int d = 0; d < decimals; ++d) digits *= 10;
    if (digits >= 1e12) continue;
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string text = buf;
    if (text.front() == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
      text.erase(0, 1);
    std::string expected =
        static_cast<int>(text.size()) > width
            ? std::string(static_cast<std::size_t>(width), '*')
            : std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
    ASSERT_EQ(numberField(v, width, decimals), expected) << v << " " << width << " " << decimals;
  }
}

// Reading a number field: the C library's strtod (in the "C" locale) is the judge of every
// text that is blanks, a sign and digits with one point or comma; anything else is no number.
TEST(NumberFields, ReadAsStrtodReadsThem) {
  std::mt19937 rng(8122026);
  const std::string alphabet = "0123456789012345678901234567890123456789.,-+ e";
  for (int k = 0; k < 50000; ++k) {
    std::string text;
    for (unsigned n = rng() % 22; n > 0; --n) text += alphabet[rng() % alphabet.size()];
    std::string inner = text;
    while (!inner.empty() && inner.front() == ' ') inner.erase(0, 1);
    while (!inner.empty() && inner.back() == ' ') inner.pop_back();
    std::optional<double> expected;
    if (inner.empty()) {
      expected = 0.0;
    } else {
      std::string body = inner.substr(inner[0] == '-' || inner[0] == '+' ? 1 : 0);
      for (char& c : body)
        if (c == ',') c = '.';
      const bool plain = !body.empty() &&
                         body.find_first_not_of("0123456789.") == std::string::npos &&
                         std::count(body.begin(), body.end(), '.') <= 1 && body != ".";
      if (plain) {
        double v = std::strtod(body.c_str(), nullptr);
        expected = inner[0] == '-' ? -v : v;
      }
    }
    std::optional<double> got = readNumber(text);
    ASSERT_EQ(got.has_value(), expected.has_value()) << "'" << text << "'";
    if (got) {
      ASSERT_EQ(*got, *expected) << "'" << text << "'";
      ASSERT_EQ(std::signbit(*got), std::signbit(*expected)) << "'" << text << "'";
    }
  }
}

TEST_F(TableFile, UmlautsAreStoredInCodePage850) {
  {
    auto t = createTable(file, {{"NAME", 'C', 20, 0}});
    t->append();
    t->put(1, "\xC4rger \xF6\xFC \xDF");  // Ärger öü ß
    t->flush();
  }
  std::string b = readBytes(file);
  EXPECT_EQ(b.substr(32 * 2 + 2 + 1, 20), "\x8Erger \x94\x81 \xE1" + std::string(10, ' '));
  auto t = openTable(file);
  t->goTop();
  EXPECT_EQ(t->getText(1), "\xC4rger \xF6\xFC \xDF");
}

// --- values --------------------------------------------------------------------------------

TEST_F(TableFile, EveryFieldTypeRoundTripsThroughTheFile) {
  {
    auto t = createTable(file, everyType);
    t->append();
    t->put("NAME", "\xD6zt\xFCrk");
    t->put("BETRAG", -120.75);
    t->put("DATUM", *Date::make(1999, 12, 31));
    t->putLogical("AKTIV", false);
    t->put("NR", 42.0);
    t->append();  // left blank
  }
  auto t = openTable(file);
  ASSERT_EQ(t->lastRec(), 2u);
  t->goTo(1);
  EXPECT_EQ(t->getText("NAME"), "\xD6zt\xFCrk");
  EXPECT_DOUBLE_EQ(t->getNumber("BETRAG"), -120.75);
  EXPECT_EQ(t->getText("BETRAG"), "-120.75");
  EXPECT_EQ(t->getDate("DATUM"), *Date::make(1999, 12, 31));
  EXPECT_EQ(t->getText("DATUM"), "31.12.1999");
  EXPECT_FALSE(t->getLogical("AKTIV"));
  EXPECT_EQ(t->getText("AKTIV"), "F");
  EXPECT_DOUBLE_EQ(t->getNumber("NR"), 42);
  t->goTo(2);
  EXPECT_EQ(t->getText("NAME"), "");
  EXPECT_EQ(t->getRaw(1), std::string(12, ' '));
  EXPECT_DOUBLE_EQ(t->getNumber("BETRAG"), 0);  // an empty number reads as 0
  EXPECT_TRUE(t->getDate("DATUM").isEmpty());
  EXPECT_FALSE(t->getLogical("AKTIV"));
  EXPECT_EQ(t->getText("AKTIV"), "");
}

TEST_F(TableFile, TextPutsFollowTheFieldType) {
  auto t = createTable(file, everyType);
  t->append();
  t->put("NAME", "Ein zu langer Name");
  EXPECT_EQ(t->getText("NAME"), "Ein zu lange");
  t->put("BETRAG", "3,5");
  EXPECT_EQ(t->getRaw(2), "    3.50");
  t->put("BETRAG", "");
  EXPECT_EQ(t->getRaw(2), std::string(8, ' '));
  t->put("DATUM", "29.02.2000");
  EXPECT_EQ(t->getRaw(3), "20000229");
  t->put("DATUM", "31.02.2000");
  EXPECT_EQ(t->getRaw(3), std::string(8, ' '));
  t->put("AKTIV", "J");
  EXPECT_TRUE(t->getLogical("AKTIV"));
  t->put("NAME", 12.5);
  EXPECT_EQ(t->getText("NAME"), "12.5");
}

TEST_F(TableFile, PaddedValuesKeepTheFieldWidth) {
  auto t = createTable(file, everyType);
  t->append();
  t->put("NAME", "\xC4 b ");  // Ä b, a blank inside and one at the end
  t->put("BETRAG", 3.5);
  EXPECT_EQ(t->getPadded("NAME"), "\xC4 b" + std::string(9, ' '));
  EXPECT_EQ(t->getPadded("BETRAG"), "3.50    ");
  t->put("DATUM", *Date::make(2024, 3, 1));
  Text reused = "a longer text than any field";
  for (int p = 1; p <= static_cast<int>(everyType.size()); ++p) {
    t->getPadded(p, reused);
    EXPECT_EQ(reused, t->getPadded(p)) << p;
    t->getText(p, reused);  // into the same buffer: without the trailing blanks
    EXPECT_EQ(reused, t->getText(p)) << p;
  }
  EXPECT_EQ(reused, "");  // NR, never set
  t->getText(1, reused);
  EXPECT_EQ(reused, "\xC4 b");
  EXPECT_THROW(t->getPadded("NOFIELD"), std::out_of_range);
  EXPECT_THROW(t->getText(6, reused), std::out_of_range);
}

TEST_F(TableFile, FieldsByCaseInsensitiveNameOrPosition) {
  auto t = createTable(file, everyType);
  EXPECT_EQ(t->fieldIndex("betrag"), 2);
  EXPECT_EQ(t->fieldIndex("Nr"), 5);
  EXPECT_EQ(t->fieldIndex("NOPE"), 0);
  t->append();
  t->put("nr", 5.0);
  EXPECT_DOUBLE_EQ(t->getNumber(5), 5);
  EXPECT_THROW(t->getText("NOPE"), std::out_of_range);
  EXPECT_THROW(t->getText(6), std::out_of_range);
}

TEST_F(TableFile, AtEofGetsAreEmptyAndPutsDoNothing) {
  auto t = nameTable(file, {"Anna"});
  t->skip();
  ASSERT_TRUE(t->eof());
  EXPECT_EQ(t->getText("NAME"), "");
  t->put("NAME", "Berta");
  t->remove();
  EXPECT_EQ(t->lastRec(), 1u);
  t->goTo(1);
  EXPECT_EQ(t->getText("NAME"), "Anna");
  EXPECT_FALSE(t->deleted());
}

// --- cursor --------------------------------------------------------------------------------

TEST_F(TableFile, SkipStopsAtBothEndsAsClipperDoes) {
  auto t = nameTable(file, {"A", "B", "C"});
  t->goTop();
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_FALSE(t->bof());
  t->skip(-1);
  EXPECT_TRUE(t->bof());
  EXPECT_FALSE(t->eof());
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_EQ(t->getText(1), "A");
  t->skip();
  EXPECT_FALSE(t->bof());
  EXPECT_EQ(t->recno(), 2u);
  t->goBottom();
  EXPECT_EQ(t->recno(), 3u);
  t->skip();
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->recno(), 4u);
  t->skip();
  EXPECT_TRUE(t->eof());
  t->skip(-1);
  EXPECT_FALSE(t->eof());
  EXPECT_EQ(t->recno(), 3u);
  t->goTop();
  t->skip(5);
  EXPECT_TRUE(t->eof());
  t->goBottom();
  t->skip(-5);
  EXPECT_TRUE(t->bof());
  EXPECT_EQ(t->recno(), 1u);
}

TEST_F(TableFile, AnEmptyTableIsAtBothEnds) {
  auto t = createTable(file, {{"NAME", 'C', 5, 0}});
  t->goTop();
  EXPECT_TRUE(t->eof());
  EXPECT_TRUE(t->bof());
  EXPECT_EQ(t->recno(), 1u);
  EXPECT_EQ(t->lastRec(), 0u);
  t->skip(-1);
  EXPECT_TRUE(t->eof());
  EXPECT_TRUE(t->bof());
  t->goBottom();
  EXPECT_TRUE(t->eof());
}

TEST_F(TableFile, GoToOutsideTheTableIsEof) {
  auto t = nameTable(file, {"A", "B", "C"});
  t->goTo(0);
  EXPECT_TRUE(t->eof());
  EXPECT_EQ(t->recno(), 4u);
  t->goTo(4);
  EXPECT_TRUE(t->eof());
  t->goTo(2);
  EXPECT_FALSE(t->eof());
  EXPECT_EQ(t->getText(1), "B");
}

TEST_F(TableFile, DeletedRecordsAreHiddenUnlessShown) {
  auto t = nameTable(file, {"A", "B", "C", "D", "E"});
  for (std::uint32_t r : {2u, 5u}) {
    t->goTo(r);
    t->remove();
  }
  EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{1, 3, 4}));
  EXPECT_EQ(walkBack(*t), (std::vector<std::uint32_t>{4, 3, 1}));
  EXPECT_EQ(t->visibleRecnos(), (std::vector<std::uint32_t>{1, 3, 4}));
  t->goTo(2);  // goTo reaches a hidden record
  EXPECT_TRUE(t->deleted());
  EXPECT_EQ(t->getText(1), "B");
  t->showDeleted(true);
  EXPECT_TRUE(t->deletedVisible());
  EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
  t->goTo(2);
  t->recall();
  t->showDeleted(false);
  EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{1, 2, 3, 4}));
}

TEST_F(TableFile, ATableOfDeletedRecordsLooksEmpty) {
  auto t = nameTable(file, {"A", "B"});
  for (t->goTop(); !t->eof(); t->goTop()) t->remove();
  EXPECT_TRUE(t->eof());
  EXPECT_TRUE(t->bof());
  EXPECT_EQ(t->lastRec(), 2u);
}

TEST_F(TableFile, TheDeletedMarkIsAStarInTheFile) {
  {
    auto t = nameTable(file, {"A", "B"});
    t->goTo(2);
    t->remove();
  }
  std::string b = readBytes(file);
  EXPECT_EQ(b.substr(32 * 2 + 2, 11), " A         ");
  EXPECT_EQ(b.substr(32 * 2 + 2 + 11, 11), "*B         ");
}

// --- header count against file length ----------------------------------------------------

TEST_F(TableFile, TheFileLengthWinsOverALowHeaderCount) {
  nameTable(file, {"A", "B", "C"}).reset();
  std::string b = readBytes(file);
  b[4] = 1;  // header claims one record; the file holds three
  writeBytes(file, b);
  auto t = openTable(file);
  EXPECT_EQ(t->lastRec(), 3u);
  t->goBottom();
  EXPECT_EQ(t->getText(1), "C");
}

TEST_F(TableFile, AShortFileIsReadAsFarAsItGoesAndRepairedByPack) {
  nameTable(file, {"A", "B", "C", "D"}).reset();
  std::string b = readBytes(file);
  const std::size_t h = 32 * 2 + 2, len = 11;
  b[4] = 5;                   // header claims five records
  b.resize(h + 3 * len + 4);  // three whole records and part of the fourth
  writeBytes(file, b);
  {
    auto t = openTable(file);
    EXPECT_EQ(t->lastRec(), 3u);
    EXPECT_EQ(walk(*t), (std::vector<std::uint32_t>{1, 2, 3}));
    t->pack();
  }
  std::string packed = readBytes(file);
  EXPECT_EQ(le32(packed.data() + 4), 3u);
  EXPECT_EQ(packed.size(), h + 3 * len + 1);
  EXPECT_EQ(packed.back(), '\x1A');
}

TEST_F(TableFile, AFileWithoutEndMarkerOpens) {
  nameTable(file, {"A", "B"}).reset();
  std::string b = readBytes(file);
  b.pop_back();
  writeBytes(file, b);
  auto t = openTable(file);
  EXPECT_EQ(t->lastRec(), 2u);
}

TEST_F(TableFile, AppendsAfterATrailingPartRecordOverwriteIt) {
  nameTable(file, {"A", "B"}).reset();
  std::string b = readBytes(file);
  b.back() = 'x';
  b += "yz";  // junk after the last record
  writeBytes(file, b);
  {
    auto t = openTable(file);
    t->append();
    t->put(1, "C");
  }
  auto t = openTable(file);
  EXPECT_EQ(t->lastRec(), 3u);
  t->goBottom();
  EXPECT_EQ(t->getText(1), "C");
  EXPECT_EQ(readBytes(file).size(), 32 * 2 + 2 + 3 * 11 + 1);
}

// --- damaged files -------------------------------------------------------------------------

struct Damage {
  const char* what;
  std::string (*make)(std::string good);
  const char* reasonPart;
};

const Damage damages[] = {
    {"empty", [](std::string) { return std::string(); }, "too short"},
    {"cut inside the header", [](std::string g) { return g.substr(0, 20); }, "too short"},
    {"header length beyond the file",
     [](std::string g) {
       g[8] = '\xFF';
       g[9] = '\x7F';
       return g;
     },
     "beyond the end"},
    {"zero record length",
     [](std::string g) {
       g[10] = g[11] = 0;
       return g;
     },
     "record length"},
    {"record length shorter than the fields",
     [](std::string g) {
       g[10] = 5;
       return g;
     },
     "record length"},
    {"not a dBASE III version",
     [](std::string g) {
       g[0] = 'P';
       return g;
     },
     "version"},
    {"no fields",
     [](std::string g) {
       g[32] = 0x0D;
       return g;
     },
     "no fields"},
    {"unknown field type",
     [](std::string g) {
       g[32 + 11] = 'X';
       return g;
     },
     "type"},
    {"garbage descriptors",
     [](std::string g) {
       for (std::size_t i = 32; i < 64; ++i) g[i] = static_cast<char>(0);
       return g;
     },
     "no name"},
};

TEST_F(TableFile, DamagedFilesAreRefusedWithAReason) {
  nameTable(file, {"A", "B"}).reset();
  const std::string good = readBytes(file);
  for (const auto& d : damages) {
    SCOPED_TRACE(d.what);
    writeBytes(file, d.make(good));
    auto t = Table::open(file, OpenMode::Exclusive);
    ASSERT_FALSE(t.ok());
    EXPECT_NE(t.reason().find(d.reasonPart), std::string::npos) << t.reason();
  }
}

TEST_F(TableFile, RandomBytesNeverCrashTheReader) {
  nameTable(file, {"A", "B"}).reset();
  const std::string good = readBytes(file);
  unsigned seed = 12345;
  for (int round = 0; round < 300; ++round) {
    std::string b = good;
    for (int k = 0; k < 6; ++k) {
      seed = seed * 1103515245 + 12345;
      b[(seed >> 8) % b.size()] = static_cast<char>(seed >> 16);
    }
    writeBytes(file, b);
    auto t = Table::open(file, OpenMode::Exclusive);
    if (!t) continue;
    for ((*t)->goTop(); !(*t)->eof(); (*t)->skip())
      for (int f = 1; f <= static_cast<int>((*t)->structure().size()); ++f) (void)(*t)->getText(f);
  }
}

TEST_F(TableFile, AMissingFileIsAFailure) {
  auto t = Table::open(dir / "none.dbf", OpenMode::Shared);
  ASSERT_FALSE(t.ok());
  EXPECT_NE(t.reason().find("none.dbf"), std::string::npos);
}

TEST_F(TableFile, CreateRefusesImpossibleStructures) {
  EXPECT_FALSE(Table::create(file, {}).ok());
  EXPECT_FALSE(Table::create(file, {{"1ST", 'C', 5, 0}}).ok());
  EXPECT_FALSE(Table::create(file, {{"ELEVENCHARS", 'C', 5, 0}}).ok());
  EXPECT_FALSE(Table::create(file, {{"A", 'C', 5, 0}, {"a", 'N', 3, 0}}).ok());
  EXPECT_FALSE(Table::create(file, {{"A", 'N', 5, 4}}).ok());
  EXPECT_FALSE(Table::create(file, {{"A", 'C', 255, 0}}).ok());
  EXPECT_FALSE(Table::create(file, {{"A", 'M', 10, 0}}).ok());
  EXPECT_TRUE(Table::create(file, {{"A_1", 'C', 254, 0}, {"B", 'N', 19, 15}}).ok());
}

// --- pack and appendFrom ---------------------------------------------------------------------

TEST_F(TableFile, PackRemovesDeletedRecordsAndTruncates) {
  {
    auto t = nameTable(file, {"A", "B", "C", "D", "E"});
    for (std::uint32_t r : {2u, 4u}) {
      t->goTo(r);
      t->remove();
    }
    t->pack();
    EXPECT_EQ(t->lastRec(), 3u);
    EXPECT_EQ(t->recno(), 1u);
    t->showDeleted(true);
    std::vector<std::string> names;
    for (t->goTop(); !t->eof(); t->skip()) names.push_back(t->getText(1));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "C", "E"}));
  }
  std::string b = readBytes(file);
  EXPECT_EQ(le32(b.data() + 4), 3u);
  EXPECT_EQ(b.size(), 32 * 2 + 2 + 3 * 11 + 1);
  EXPECT_EQ(b.substr(32 * 2 + 2), " A          C          E         \x1A");
}

TEST_F(TableFile, AppendFromMatchesFieldsByName) {
  auto source = dir / "old.dbf";
  {
    auto s = createTable(source, {{"NAME", 'C', 5, 0}, {"NR", 'N', 3, 0}, {"ALT", 'C', 3, 0}});
    const char* names[] = {"Kurz", "\xC4lter", "Weg"};
    for (int i = 0; i < 3; ++i) {
      s->append();
      s->put("NAME", names[i]);
      s->put("NR", static_cast<double>(i + 1));
      s->put("ALT", "x");
    }
    s->goTo(3);
    s->remove();
  }
  auto t = createTable(file, {{"NR", 'N', 5, 1}, {"NAME", 'C', 20, 0}, {"NEU", 'C', 4, 0}});
  ASSERT_TRUE(t->appendFrom(source).ok());
  ASSERT_EQ(t->lastRec(), 3u);
  t->goTo(2);
  EXPECT_EQ(t->getText("NAME"), "\xC4lter");
  EXPECT_EQ(t->getRaw(1), "  2.0");
  EXPECT_EQ(t->getText("NEU"), "");
  t->goTo(3);
  EXPECT_TRUE(t->deleted());
  EXPECT_EQ(t->getText("NAME"), "Weg");
}

TEST_F(TableFile, AppendFromIntoNarrowerFieldsCutsThem) {
  auto source = dir / "wide.dbf";
  {
    auto s = createTable(source, {{"NAME", 'C', 20, 0}, {"NR", 'N', 10, 2}});
    s->append();
    s->put("NAME", "Bergmannsheil");
    s->put("NR", 123456.78);
  }
  auto t = createTable(file, {{"NAME", 'C', 4, 0}, {"NR", 'N', 4, 0}});
  ASSERT_TRUE(t->appendFrom(source).ok());
  t->goTo(1);
  EXPECT_EQ(t->getText("NAME"), "Berg");
  EXPECT_EQ(t->getRaw(2), "****");
}

TEST_F(TableFile, AppendFromAMissingOrDamagedFileFails) {
  auto t = createTable(file, {{"NAME", 'C', 4, 0}});
  EXPECT_FALSE(t->appendFrom(dir / "none.dbf").ok());
  writeBytes(dir / "bad.dbf", "not a table at all, not at all, really not");
  EXPECT_FALSE(t->appendFrom(dir / "bad.dbf").ok());
  EXPECT_FALSE(t->appendFrom(file).ok());
  EXPECT_EQ(t->lastRec(), 0u);
}

// --- many records and failures of the disk --------------------------------------------------

TEST_F(TableFile, ManyRecordsSurviveTheCacheAndReopen) {
  const int n = 20000;  // several cache blocks' worth, so blocks are evicted and reloaded
  {
    auto t = createTable(file, {{"NR", 'N', 7, 0}, {"TEXT", 'C', 30, 0}});
    for (int i = 1; i <= n; ++i) {
      t->append();
      t->put(1, static_cast<double>(i));
      t->put(2, "Zeile " + std::to_string(i));
    }
    for (int i = 1; i <= n; i += 997) {
      t->goTo(static_cast<std::uint32_t>(i));
      t->put(2, "neu " + std::to_string(i));
    }
  }
  auto t = openTable(file, OpenMode::Shared);
  ASSERT_EQ(t->lastRec(), static_cast<std::uint32_t>(n));
  int i = 0;
  for (t->goTop(); !t->eof(); t->skip()) {
    ++i;
    ASSERT_DOUBLE_EQ(t->getNumber(1), i);
    ASSERT_EQ(t->getText(2), ((i - 1) % 997 == 0 ? "neu " : "Zeile ") + std::to_string(i));
  }
  EXPECT_EQ(i, n);
}

// Appends in rounds with a flush after each, and changes to earlier records between them:
// after every flush the file holds exactly the records and the end marker. In the wide table
// header and first record fill 4 KB, the piece the record cache reads in, so the end marker
// of the first flush starts the next piece.
TEST_F(TableFile, FileBytesFollowAppendsAndChangesAcrossFlushes) {
  Structure wide;
  for (int i = 0; i < 16; ++i)
    wide.push_back({"F" + std::to_string(i), 'C', i == 15 ? 219 : 222, 0});
  std::mt19937 rng(17);
  for (const Structure& structure :
       {Structure{{"NAME", 'C', 63, 0}}, Structure{{"NAME", 'C', 99, 0}}, wide}) {
    const auto width = static_cast<std::size_t>(structure[0].length);
    std::size_t length = 1;
    for (const Field& f : structure) length += static_cast<std::size_t>(f.length);
    const std::string rest(length - 1 - width, ' ');
    std::vector<std::string> records;  // as they must stand in the file
    auto t = createTable(file, structure);
    const std::size_t headerLength = readBytes(file).size() - 1;
    for (int round = 0; round < 12; ++round) {
      const int appends = round == 0 ? 1 : 1 + static_cast<int>(rng() % 40);
      for (int i = 0; i < appends; ++i) {
        t->append();
        std::string value = "R" + std::to_string(records.size() + 1) + "-" + std::to_string(round);
        t->put(1, value);
        records.push_back(" " + value + std::string(width - value.size(), ' ') + rest);
      }
      if (round % 3 == 1) {
        const auto r = static_cast<std::uint32_t>(1 + rng() % records.size());
        t->goTo(r);
        t->put(1, "X");
        records[r - 1] = " X" + std::string(width - 1, ' ') + rest;
      }
      t->flush();
      const std::string bytes = readBytes(file);
      ASSERT_EQ(bytes.size(), headerLength + records.size() * length + 1) << width << " " << round;
      for (std::size_t r = 0; r < records.size(); ++r)
        ASSERT_EQ(bytes.substr(headerLength + r * length, length), records[r]) << width << " " << r;
      ASSERT_EQ(bytes.back(), '\x1A') << width << " " << round;
    }
    if (structure.size() == 16) {
      EXPECT_EQ((headerLength + length) % 4096, 0u);
    }
    t.reset();
    std::filesystem::remove(file);
  }
}

#ifndef _WIN32
TEST_F(TableFile, AFullDiskThrowsIoError) {
  ASSERT_TRUE(Table::create(file, {{"TEXT", 'C', 200, 0}}).ok());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child may write no more than 64 KiB per file: the disk is "full" after that.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    int status = 2;
    try {
      auto t = Table::open(file, OpenMode::Exclusive);
      for (int i = 0; i < 2000; ++i) {
        (*t)->append();
        (*t)->put(1, "x");
      }
      (*t)->flush();
      status = 1;
    } catch (const IoError&) {
      status = 0;
    }
    _exit(status);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "expected IoError in the child";
}
#endif

}  // namespace
}  // namespace velmoran::store
