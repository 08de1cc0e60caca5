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

// A stream of work in two stages, one on each thread: fill(slot) prepares the next piece in
// slot (0 .. slots - 1, taken in turn) on the other thread and returns false when there is
// nothing more; use(slot) takes the pieces on this thread, in the order they were filled.
// Filling runs at most slots pieces ahead. When use throws, fill stops before its next piece;
// when fill throws, the pieces filled before it are still used; either way the exception is
// thrown here afterwards (the one of use when both threw). Without a second thread (or when
// this is already one of two) both stages run here by turns, in slot 0.
void inTwoStages(std::size_t slots, const std::function<bool(std::size_t)>& fill,
                 const std::function<void(std::size_t)>& use);

}  // namespace velmoran::store
