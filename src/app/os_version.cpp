#include "app/os_version.h"

#include <cstring>
#include <string>

#include "app/program_title.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

namespace velmoran::app {

namespace {

using Platform = OsVersionRecord::Platform;

Text windowsName(const OsVersionRecord& r, const WindowsVersionValues& values) {
  if (r.major == 10) return "Windows 10";
  if (r.platform == Platform::windows9x)
    return r.major == 4 && r.minor > 0 ? "Windows 98" : "Windows 95";
  if (r.platform != Platform::nt) return "Win32s";
  const unsigned version = r.major * 100 + r.minor;
  switch (version) {
    case 500:
      return "Windows 2000";
    case 501:
      return "Windows XP";
    case 502:
      return r.serverR2 ? "Windows Server 2003 R2" : "Windows Server 2003";
    case 600:
      return "Windows Vista";
    case 601:
      return "Windows 7";
    case 603:
      return "Windows 8.1";
    case 602:
      // Windows 8.1 reports itself as 6.2 to programs that do not declare it; the registry
      // knows better.
      return values.currentVersion && values.currentVersion->ends_with("3") ? "Windows 8.1"
                                                                            : "Windows 8";
    default:
      return "Windows NT";
  }
}

// The release of a Windows 10 build; the tests run in this order and the first match wins,
// so the display version 20H2 is found before the build numbers 19041 and 19042.
Text windows10Release(unsigned build, const std::optional<Text>& displayVersion) {
  const Text digits = std::to_string(build);
  const Text shown = displayVersion.value_or("");
  if (build == 10240) return " (Threshold 1)";
  if (build == 10586) return " (Threshold 2)";
  if (build == 14393) return " (Anniversary)";
  if (build == 15063) return " (Creators)";
  if (build == 16299) return " (Fall Creators)";
  if (digits.starts_with("171")) return " (April 2018)";
  if (digits.starts_with("177")) return " (October 2018)";
  if (build == 18362) return " (May 2019)";
  if (build == 18363) return " (November 2019)";
  if (shown == "20H2") return " (October 2020)";
  if (shown == "21H1") return " (May 2021)";
  if (build == 19041 || build == 19042) return " (April 2020)";
  return "";
}

#ifdef _WIN32

#ifndef SM_SERVERR2
#define SM_SERVERR2 89
#endif

constexpr const char* versionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";

Text fromWide(const wchar_t* wide) {
  constexpr UINT windows1252 = 1252;
  int n = WideCharToMultiByte(windows1252, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(windows1252, 0, wide, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

// The version record as the system keeps it. RtlGetVersion tells the true version, where
// GetVersionEx answers 6.2 to every program that does not declare the newer systems.
std::optional<OsVersionRecord> systemRecord() {
  using RtlGetVersionFn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (!ntdll) return std::nullopt;
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  RTL_OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!rtlGetVersion || rtlGetVersion(reinterpret_cast<PRTL_OSVERSIONINFOW>(&info)) != 0)
    return std::nullopt;
  OsVersionRecord r;
  r.major = info.dwMajorVersion;
  r.minor = info.dwMinorVersion;
  r.build = info.dwBuildNumber;
  r.platform = info.dwPlatformId == VER_PLATFORM_WIN32_NT        ? Platform::nt
               : info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? Platform::windows9x
                                                                 : Platform::win32s;
  r.servicePack = fromWide(info.szCSDVersion);
  r.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
  return r;
}

#endif

}  // namespace

Text windowsVersionText(const OsVersionRecord& r, const WindowsVersionValues& values) {
  const unsigned build = r.build & 0xFFFF;
  Text text = windowsName(r, values) + ", Version ";
  if (r.platform == Platform::nt && r.major == 6 && r.minor == 2 && values.currentVersion &&
      values.currentBuildNumber)
    text += *values.currentVersion + "." + *values.currentBuildNumber;
  else
    text += std::to_string(r.major) + "." + std::to_string(build);
  if (r.major == 10 && values.ubr && !values.ubr->empty()) text += "." + *values.ubr;
  if (const Text sp = trim(r.servicePack); !sp.empty()) text += " " + sp;
  if (r.major == 10) text += windows10Release(build, values.displayVersion);
  return text;
}

Text unixVersionText(std::string_view systemName, std::string_view release) {
  // The leading numbers of the release, at most two of them: "6.1.0-13-amd64" is 6.1.
  std::size_t end = 0;
  int dots = 0;
  while (end < release.size()) {
    const char c = release[end];
    if (c == '.' && ++dots == 2) break;
    if (c != '.' && (c < '0' || c > '9')) break;
    ++end;
  }
  Text version = trimRight(Text(release.substr(0, end)));
  while (!version.empty() && version.back() == '.') version.pop_back();
  if (version.empty()) version = Text(release);
  return Text(systemName) + ", Version " + version;
}

std::optional<Text> localMachineValue(std::string_view key, std::string_view name) {
#ifdef _WIN32
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Text(key).c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                    &handle) != ERROR_SUCCESS)
    return std::nullopt;
  std::optional<Text> result;
  const Text valueName(name);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(handle, valueName.c_str(), nullptr, &type, nullptr, &size) ==
      ERROR_SUCCESS) {
    std::string bytes(size, '\0');
    if (RegQueryValueExA(handle, valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(bytes.data()), &size) == ERROR_SUCCESS) {
      bytes.resize(size);
      if (type == REG_DWORD && size >= sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        result = std::to_string(number);
      } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        result = bytes;
      }
    }
  }
  RegCloseKey(handle);
  return result;
#else
  static_cast<void>(key);
  static_cast<void>(name);
  return std::nullopt;
#endif
}

Text GetOSVersion() {
#ifdef _WIN32
  const std::optional<OsVersionRecord> record = systemRecord();
  if (!record) return {};
  WindowsVersionValues values;
  if (record->major == 10) {
    values.ubr = localMachineValue(versionKey, "UBR");
    values.displayVersion = localMachineValue(versionKey, "DISPLAYVERSION");
  }
  values.currentVersion = localMachineValue(versionKey, "CurrentVersion");
  values.currentBuildNumber = localMachineValue(versionKey, "CurrentBuildNumber");
  return windowsVersionText(*record, values);
#else
  utsname u{};
  if (uname(&u) != 0) return {};
  return unixVersionText(u.sysname, u.release);
#endif
}

Text mainWindowCaption() { return Text(programTitle) + "     < " + GetOSVersion() + " >"; }

}  // namespace velmoran::app
