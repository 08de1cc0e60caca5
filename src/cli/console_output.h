#pragma once
// Text to the standard streams. A Windows console shows only what arrives in its own code
// page (850 in a German one), so UTF-8 goes to it as UTF-16 through the console itself;
// files and pipes, and every stream on other systems, get the UTF-8 bytes as they are.

#include <cstdio>
#include <string_view>

namespace velmoran::cli {

void writeUtf8(std::FILE* to, std::string_view utf8);

}  // namespace velmoran::cli
