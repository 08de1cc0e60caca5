#pragma once
// OsFile: one open file handle of the operating system with positional reads and writes and
// byte-range locks. The table layer opens each table file through exactly one OsFile. Its
// locks belong to the handle (LockFileEx on Windows, open-file-description locks on Linux),
// so closing another handle of the same file, as a copy of it does, leaves them in place.

#include <cstdint>
#include <filesystem>
#include <string>

#include "store/result.h"

namespace velmoran::store {

class OsFile {
public:
  enum class Access { ReadOnly, ReadWrite };
  // IfMissing creates an empty file when there is none; an existing file is kept as it is
  // (truncate it explicitly, after taking a lock).
  enum class Create { No, IfMissing };

  OsFile() = default;
  ~OsFile();
  OsFile(OsFile&& other) noexcept;
  OsFile& operator=(OsFile&& other) noexcept;
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  // Only a regular file opens: a folder, a pipe or a device is refused at once (opening a
  // pipe never waits for a writer).
  static Result<OsFile> open(const std::filesystem::path& file, Access access,
                             Create create = Create::No);

  bool isOpen() const;
  bool isWritable() const { return m_writable; }
  const std::filesystem::path& path() const { return m_path; }
  void close();

  // Reads up to n bytes at offset; returns how many were read (fewer at the end of the
  // file). Throws IoError when the system refuses.
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) const;
  // Writes all n bytes at offset or throws IoError (disk full, read-only file).
  void writeAt(std::uint64_t offset, const void* data, std::size_t n);
  std::uint64_t size() const;
  void truncate(std::uint64_t size);
  // Everything written so far onto the disk. Throws IoError when the system refuses.
  void sync();

  // Non-blocking byte-range locks; false when another process holds a conflicting lock.
  // A length of 0 means "from offset to the end of every possible file".
  bool lock(std::uint64_t offset, std::uint64_t length, bool exclusive);
  void unlock(std::uint64_t offset, std::uint64_t length);

private:
#ifdef _WIN32
  void* m_handle = nullptr;
#else
  int m_fd = -1;
#endif
  bool m_writable = false;
  std::filesystem::path m_path;
};

}  // namespace velmoran::store
