// The block cache under the table file: partial loads, write-back, eviction.

#include <gtest/gtest.h>

#include "store/os_file.h"
#include "store/record_cache.h"
#include "support/temp_dir.h"

namespace velmoran::store {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::string pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return s;
}

class Cache : public ::testing::Test {
protected:
  void SetUp() override {
    writeBytes(file, original);
    auto f = OsFile::open(file, OsFile::Access::ReadWrite);
    ASSERT_TRUE(f.ok());
    os = std::move(*f);
  }
  TempDir dir;
  std::filesystem::path file = dir / "data";
  std::string original = pattern(RecordCache::blockSize * 40 + 123);
  OsFile os;
};

TEST_F(Cache, ReadsAcrossBlockBoundariesAndBeyondTheEnd) {
  RecordCache cache(os);
  std::string got(100, ' ');
  cache.read(RecordCache::blockSize - 50, got.data(), got.size());
  EXPECT_EQ(got, original.substr(RecordCache::blockSize - 50, 100));
  cache.read(original.size() - 20, got.data(), got.size());
  EXPECT_EQ(got, original.substr(original.size() - 20) + std::string(80, '\0'));
}

TEST_F(Cache, ChangesFarApartInOneBlockLeaveTheBytesBetweenThemAlone) {
  RecordCache cache(os);
  const std::size_t base = 5 * RecordCache::blockSize;
  cache.write(base + 10, "XY", 2);  // first segment
  char c = 0;
  cache.read(20 * RecordCache::blockSize, &c, 1);  // elsewhere: no walk through block 5
  cache.write(base + 50000, "Z", 1);  // a segment far behind; those between not yet read
  cache.flush();
  std::string expected = original;
  expected.replace(base + 10, 2, "XY");
  expected.replace(base + 50000, 1, "Z");
  EXPECT_EQ(readBytes(file), expected);
}

TEST_F(Cache, EvictedBlocksAreWrittenAndReadBack) {
  RecordCache cache(os);
  std::string expected = original;
  // Far more blocks than the cache holds, visited out of order.
  for (std::size_t k = 0; k < 3 * RecordCache::maxBlocks; ++k) {
    std::size_t at = ((k * 7) % 40) * RecordCache::blockSize + (k * 4099) % 60000;
    std::string mark = "#" + std::to_string(k);
    cache.write(at, mark.data(), mark.size());
    expected.replace(at, mark.size(), mark);
  }
  std::string got(expected.size(), '\0');
  cache.read(0, got.data(), got.size());
  EXPECT_EQ(got, expected);
  cache.flush();
  EXPECT_EQ(readBytes(file), expected);
}

TEST_F(Cache, AppendingBeyondTheEndGrowsTheFile) {
  RecordCache cache(os);
  std::string tail = pattern(3 * RecordCache::blockSize);
  cache.write(original.size(), tail.data(), tail.size());
  cache.flush();
  EXPECT_EQ(readBytes(file), original + tail);
}

}  // namespace
}  // namespace velmoran::store
