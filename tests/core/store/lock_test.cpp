// Operating-system locks between processes: the exclusive open that tells a second running
// copy of the program, shared opens, and record locks at Clipper's offsets. (POSIX: the
// other processes are forked.)

#ifndef _WIN32

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "store/table.h"
#include "support/temp_dir.h"
#include "table_fixture.h"

namespace velmoran::store {
namespace {

using test::TempDir;
using namespace testing;

// Another process: runs `body` until it has taken what it wants to hold, reports that, and
// keeps holding it until release(). Its exit status is body's result.
class OtherProcess {
public:
  // body gets a function to call once it holds its locks; it returns the exit status.
  explicit OtherProcess(std::function<int(const std::function<void()>&)> body) {
    if (pipe(m_ready) != 0 || pipe(m_release) != 0) throw std::runtime_error("pipe");
    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork");
    if (m_pid == 0) {
      int status = body([this] {
        char c = 1;
        if (write(m_ready[1], &c, 1) != 1) _exit(9);
        if (read(m_release[0], &c, 1) != 1) _exit(9);
      });
      _exit(status);
    }
    char c = 0;
    m_holding = read(m_ready[0], &c, 1) == 1;
  }
  ~OtherProcess() { release(); }

  bool holding() const { return m_holding; }

  // Lets the process go and returns its exit status.
  int release() {
    if (m_pid <= 0) return m_status;
    char c = 1;
    (void)!write(m_release[1], &c, 1);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = 0;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 99;
    for (int fd : {m_ready[0], m_ready[1], m_release[0], m_release[1]}) close(fd);
    return m_status;
  }

private:
  pid_t m_pid = 0;
  int m_ready[2]{};
  int m_release[2]{};
  bool m_holding = false;
  int m_status = 0;
};

// A plain fcntl lock of one byte, as any other program might take it.
int lockByte(const std::filesystem::path& file, off_t offset, short type) {
  int fd = ::open(file.c_str(), O_RDWR);
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = offset;
  fl.l_len = 1;
  return fd >= 0 && fcntl(fd, F_SETLK, &fl) == 0 ? fd : -1;
}

class Locks : public ::testing::Test {
protected:
  void SetUp() override { nameTable(file, {"A", "B", "C"}).reset(); }
  TempDir dir;
  std::filesystem::path file = dir / "t.dbf";
};

TEST_F(Locks, ExclusiveOpenFailsWhileAnotherProcessHoldsAnyLock) {
  for (short type : {F_RDLCK, F_WRLCK}) {
    OtherProcess other([&](const auto& holdOn) {
      int fd = lockByte(file, 12345, type);
      holdOn();
      return fd >= 0 ? 0 : 1;
    });
    ASSERT_TRUE(other.holding());
    auto t = Table::open(file, OpenMode::Exclusive);
    ASSERT_FALSE(t.ok());
    EXPECT_EQ(t.reason().rfind(lockedReason, 0), 0u) << t.reason();
    EXPECT_EQ(other.release(), 0);
    EXPECT_TRUE(Table::open(file, OpenMode::Exclusive).ok());
  }
}

TEST_F(Locks, SharedOpensLiveSideBySideButKeepAnExclusiveOut) {
  OtherProcess other([&](const auto& holdOn) {
    auto t = Table::open(file, OpenMode::Shared);
    holdOn();
    return t.ok() ? 0 : 1;
  });
  ASSERT_TRUE(other.holding());
  EXPECT_TRUE(Table::open(file, OpenMode::Shared).ok());
  EXPECT_FALSE(Table::open(file, OpenMode::Exclusive).ok());
  EXPECT_EQ(other.release(), 0);
}

TEST_F(Locks, AnExclusiveOpenKeepsEveryOtherOpenOut) {
  auto mine = openTable(file, OpenMode::Exclusive);
  OtherProcess other([&](const auto& holdOn) {
    bool shared = Table::open(file, OpenMode::Shared).ok();
    bool exclusive = Table::open(file, OpenMode::Exclusive).ok();
    holdOn();
    return (shared ? 1 : 0) + (exclusive ? 2 : 0);
  });
  EXPECT_EQ(other.release(), 0);
}

TEST_F(Locks, RecordLocksSitAtClipperOffsets) {
  auto mine = openTable(file, OpenMode::Shared);
  ASSERT_TRUE(mine->lock(2));
  // Another process sees a write lock on byte 1,000,000,002 and can lock its neighbours.
  OtherProcess other([&](const auto& holdOn) {
    int fd = ::open(file.c_str(), O_RDWR);
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 1'000'000'002;
    probe.l_len = 1;
    fcntl(fd, F_GETLK, &probe);
    int status = probe.l_type == F_WRLCK && probe.l_start == 1'000'000'002 ? 0 : 1;
    auto t = Table::open(file, OpenMode::Shared);
    if (!t || (*t)->lock(2) || !(*t)->lock(3)) status |= 2;
    holdOn();
    return status;
  });
  EXPECT_EQ(other.release(), 0);
}

TEST_F(Locks, UnlockLetsAnotherProcessTakeTheRecord) {
  auto mine = openTable(file, OpenMode::Shared);
  ASSERT_TRUE(mine->lock(1));
  mine->unlock(1);
  OtherProcess other([&](const auto& holdOn) {
    auto t = Table::open(file, OpenMode::Shared);
    bool locked = t && (*t)->lock(1);
    holdOn();
    return locked ? 0 : 1;
  });
  ASSERT_TRUE(other.holding());
  EXPECT_FALSE(mine->lock(1));  // now the other process has it
  EXPECT_EQ(other.release(), 0);
  EXPECT_TRUE(mine->lock(1));
}

TEST_F(Locks, RecordLocksInAnExclusiveOpenAlwaysSucceed) {
  auto mine = openTable(file, OpenMode::Exclusive);
  EXPECT_TRUE(mine->lock(1));
  mine->unlock(1);
  // Unlocking did not open a hole in the exclusive lock.
  OtherProcess other([&](const auto& holdOn) {
    int fd = lockByte(file, 1'000'000'001, F_WRLCK);
    holdOn();
    return fd < 0 ? 0 : 1;
  });
  EXPECT_EQ(other.release(), 0);
}

}  // namespace
}  // namespace velmoran::store

#endif
