#pragma once
// GetOSVersion: the name of the running operating system for the main window's caption,
// such as "Windows 10, Version 10.19042.1237 (October 2020)". On Windows it is made from
// the system's version record and the version keys of the registry; elsewhere it names the
// running system in the same shape ("Linux, Version 6.1").

#include <optional>
#include <string_view>

#include "store/text.h"

namespace velmoran::app {

// The version record of Windows as the system reports it.
struct OsVersionRecord {
  enum class Platform { win32s, windows9x, nt };
  unsigned major = 0;
  unsigned minor = 0;
  unsigned build = 0;
  Platform platform = Platform::nt;
  Text servicePack;       // "Service Pack 1", or empty
  bool serverR2 = false;  // the system metric SM_SERVERR2 is non-zero
};

// The values of "Software\Microsoft\Windows NT\CurrentVersion" (local machine) that the name
// uses; each missing one is nothing. UBR, a number in the registry, is held as its digits.
struct WindowsVersionValues {
  std::optional<Text> ubr;
  std::optional<Text> displayVersion;
  std::optional<Text> currentVersion;
  std::optional<Text> currentBuildNumber;
};

// The name of this Windows: name, ", Version ", the version numbers, "." and UBR (Windows
// 10), the service pack, and the release for a Windows 10 build that has one.
Text windowsVersionText(const OsVersionRecord& record, const WindowsVersionValues& values);

// Other systems: the system's name and the first two numbers of its release
// ("Linux", "6.1.0-13-amd64" give "Linux, Version 6.1").
Text unixVersionText(std::string_view systemName, std::string_view release);

// The running system's name as above; empty when the system does not tell.
Text GetOSVersion();

// The main window's caption: the program title, "     < ", GetOSVersion(), " >".
Text mainWindowCaption();

// A text or number value of a key under HKEY_LOCAL_MACHINE, read only; nothing when the key
// or the value is missing, and always nothing elsewhere than on Windows.
std::optional<Text> localMachineValue(std::string_view key, std::string_view name);

}  // namespace velmoran::app
