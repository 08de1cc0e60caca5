#include "store/parallel.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace velmoran::store {

namespace {
// Set while a thread works on the tasks of onTwoThreads: work it starts itself stays on it.
thread_local bool working = false;
}  // namespace

void onTwoThreads(std::size_t count, const std::function<void(std::size_t)>& task) {
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    const bool outer = working;
    working = true;
    for (std::size_t i; (i = next++) < count;) {
      try {
        task(i);
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
    working = outer;
  };
  std::thread helper;
  if (count > 1 && !working) {
    try {
      helper = std::thread(work);
    } catch (const std::system_error&) {
      // No helper thread: this one does everything.
    }
  }
  work();
  if (helper.joinable()) helper.join();
  for (const auto& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace velmoran::store
