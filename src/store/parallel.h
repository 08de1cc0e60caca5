#pragma once
// Independent pieces of work (separate tables, separate index files) on both processor cores
// of the machines the program runs on.

#include <cstddef>
#include <functional>

namespace velmoran::store {

// Runs task(0) .. task(count - 1), each once, on this thread and one more (on this thread
// alone when no second one can be started, or when this is itself one of the two). Returns
// when all are done; an exception of a task is thrown here afterwards, the one of the lowest
// index when several failed.
void onTwoThreads(std::size_t count, const std::function<void(std::size_t)>& task);

}  // namespace velmoran::store
