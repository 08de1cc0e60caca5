#pragma once
// Starting another program (Untis) detached, without a shell: the program and each of its
// parameters are passed as separate values, so no path or password is ever interpreted as a
// command.

#include <filesystem>
#include <vector>

#include "store/result.h"
#include "store/text.h"

namespace velmoran::app {

Result<void> startDetached(const std::filesystem::path& program,
                           const std::vector<Text>& parameters);

// The Windows command line for CreateProcess: each value quoted and escaped so that the
// started program's argument parser gets exactly these values back.
std::string windowsCommandLine(const std::filesystem::path& program,
                               const std::vector<Text>& parameters);

}  // namespace velmoran::app
