#include "app/os_version.h"

#include <gtest/gtest.h>

namespace velmoran::app {
namespace {

using Platform = OsVersionRecord::Platform;

OsVersionRecord record(unsigned major, unsigned minor, unsigned build,
                       Platform platform = Platform::nt) {
  OsVersionRecord r;
  r.major = major;
  r.minor = minor;
  r.build = build;
  r.platform = platform;
  return r;
}

TEST(WindowsVersionText, NamesByVersion) {
  struct Case {
    OsVersionRecord r;
    const char* expected;
  };
  OsVersionRecord r2 = record(5, 2, 3790);
  r2.serverR2 = true;
  const Case cases[] = {
      {record(4, 10, 67766222, Platform::windows9x), "Windows 98, Version 4.1998"},
      {record(4, 0, 950, Platform::windows9x), "Windows 95, Version 4.950"},
      {record(5, 0, 2195), "Windows 2000, Version 5.2195"},
      {record(5, 1, 2600), "Windows XP, Version 5.2600"},
      {record(5, 2, 3790), "Windows Server 2003, Version 5.3790"},
      {r2, "Windows Server 2003 R2, Version 5.3790"},
      {record(6, 0, 6002), "Windows Vista, Version 6.6002"},
      {record(6, 1, 7601), "Windows 7, Version 6.7601"},
      {record(6, 3, 9600), "Windows 8.1, Version 6.9600"},
      {record(4, 0, 1381), "Windows NT, Version 4.1381"},
      {record(6, 4, 9841), "Windows NT, Version 6.9841"},
  };
  for (const Case& c : cases) EXPECT_EQ(windowsVersionText(c.r, {}), c.expected);
}

TEST(WindowsVersionText, SixTwoIsTold8Or81ByTheRegistry) {
  WindowsVersionValues v;
  v.currentVersion = "6.3";
  v.currentBuildNumber = "9600";
  EXPECT_EQ(windowsVersionText(record(6, 2, 9200), v), "Windows 8.1, Version 6.3.9600");
  v.currentVersion = "6.2";
  v.currentBuildNumber = "9200";
  EXPECT_EQ(windowsVersionText(record(6, 2, 9200), v), "Windows 8, Version 6.2.9200");
}

TEST(WindowsVersionText, ServicePackWithoutSurroundingBlanks) {
  OsVersionRecord r = record(6, 1, 7601);
  r.servicePack = "  Service Pack 1 ";
  EXPECT_EQ(windowsVersionText(r, {}), "Windows 7, Version 6.7601 Service Pack 1");
}

TEST(WindowsVersionText, Windows10ReleasesByBuildAndDisplayVersion) {
  struct Case {
    unsigned build;
    const char* displayVersion;
    const char* suffix;
  };
  const Case cases[] = {
      {10240, "", " (Threshold 1)"},
      {10586, "", " (Threshold 2)"},
      {14393, "", " (Anniversary)"},
      {15063, "", " (Creators)"},
      {16299, "", " (Fall Creators)"},
      {17134, "", " (April 2018)"},
      {17763, "", " (October 2018)"},
      {18362, "", " (May 2019)"},
      {18363, "", " (November 2019)"},
      {19041, "2004", " (April 2020)"},
      {19042, "20H2", " (October 2020)"},
      {19042, "", " (April 2020)"},
      {19043, "21H1", " (May 2021)"},
      {19044, "21H2", ""},
      {22631, "23H2", ""},
  };
  for (const Case& c : cases) {
    WindowsVersionValues v;
    v.ubr = "1237";
    v.displayVersion = c.displayVersion;
    EXPECT_EQ(windowsVersionText(record(10, 0, c.build), v),
              "Windows 10, Version 10." + std::to_string(c.build) + ".1237" + c.suffix);
  }
}

TEST(WindowsVersionText, Windows10WithoutUbrAndTheBuildsLow16Bits) {
  WindowsVersionValues v;
  v.ubr = "";
  EXPECT_EQ(windowsVersionText(record(10, 0, 19042), v),
            "Windows 10, Version 10.19042 (April 2020)");
  EXPECT_EQ(windowsVersionText(record(10, 0, 0x10000u + 10240), {}),
            "Windows 10, Version 10.10240 (Threshold 1)");
}

TEST(UnixVersionText, TheSystemAndTheFirstTwoNumbersOfItsRelease) {
  EXPECT_EQ(unixVersionText("Linux", "6.1.0-13-amd64"), "Linux, Version 6.1");
  EXPECT_EQ(unixVersionText("Darwin", "23.4.0"), "Darwin, Version 23.4");
  EXPECT_EQ(unixVersionText("FreeBSD", "14.0-RELEASE"), "FreeBSD, Version 14.0");
  EXPECT_EQ(unixVersionText("Linux", "6"), "Linux, Version 6");
  EXPECT_EQ(unixVersionText("Odd", "beta"), "Odd, Version beta");
}

TEST(GetOSVersion, NamesTheRunningSystemInTheSameShape) {
  const Text name = GetOSVersion();
  EXPECT_NE(name.find(", Version "), Text::npos) << name;
  EXPECT_EQ(mainWindowCaption(), "Velmoran 2021     < " + name + " >");
}

}  // namespace
}  // namespace velmoran::app
