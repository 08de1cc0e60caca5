#include "store/os_file.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include "store/table.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmoran::store {

namespace {

[[noreturn]] void throwIo(const std::string& what, const std::filesystem::path& file) {
#ifdef _WIN32
  throw IoError(what + " " + file.string() + " (system error " + std::to_string(GetLastError()) +
                ")");
#else
  throw IoError(what + " " + file.string() + ": " + std::strerror(errno));
#endif
}

}  // namespace

OsFile::~OsFile() { close(); }

OsFile::OsFile(OsFile&& other) noexcept { *this = std::move(other); }

OsFile& OsFile::operator=(OsFile&& other) noexcept {
  if (this == &other) return *this;
  close();
#ifdef _WIN32
  m_handle = std::exchange(other.m_handle, nullptr);
#else
  m_fd = std::exchange(other.m_fd, -1);
#endif
  m_writable = other.m_writable;
  m_path = std::move(other.m_path);
  return *this;
}

#ifdef _WIN32

Result<OsFile> OsFile::open(const std::filesystem::path& file, Access access, Create create) {
  DWORD desired = GENERIC_READ | (access == Access::ReadWrite ? GENERIC_WRITE : 0);
  DWORD disposition = create == Create::IfMissing ? OPEN_ALWAYS : OPEN_EXISTING;
  HANDLE h = CreateFileW(file.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return fail("cannot open " + file.string() + " (system error " +
                std::to_string(GetLastError()) + ")");
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return fail("cannot open " + file.string() + ": not a regular file");
  }
  OsFile f;
  f.m_handle = h;
  f.m_writable = access == Access::ReadWrite;
  f.m_path = file;
  return f;
}

bool OsFile::isOpen() const { return m_handle != nullptr; }

void OsFile::close() {
  if (m_handle) CloseHandle(static_cast<HANDLE>(m_handle));
  m_handle = nullptr;
}

std::size_t OsFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED ov{};
    std::uint64_t at = offset + done;
    ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(m_handle), static_cast<char*>(buffer) + done,
                  static_cast<DWORD>(n - done), &got, &ov)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      throwIo("cannot read", m_path);
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

void OsFile::writeAt(std::uint64_t offset, const void* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED ov{};
    std::uint64_t at = offset + done;
    ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD put = 0;
    if (!WriteFile(static_cast<HANDLE>(m_handle), static_cast<const char*>(data) + done,
                   static_cast<DWORD>(n - done), &put, &ov) ||
        put == 0)
      throwIo("cannot write", m_path);
    done += put;
  }
}

std::uint64_t OsFile::size() const {
  LARGE_INTEGER s{};
  if (!GetFileSizeEx(static_cast<HANDLE>(m_handle), &s)) throwIo("cannot size", m_path);
  return static_cast<std::uint64_t>(s.QuadPart);
}

void OsFile::truncate(std::uint64_t size) {
  LARGE_INTEGER pos{};
  pos.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(static_cast<HANDLE>(m_handle), pos, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(static_cast<HANDLE>(m_handle)))
    throwIo("cannot truncate", m_path);
}

void OsFile::sync() {
  if (!FlushFileBuffers(static_cast<HANDLE>(m_handle))) throwIo("cannot sync", m_path);
}

bool OsFile::lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD low = length == 0 ? MAXDWORD : static_cast<DWORD>(length & 0xFFFFFFFFu);
  DWORD high = length == 0 ? MAXDWORD : static_cast<DWORD>(length >> 32);
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  return LockFileEx(static_cast<HANDLE>(m_handle), flags, 0, low, high, &ov) != 0;
}

void OsFile::unlock(std::uint64_t offset, std::uint64_t length) {
  OVERLAPPED ov{};
  ov.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD low = length == 0 ? MAXDWORD : static_cast<DWORD>(length & 0xFFFFFFFFu);
  DWORD high = length == 0 ? MAXDWORD : static_cast<DWORD>(length >> 32);
  UnlockFileEx(static_cast<HANDLE>(m_handle), 0, low, high, &ov);
}

#else

Result<OsFile> OsFile::open(const std::filesystem::path& file, Access access, Create create) {
  int flags = access == Access::ReadWrite ? O_RDWR : O_RDONLY;
  if (create == Create::IfMissing) flags |= O_CREAT;
  // Non-blocking, so that opening a pipe does not wait for its writer; a regular file reads
  // and writes as it would without.
  flags |= O_CLOEXEC | O_NONBLOCK;
  int fd = ::open(file.c_str(), flags, 0666);
  if (fd < 0) return fail("cannot open " + file.string() + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail("cannot open " + file.string() + ": not a regular file");
  }
  OsFile f;
  f.m_fd = fd;
  f.m_writable = access == Access::ReadWrite;
  f.m_path = file;
  return f;
}

bool OsFile::isOpen() const { return m_fd >= 0; }

void OsFile::close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

std::size_t OsFile::readAt(std::uint64_t offset, void* buffer, std::size_t n) const {
  std::size_t done = 0;
  while (done < n) {
    ssize_t got = ::pread(m_fd, static_cast<char*>(buffer) + done, n - done,
                          static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throwIo("cannot read", m_path);
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void OsFile::writeAt(std::uint64_t offset, const void* data, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    ssize_t put = ::pwrite(m_fd, static_cast<const char*>(data) + done, n - done,
                           static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      if (put == 0) errno = ENOSPC;
      throwIo("cannot write", m_path);
    }
    done += static_cast<std::size_t>(put);
  }
}

std::uint64_t OsFile::size() const {
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) throwIo("cannot size", m_path);
  return static_cast<std::uint64_t>(st.st_size);
}

void OsFile::truncate(std::uint64_t size) {
  if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0) throwIo("cannot truncate", m_path);
}

void OsFile::sync() {
  if (::fsync(m_fd) != 0) throwIo("cannot sync", m_path);
}

namespace {

// Linux's open-file-description locks belong to this open file, not to the process: closing
// another descriptor of the same file (a copy made by the backup) leaves them in place. Other
// systems, and kernels without them, take the classic record locks.
int setLock(int fd, short type, std::uint64_t offset, std::uint64_t length) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
#ifdef F_OFD_SETLK
  if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return 0;
  if (errno != EINVAL) return -1;
#endif
  return ::fcntl(fd, F_SETLK, &fl);
}

}  // namespace

bool OsFile::lock(std::uint64_t offset, std::uint64_t length, bool exclusive) {
  return setLock(m_fd, exclusive ? F_WRLCK : F_RDLCK, offset, length) == 0;
}

void OsFile::unlock(std::uint64_t offset, std::uint64_t length) {
  setLock(m_fd, F_UNLCK, offset, length);
}

#endif

}  // namespace velmoran::store
