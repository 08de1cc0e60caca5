#include "store/parallel.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace velmoran::store {

void onTwoThreads(std::size_t count, const std::function<void(std::size_t)>& task) {
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < count;) {
      try {
        task(i);
      } catch (...) {
        failures[i] = std::current_exception();
      }
    }
  };
  std::thread helper;
  if (count > 1) {
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

}  // namespace velmoran::store
