#pragma once
// Several files of one folder replaced in one step, so that a kill or a power cut at any
// instant leaves all of them as they were or all of them new. Each new file is first written
// complete beside its target, under stagedPath(target). Then the list of the targets is
// written: from that moment the step counts as done. The staged files are renamed over their
// targets and the list is removed. The next start (finishStagedFiles) does the renames a
// killed run left undone, or, when there is no list, removes the staged files.

#include <filesystem>
#include <string>
#include <vector>

#include "store/result.h"

namespace velmoran::store {

// The list of the targets while a step is under way, in the targets' folder.
inline constexpr const char* stagedListFileName = "velmoran_staged.lst";

// Where the new content of `target` waits: the target's name with ".staged" appended.
std::filesystem::path stagedPath(const std::filesystem::path& target);

// Put the staged files of these targets (files of `dir`, by name) in place. A failure before
// the list is written leaves every target as it was and removes the staged files; a rename
// that fails afterwards is left, with the list, to the next start.
Result<void> replaceByStaged(const std::filesystem::path& dir,
                             const std::vector<std::string>& targetNames);

// At start-up, before anything reads the folder's files: complete a step the list names, and
// remove staged files of a step that never got its list.
void finishStagedFiles(const std::filesystem::path& dir);

}  // namespace velmoran::store
