#pragma once
// The table layer's one helper thread: independent pieces of its own bulk work (separate
// tables at start-up, separate index files of a table) run on the calling thread and one
// helper thread, as the machines have two cores. Nothing outside store/ uses it, and no
// table is ever touched by two threads at once: every piece works on its own files.

#include <cstddef>
#include <functional>

namespace velmoran::store {

// Runs task(0) .. task(count - 1), each once, on this thread and one helper thread, and
// returns when all are done. Work that a task starts itself runs on the task's own thread,
// so that never more than two threads work. An exception of a task is thrown here
// afterwards (the one of the lowest index when several failed). Without a helper thread
// (none can be started) this thread does everything.
void onTwoThreads(std::size_t count, const std::function<void(std::size_t)>& task);

}  // namespace velmoran::store
