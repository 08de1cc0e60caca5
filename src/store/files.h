#pragma once
// Whole-file reading and writing, and finding files whatever the case of their names (the
// program's files were named on a system that ignores case).

#include <filesystem>
#include <string>
#include <string_view>

#include "store/result.h"

namespace velmoran::store {

// dir/name when a file or folder of that name exists in dir whatever its case; otherwise
// dir/name as given (the spelling used when it is created).
std::filesystem::path findInDir(const std::filesystem::path& dir, std::string_view name);

Result<std::string> readFile(const std::filesystem::path& file);
// Write into a temporary file in the same folder, then rename it over the target, so a
// failure leaves the old file whole. Every write is checked.
Result<void> writeFileAtomically(const std::filesystem::path& file, std::string_view bytes);

}  // namespace velmoran::store
