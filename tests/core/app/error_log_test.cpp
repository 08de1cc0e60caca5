// The message of an unforeseen error: German throughout, the English detail only in the log,
// and never a pointer to a log that could not be written.
#include "app/error_log.h"

#include <gtest/gtest.h>

#include "store/code_page.h"
#include "support/temp_dir.h"

namespace velmoran::app {
namespace {

namespace fs = std::filesystem;

const Text happened = "Ein unerwarteter Fehler ist aufgetreten.";

TEST(UnforeseenError, NamesTheLogAndKeepsTheDetailThere) {
  test::TempDir data;
  const Text text = reportUnforeseenError(data.path(), "vector::_M_range_check: __n >= size");
  const Text log = store::pathText(data / errorLogFileName);
  EXPECT_EQ(text, happened + "\r\nDie Einzelheiten stehen in der Datei " + log + ".");
  const std::string written = test::readBytes(data / errorLogFileName);
  EXPECT_NE(written.find("  vector::_M_range_check: __n >= size\r\n"), std::string::npos);
  // A second error is appended.
  reportUnforeseenError(data.path(), "second");
  EXPECT_EQ(test::readBytes(data / errorLogFileName).find(written), 0u);
}

TEST(UnforeseenError, WithoutADataDirectoryNamesNoLog) {
  EXPECT_EQ(reportUnforeseenError({}, "detail"), happened);
}

TEST(UnforeseenError, ALogThatCannotBeWrittenIsNotPointedTo) {
  test::TempDir data;
  fs::create_directory(data / errorLogFileName);
  const Text log = store::pathText(data / errorLogFileName);
  EXPECT_EQ(
      reportUnforeseenError(data.path(), "detail"),
      happened + "\r\nDie Einzelheiten konnten nicht in die Datei " + log + " geschrieben werden.");
}

#ifdef __linux__
TEST(UnforeseenError, AFullDiskIsNamed) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  test::TempDir data;
  fs::create_symlink("/dev/full", data / errorLogFileName);
  const Text log = store::pathText(data / errorLogFileName);
  EXPECT_EQ(reportUnforeseenError(data.path(), "detail"),
            happened + "\r\nDie Einzelheiten konnten nicht in die Datei " + log +
                " geschrieben werden: der Datenträger ist voll.");
}
#endif

}  // namespace
}  // namespace velmoran::app
