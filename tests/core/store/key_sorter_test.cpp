// Sorting index keys in bounded memory: runs spilled to a temporary file and merged give the
// same order as sorting everything at once.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "store/key_sorter.h"

namespace velmoran::store {
namespace {

using Items = std::vector<std::pair<std::string, std::uint32_t>>;

Items sorted(std::size_t keySize, std::size_t budget, const std::vector<std::string>& keys,
             std::size_t* runs = nullptr) {
  KeySorter sorter(keySize, budget);
  for (std::size_t i = 0; i < keys.size(); ++i)
    sorter.add(static_cast<std::uint32_t>(i + 1), keys[i].data());
  if (runs) *runs = sorter.spilledRuns();
  Items out;
  sorter.drain(
      [&](std::uint32_t r, const char* k) { out.emplace_back(std::string(k, keySize), r); });
  return out;
}

// Keys with many equal values and shared prefixes longer than eight bytes, including the
// bytes above 0x7F that umlauts take in code page 850.
std::vector<std::string> randomKeys(std::size_t n, std::size_t keySize, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < n; ++i) {
    std::string k(keySize, ' ');
    k.replace(0, std::min<std::size_t>(9, keySize),
              std::string(std::min<std::size_t>(9, keySize), 'A'));
    for (std::size_t j = keySize > 9 ? 9 : 0; j < keySize; ++j) k[j] = "AB\x8E\x99 "[rng() % 5];
    keys.push_back(k);
  }
  return keys;
}

Items expected(const std::vector<std::string>& keys) {
  Items e;
  for (std::size_t i = 0; i < keys.size(); ++i)
    e.emplace_back(keys[i], static_cast<std::uint32_t>(i + 1));
  std::sort(e.begin(), e.end(), [](const auto& a, const auto& b) {
    // Compare as unsigned bytes, as the index does.
    int c = std::lexicographical_compare(
                a.first.begin(), a.first.end(), b.first.begin(), b.first.end(),
                [](char x, char y) {
                  return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                })
                ? -1
                : (a.first == b.first ? 0 : 1);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  return e;
}

TEST(KeySorter, SpilledRunsMergeIntoTheOrderOfOneSort) {
  for (std::size_t keySize : {4u, 12u, 30u}) {
    auto keys = randomKeys(20000, keySize, static_cast<unsigned>(keySize));
    std::size_t runs = 0;
    // The smallest budget: runs of 1,024 items.
    Items got = sorted(keySize, 1, keys, &runs);
    EXPECT_GE(runs, 19u) << keySize;
    EXPECT_EQ(got, expected(keys)) << keySize;
  }
}

TEST(KeySorter, FewKeysInLongStretchesKeepTheirRecordOrder) {
  // Three values, keys alike in their first eight bytes or in all but the first: each run
  // holds long stretches of one key, and they go on across the pieces read back.
  for (std::size_t keySize : {6u, 20u}) {
    std::mt19937 rng(static_cast<unsigned>(keySize));
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < 30000; ++i) {
      std::string k(keySize, 'K');
      k[keySize - 1] = "XYZ"[rng() % 3];
      if (keySize == 6) k[0] = k[keySize - 1];
      keys.push_back(k);
    }
    std::size_t runs = 0;
    Items got = sorted(keySize, 1, keys, &runs);
    EXPECT_GE(runs, 29u) << keySize;
    EXPECT_EQ(got, expected(keys)) << keySize;
  }
}

TEST(KeySorter, MoreRunsThanOneMergeTakesAreMergedInRounds) {
  auto keys = randomKeys(1024 * 130 + 17, 6, 11);
  std::size_t runs = 0;
  Items got = sorted(6, 1, keys, &runs);
  EXPECT_EQ(runs, 130u);  // the last, short run is spilled when draining begins
  EXPECT_EQ(got, expected(keys));
}

TEST(KeySorter, TheTemporaryFileIsGoneAfterwards) {
  namespace fs = std::filesystem;
  // This process's own temporary files: other test programs running at the same time make
  // folders named "velmoran-..." there too.
#ifdef _WIN32
  const std::string mine = "velmoran-" + std::to_string(_getpid()) + "-";
#else
  const std::string mine = "velmoran-" + std::to_string(getpid()) + "-";
#endif
  auto ours = [&] {
    std::size_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::temp_directory_path(), ec))
      if (e.path().filename().string().rfind(mine, 0) == 0) ++n;
    return n;
  };
  const std::size_t before = ours();
  {
    std::size_t runs = 0;
    auto keys = randomKeys(4096, 8, 5);
    EXPECT_EQ(sorted(8, 1, keys, &runs), expected(keys));
    EXPECT_GE(runs, 4u);
  }
  EXPECT_EQ(ours(), before);
}

TEST(KeySorter, WithinTheBudgetNothingIsSpilled) {
  auto keys = randomKeys(5000, 10, 7);
  std::size_t runs = 0;
  Items got = sorted(10, 64 * 1024 * 1024, keys, &runs);
  EXPECT_EQ(runs, 0u);
  EXPECT_EQ(got, expected(keys));
}

TEST(KeySorter, NoItemsAndOneFullRun) {
  EXPECT_TRUE(sorted(8, 1, {}).empty());
  auto keys = randomKeys(1024, 8, 3);  // exactly one run: spilled, then read back alone
  std::size_t runs = 0;
  EXPECT_EQ(sorted(8, 1, keys, &runs), expected(keys));
  EXPECT_EQ(runs, 1u);
}

// Keys that differ in few byte positions go through radix passes, keys that differ almost
// everywhere are compared; both give byte order and keep equal keys in their order.
TEST(SortedPositions, ByteOrderAndStableForFewAndManyVaryingPositions) {
  std::mt19937 rng(23);
  for (std::size_t keySize : {1u, 5u, 40u}) {
    for (bool everywhere : {false, true}) {
      std::vector<std::string> keys;
      for (int i = 0; i < 3000; ++i) {
        std::string k(keySize, ' ');
        const std::size_t varying = everywhere ? keySize : std::min<std::size_t>(2, keySize);
        // Few distinct bytes, so many keys are equal.
        for (std::size_t j = 0; j < varying; ++j) k[j] = "A\x8E\xFF "[rng() % 4];
        keys.push_back(k);
      }
      std::string flat;
      for (const auto& k : keys) flat += k;
      std::vector<std::uint32_t> got = sortedPositions(flat.data(), keySize, keys.size());
      Items want = expected(keys);
      ASSERT_EQ(got.size(), want.size());
      for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i] + 1, want[i].second) << keySize << " " << everywhere << " at " << i;
    }
  }
  EXPECT_TRUE(sortedPositions("", 8, 0).empty());
}

}  // namespace
}  // namespace velmoran::store
