#pragma once
// The catalog files of data/, compiled into the program.

#include <string_view>

namespace velmoran::catalog {

// The bytes (UTF-8, tab-separated with a header line) of data/<name>.tsv, or empty.
std::string_view catalogFileText(std::string_view name);

}  // namespace velmoran::catalog
