#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.

#include <filesystem>
#include <string>
#include <string_view>

namespace velmoran::test {

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
  std::filesystem::path m_path;
};

// Whole-file helpers for tests.
std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, std::string_view bytes);

// Paths of the project's source tree and the built program folder.
std::filesystem::path sourceDir();
std::filesystem::path programDir();

}  // namespace velmoran::test
