#include "store/files.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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

std::FILE* openFile(const fs::path& file, const char* mode) {
#ifdef _WIN32
  std::wstring wide(mode, mode + std::strlen(mode));
  return _wfopen(file.c_str(), wide.c_str());
#else
  return std::fopen(file.c_str(), mode);
#endif
}

namespace {

// What was written reaches the disk before the file is renamed into place: a power cut
// afterwards cannot leave the new name on a file without its content.
bool syncToDisk(std::FILE* f) {
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return ::fsync(fileno(f)) == 0;
#endif
}

// An existing target this program may replace: a regular file it could open for writing (a
// write-protected file, or one another program holds, is left alone).
bool replaceable(const fs::path& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (!fs::exists(status)) return true;
  if (!fs::is_regular_file(status)) return false;
  std::FILE* f = openFile(file, "r+b");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace

Result<std::string> readFile(const fs::path& file, std::uint64_t maxBytes) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return fail("cannot open " + file.string() + ": no file");
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) return fail("cannot read " + file.string() + ": " + ec.message());
  if (size > maxBytes) return fail("cannot read " + file.string() + ": too big");
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail("cannot open " + file.string());
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  // A file cut short meanwhile gives what it still holds.
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return fail("cannot read " + file.string());
  return bytes;
}

void syncFolder([[maybe_unused]] const fs::path& dir) {
#ifndef _WIN32
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  static_cast<void>(::fsync(fd));
  ::close(fd);
#endif
}

Result<void> writeFileAtomically(const fs::path& file, std::string_view bytes) {
  if (!OutputFile::writeWhole(file, bytes)) return fail("cannot write " + file.string());
  return {};
}

bool copyFileAtomically(const fs::path& from, const fs::path& to, const AcceptFile& accept) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return false;
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  auto out = OutputFile::create(to);
  if (!out) return false;
  std::string buffer(64 * 1024, '\0');
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto n = static_cast<std::size_t>(in.gcount());
    if (n > 0 && !out->write(std::string_view(buffer.data(), n))) return false;
  }
  return !in.bad() && out->finish(accept);
}

std::optional<OutputFile> OutputFile::create(const fs::path& file, std::string_view tempSuffix) {
  if (!replaceable(file)) return std::nullopt;
  fs::path temp = file;
  temp += std::string(tempSuffix);
  std::FILE* f = openFile(temp, "wb");
  if (!f) return std::nullopt;
  // Written a line at a time: a bigger buffer than the C library's few kilobytes.
  std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
  return OutputFile(f, file, std::move(temp));
}

bool OutputFile::writeWhole(const fs::path& file, std::string_view bytes) {
  auto out = create(file);
  if (!out) return false;
  out->write(bytes);
  return out->finish();
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : m_file(other.m_file),
      m_path(std::move(other.m_path)),
      m_temp(std::move(other.m_temp)),
      m_ok(other.m_ok) {
  other.m_file = nullptr;
}

OutputFile::~OutputFile() {
  if (!m_file) return;
  std::fclose(m_file);
  std::error_code ec;
  fs::remove(m_temp, ec);
}

bool OutputFile::write(std::string_view bytes) {
  if (m_ok && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) m_ok = false;
  return m_ok;
}

bool OutputFile::finish(const AcceptFile& accept) {
  bool ok = m_ok && std::fflush(m_file) == 0 && syncToDisk(m_file);
  ok = std::fclose(m_file) == 0 && ok;
  m_file = nullptr;
  ok = ok && (!accept || accept(m_temp));
  std::error_code ec;
  if (ok) {
    // The new file keeps the access rights of the one it replaces.
    const fs::file_status old = fs::status(m_path, ec);
    if (fs::exists(old)) fs::permissions(m_temp, old.permissions(), ec);
    fs::rename(m_temp, m_path, ec);
    ok = !ec;
  }
  if (!ok) {
    fs::remove(m_temp, ec);
    return false;
  }
  syncFolder(m_path.parent_path());
  return true;
}

void removeUnfinishedOutputs(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code removed;
    if (it->path().extension() == ".tmp" && it->is_regular_file(removed))
      fs::remove(it->path(), removed);
  }
}

}  // namespace velmoran::store
