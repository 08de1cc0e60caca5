#include "store/parallel.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace velmoran::store {

namespace {
// Set while a thread works on the tasks of onTwoThreads: work it starts itself (the index
// files of a table maintained on two threads) stays on that thread, so that never more than
// two threads run.
thread_local bool working = false;

// Marks this thread as working for its lifetime, as it was before afterwards.
class Working {
public:
  Working() : m_outer(working) { working = true; }
  ~Working() { working = m_outer; }
  Working(const Working&) = delete;
  Working& operator=(const Working&) = delete;

private:
  bool m_outer;
};
}  // namespace

void onTwoThreads(std::size_t count, const std::function<void(std::size_t)>& task) {
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    Working marked;
    for (std::size_t i; (i = next++) < count;) {
      try {
        task(i);
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
  };
  std::thread helper;
  if (count > 1 && !working) {
    try {
      helper = std::thread(work);
    } catch (const std::system_error&) {
      // No second thread: this one does everything.
    }
  }
  work();
  if (helper.joinable()) helper.join();
  for (const auto& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

void inTwoStages(std::size_t slots, const std::function<bool(std::size_t)>& fill,
                 const std::function<void(std::size_t)>& use) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t filled = 0;  // pieces filled so far
  std::size_t used = 0;    // pieces used so far; the slot of piece n is free once it is used
  bool ended = false;      // fill has returned false or thrown
  bool stopped = false;    // use has thrown
  std::exception_ptr fillFailure;
  auto byTurns = [&] {
    while (fill(0)) use(0);
  };
  if (slots < 2 || working) return byTurns();
  auto produce = [&] {
    Working marked;
    for (std::size_t n = 0;; ++n) {
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopped || n < used + slots; });
        if (stopped) return;
      }
      bool more = false;
      try {
        more = fill(n % slots);
      } catch (...) {
        fillFailure = std::current_exception();
      }
      std::lock_guard lock(mutex);
      if (more)
        ++filled;
      else
        ended = true;
      changed.notify_all();
      if (!more) return;
    }
  };
  std::thread helper;
  try {
    helper = std::thread(produce);
  } catch (const std::system_error&) {
    return byTurns();  // no second thread
  }
  Working marked;
  std::exception_ptr useFailure;
  for (;;) {
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return used < filled || ended; });
      if (used == filled) break;  // ended, and every filled piece used
    }
    try {
      use(used % slots);
    } catch (...) {
      useFailure = std::current_exception();
    }
    std::lock_guard lock(mutex);
    if (useFailure) {
      stopped = true;
      changed.notify_all();
      break;
    }
    ++used;
    changed.notify_all();
  }
  helper.join();
  if (useFailure) std::rethrow_exception(useFailure);
  if (fillFailure) std::rethrow_exception(fillFailure);
}

}  // namespace velmoran::store
