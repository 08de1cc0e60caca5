#pragma once
// Whole-file reading and writing, and finding files whatever the case of their names (the
// program's files were named on a system that ignores case).

#include <cstdio>
#include <filesystem>
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

Result<std::string> readFile(const std::filesystem::path& file);
// Write into a temporary file in the same folder, then rename it over the target, so a
// failure leaves the old file whole. Every write is checked.
Result<void> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// A file written in place (an export the user named), every write checked. When a write
// fails, or the file is dropped before finish(), the incomplete file is removed (only a
// regular file: a device such as a full disk's stays what it is).
class OutputFile {
public:
  // Create or replace the file; nothing when it cannot be created.
  static std::optional<OutputFile> create(const std::filesystem::path& file);
  // Create or replace the file with these bytes; false (no incomplete file left) when
  // anything failed.
  static bool writeWhole(const std::filesystem::path& file, std::string_view bytes);
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  ~OutputFile();

  // False once any write has failed.
  bool write(std::string_view bytes);
  // Flush and close; false (and the file removed) when anything failed.
  bool finish();

private:
  OutputFile(std::FILE* f, std::filesystem::path path) : m_file(f), m_path(std::move(path)) {}
  void discard();

  std::FILE* m_file;
  std::filesystem::path m_path;
  bool m_ok = true;
};

}  // namespace velmoran::store
