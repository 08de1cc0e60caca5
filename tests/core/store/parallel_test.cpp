// The table layer's helper thread: every piece done exactly once, failures reported after all
// are done, and never more than two threads.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace velmoran::store
