#include "store/staged_files.h"

#include <cstring>
#include <system_error>

#include "store/files.h"

namespace velmoran::store {

namespace fs = std::filesystem;

namespace {

constexpr const char* stagedSuffix = ".staged";

// The renames of a step whose list is written; true when all of them are done. A staged file
// that is gone was renamed before a kill.
bool renameStaged(const fs::path& dir, const std::vector<std::string>& names) {
  bool all = true;
  for (const std::string& name : names) {
    const fs::path staged = stagedPath(dir / name);
    std::error_code ec;
    if (!fs::exists(staged, ec)) continue;
    fs::rename(staged, dir / name, ec);
    all = all && !ec;
  }
  return all;
}

std::vector<std::string> readList(const fs::path& list) {
  std::vector<std::string> names;
  auto bytes = readFile(list, smallFileLimit);
  if (!bytes) return names;
  std::size_t pos = 0;
  for (std::size_t end; (end = bytes->find('\n', pos)) != std::string::npos; pos = end + 1) {
    fs::path name(bytes->substr(pos, end - pos));
    // Only bare file names of this folder, whatever the list holds.
    if (!name.empty() && name == name.filename() && name != "." && name != "..")
      names.push_back(name.string());
  }
  return names;
}

}  // namespace

fs::path stagedPath(const fs::path& target) {
  fs::path staged = target;
  staged += stagedSuffix;
  return staged;
}

Result<void> replaceByStaged(const fs::path& dir, const std::vector<std::string>& targetNames) {
  std::string list;
  for (const std::string& name : targetNames) list += name + "\n";
  if (auto written = writeFileAtomically(dir / stagedListFileName, list); !written) {
    std::error_code ec;
    for (const std::string& name : targetNames) fs::remove(stagedPath(dir / name), ec);
    return written;
  }
  if (!renameStaged(dir, targetNames))
    return fail("cannot rename the staged files in " + dir.string());
  std::error_code ec;
  fs::remove(dir / stagedListFileName, ec);
  return {};
}

void finishStagedFiles(const fs::path& dir) {
  const fs::path list = findInDir(dir, stagedListFileName);
  std::error_code ec;
  if (fs::exists(list, ec) && renameStaged(dir, readList(list))) fs::remove(list, ec);
  if (fs::exists(list, ec)) return;  // renames still to do: the staged files stay for them
  // What a killed step left: staged files, and the temporary files they and the list were
  // being written to.
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.ends_with(".tmp")) name.resize(name.size() - 4);
    if (name == stagedListFileName ||
        (name.size() > std::strlen(stagedSuffix) && name.ends_with(stagedSuffix))) {
      std::error_code removed;
      fs::remove(it->path(), removed);
    }
  }
}

}  // namespace velmoran::store
