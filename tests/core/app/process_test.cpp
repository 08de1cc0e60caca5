#include "app/process.h"

#include <gtest/gtest.h>

#ifdef _WIN32
// windows.h first: shellapi.h builds on it.
#include <windows.h>

#include <shellapi.h>
#endif

namespace velmoran::app {
namespace {

const std::filesystem::path untis = "C:\\Program Files (x86)\\Untis\\2021\\Untis.exe";

TEST(WindowsCommandLine, QuotesOnlyWhatHoldsBlanksOrQuotes) {
  EXPECT_EQ(windowsCommandLine(untis, {"/user=Anna", "C:\\Daten\\GPU002.TXT"}),
            "\"C:\\Program Files (x86)\\Untis\\2021\\Untis.exe\" /user=Anna C:\\Daten\\GPU002.TXT");
  EXPECT_EQ(windowsCommandLine("C:\\Untis\\Untis.exe", {"Anna Maier", ""}),
            "C:\\Untis\\Untis.exe \"Anna Maier\" \"\"");
}

TEST(WindowsCommandLine, BackslashesDoubleOnlyBeforeAQuote) {
  // A folder ending in a backslash keeps it; a quote inside a value is escaped.
  EXPECT_EQ(windowsCommandLine("U.exe", {"C:\\Mein Ordner\\", "sag \"hallo\"", "a\\\"b c"}),
            "U.exe \"C:\\Mein Ordner\\\\\" \"sag \\\"hallo\\\"\" \"a\\\\\\\"b c\"");
}

#ifdef _WIN32
// The system's own parser of command lines gives back exactly the program and the values.
TEST(WindowsCommandLine, TheSystemParserGetsTheValuesBack) {
  const std::vector<Text> values{"/user=Anna Maier", "C:\\Mein Ordner\\", "sag \"hallo\"", "",
                                 "a\\\\b",           "-pw=x\"y z\\"};
  const std::string line = windowsCommandLine(untis, values);
  const std::wstring wide(line.begin(), line.end());
  int count = 0;
  wchar_t** args = CommandLineToArgvW(wide.c_str(), &count);
  ASSERT_NE(args, nullptr);
  ASSERT_EQ(count, static_cast<int>(values.size()) + 1);
  EXPECT_EQ(std::filesystem::path(args[0]), untis);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::wstring got = args[i + 1];
    EXPECT_EQ(std::string(got.begin(), got.end()), values[i]) << "value " << i;
  }
  LocalFree(args);
}
#endif

}  // namespace
}  // namespace velmoran::app
