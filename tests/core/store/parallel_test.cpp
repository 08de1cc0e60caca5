// Work on two threads: every piece done exactly once, failures reported after all are done.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "store/parallel.h"

namespace velmoran::store {
namespace {

TEST(OnTwoThreads, EveryTaskRunsOnceAndAFailureComesAfterTheOthers) {
  for (std::size_t count : {0u, 1u, 2u, 7u, 200u}) {
    std::vector<std::atomic<int>> runs(count);
    onTwoThreads(count, [&](std::size_t i) { ++runs[i]; });
    for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(runs[i].load(), 1) << count << " " << i;
  }
  // Tasks 3 and 5 fail: the others still run, and the failure of 3 is the one thrown.
  std::vector<std::atomic<int>> runs(8);
  try {
    onTwoThreads(8, [&](std::size_t i) {
      ++runs[i];
      if (i == 3 || i == 5) throw std::runtime_error("task " + std::to_string(i));
    });
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "task 3");
  }
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(runs[i].load(), 1) << i;
}

// Work started from inside a task stays on that task's thread: never more than two threads.
TEST(OnTwoThreads, NestedWorkStaysOnItsThread) {
  std::atomic<int> elsewhere{0};
  std::atomic<int> inner{0};
  onTwoThreads(4, [&](std::size_t) {
    const auto outer = std::this_thread::get_id();
    onTwoThreads(6, [&](std::size_t) {
      // Long enough that a second thread, if there were one, would take some of them.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      ++inner;
      if (std::this_thread::get_id() != outer) ++elsewhere;
    });
  });
  EXPECT_EQ(inner.load(), 24);
  EXPECT_EQ(elsewhere.load(), 0);
}

// A stream of pieces: each used once, in the order filled, on this thread; a failure on
// either side ends the stream and reaches the caller.
TEST(InTwoStages, PiecesArriveInOrderAndFailuresEndTheStream) {
  constexpr std::size_t pieces = 1000;
  std::array<std::size_t, 3> slots{};
  std::size_t next = 0;
  std::vector<std::size_t> used;
  const auto caller = std::this_thread::get_id();
  bool elsewhere = false;
  inTwoStages(
      slots.size(),
      [&](std::size_t slot) {
        if (next == pieces) return false;
        slots[slot] = next++;
        return true;
      },
      [&](std::size_t slot) {
        used.push_back(slots[slot]);
        elsewhere |= std::this_thread::get_id() != caller;
      });
  ASSERT_EQ(used.size(), pieces);
  for (std::size_t i = 0; i < pieces; ++i) ASSERT_EQ(used[i], i);
  EXPECT_FALSE(elsewhere);

  // use fails at piece 10: fill stops soon after (at most the slots ahead), nothing more used.
  std::atomic<std::size_t> filled{0};
  std::size_t taken = 0;
  EXPECT_THROW(inTwoStages(
                   3, [&](std::size_t) { return ++filled < 1000000; },
                   [&](std::size_t) {
                     if (++taken == 10) throw std::runtime_error("use");
                   }),
               std::runtime_error);
  EXPECT_EQ(taken, 10u);
  EXPECT_LE(filled.load(), 12u);  // pieces 0 .. 8 used: fill may reach piece 11

  // fill fails at piece 5: the four filled before it are still used.
  std::size_t n = 0;
  taken = 0;
  try {
    inTwoStages(
        3,
        [&](std::size_t) {
          if (++n == 5) throw std::runtime_error("fill");
          return true;
        },
        [&](std::size_t) { ++taken; });
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "fill");
  }
  EXPECT_EQ(taken, 4u);
}

}  // namespace
}  // namespace velmoran::store
