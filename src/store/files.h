#pragma once
// Whole-file reading and writing, and finding files whatever the case of their names (the
// program's files were named on a system that ignores case).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "store/result.h"

namespace velmoran::store {

// dir/name when a file or folder of that name exists in dir whatever its case; otherwise
// dir/name as given (the spelling used when it is created).
std::filesystem::path findInDir(const std::filesystem::path& dir, std::string_view name);

// Whether two paths name the same file (the same spelling, when either does not exist).
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b);

// std::fopen for any path: on Windows through the path's UTF-16 name (_wfopen), so that
// names outside the ANSI code page open too.
std::FILE* openFile(const std::filesystem::path& file, const char* mode);

// The program's own small text files (settings, column layouts) are far below this size: a
// bigger one is damaged, and reading it whole would only exhaust the memory.
inline constexpr std::uint64_t smallFileLimit = 1024 * 1024;

// The whole file. A folder, a device or a pipe is refused (a pipe would wait for ever), and
// so is a file longer than maxBytes.
Result<std::string> readFile(const std::filesystem::path& file,
                             std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());
// The renames in a folder onto the disk. (Windows writes a folder's entries through; there it
// does nothing.)
void syncFolder(const std::filesystem::path& dir);
// Write into a temporary file in the same folder, then rename it over the target, so a
// failure leaves the old file whole. Every write is checked.
Result<void> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Looks at a complete temporary file before it takes the place of its target; false keeps
// the target as it was.
using AcceptFile = std::function<bool(const std::filesystem::path& temporary)>;

// Copy a file the same way: through a temporary file beside the target, which `accept` may
// look at first. False (the target as it was) when anything failed.
bool copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        const AcceptFile& accept = {});

// A file that replaces another one whole: written into a temporary file beside it (the
// target's name with ".tmp", or another suffix, appended), every write checked, put on the disk and
// renamed over the target only when all of it was written. A failed or killed write leaves the
// previous file as it was; the temporary file is removed when the failure is noticed.
class OutputFile {
public:
  // Nothing when the temporary file cannot be created, or when the target exists and is not
  // a file this program may replace (a folder, a device, a write-protected or locked file).
  static std::optional<OutputFile> create(const std::filesystem::path& file,
                                          std::string_view tempSuffix = ".tmp");
  // Replace the file with these bytes; false (the old file kept) when anything failed.
  static bool writeWhole(const std::filesystem::path& file, std::string_view bytes);
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile();  // without finish(): the temporary file is removed, the target stays

  // False once any write has failed.
  bool write(std::string_view bytes);
  // Put everything on the disk, let `accept` look at the temporary file, and rename it over
  // the target; false (the target as it was) when anything failed.
  bool finish(const AcceptFile& accept = {});

private:
  OutputFile(std::FILE* f, std::filesystem::path path, std::filesystem::path temp)
      : m_file(f), m_path(std::move(path)), m_temp(std::move(temp)) {}

  std::FILE* m_file;
  std::filesystem::path m_path;
  std::filesystem::path m_temp;
  bool m_ok = true;
};

// Remove the temporary files ("*.tmp") a killed OutputFile left in a folder that holds the
// program's own files alone (the backup folder): the files they were to replace are whole.
void removeUnfinishedOutputs(const std::filesystem::path& dir);

}  // namespace velmoran::store
