#include "store/files.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "store/text.h"

namespace velmoran::store {

namespace fs = std::filesystem;

fs::path findInDir(const fs::path& dir, std::string_view name) {
  fs::path exact = dir / fs::path(std::string(name));
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (sameIgnoringCase(it->path().filename().string(), name)) return it->path();
  }
  return exact;
}

bool samePath(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

Result<std::string> readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail("cannot open " + file.string());
  std::string bytes;
  in.seekg(0, std::ios::end);
  auto size = in.tellg();
  if (size < 0) return fail("cannot read " + file.string());
  bytes.resize(static_cast<std::size_t>(size));
  in.seekg(0, std::ios::beg);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in) return fail("cannot read " + file.string());
  return bytes;
}

Result<void> writeFileAtomically(const fs::path& file, std::string_view bytes) {
  fs::path temp = file;
  temp += ".tmp";
  {
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f) return fail("cannot create " + temp.string());
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
      std::error_code ec;
      fs::remove(temp, ec);
      return fail("cannot write " + temp.string());
    }
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) {
    fs::remove(temp, ec);
    return fail("cannot replace " + file.string());
  }
  return {};
}

std::optional<OutputFile> OutputFile::create(const fs::path& file) {
#ifdef _WIN32
  std::FILE* f = _wfopen(file.c_str(), L"wb");
#else
  std::FILE* f = std::fopen(file.c_str(), "wb");
#endif
  if (!f) return std::nullopt;
  // Written a line at a time: a bigger buffer than the C library's few kilobytes.
  std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
  return OutputFile(f, file);
}

bool OutputFile::writeWhole(const std::filesystem::path& file, std::string_view bytes) {
  auto out = create(file);
  if (!out) return false;
  out->write(bytes);
  return out->finish();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : m_file(other.m_file), m_path(std::move(other.m_path)), m_ok(other.m_ok) {
  other.m_file = nullptr;
}

OutputFile::~OutputFile() {
  if (m_file) discard();
}

bool OutputFile::write(std::string_view bytes) {
  if (m_ok && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) m_ok = false;
  return m_ok;
}

bool OutputFile::finish() {
  bool ok = m_ok && std::fflush(m_file) == 0;
  ok = std::fclose(m_file) == 0 && ok;
  m_file = nullptr;
  if (!ok) {
    std::error_code ec;
    if (fs::is_regular_file(m_path, ec)) fs::remove(m_path, ec);
  }
  return ok;
}

void OutputFile::discard() {
  m_ok = false;
  finish();
}

}  // namespace velmoran::store
