#include "store/code_page.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace velmoran::store {

namespace {

// Unicode code points of the upper half (0x80-0xFF) of code page 850.
constexpr std::array<std::uint16_t, 128> cp850Upper = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  //
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  //
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  //
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  //
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  //
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  //
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  //
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  //
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  //
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  //
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// Unicode code points of Windows-1252 bytes 0x80-0x9F; 0xA0-0xFF equal their code points.
// The five bytes Windows leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1
// control characters of the same number, as Windows' own conversion treats them.
constexpr std::array<std::uint16_t, 32> cp1252Special = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char replacement = '?';

std::uint32_t cp1252ToUnicode(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return cp1252Special[b - 0x80];
  return b;
}

// The Windows-1252 byte of a code point, or -1 when 1252 has none.
int unicodeToCp1252(std::uint32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<int>(u);
  for (std::size_t i = 0; i < cp1252Special.size(); ++i)
    if (cp1252Special[i] == u) return static_cast<int>(0x80 + i);
  return -1;
}

struct Tables {
  std::array<char, 256> to850{};
  std::array<char, 256> from850{};
};

Tables makeTables() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.to850[b] = b < 0x80 ? static_cast<char>(b) : replacement;
    t.from850[b] = b < 0x80 ? static_cast<char>(b) : replacement;
  }
  for (std::size_t i = 0; i < cp850Upper.size(); ++i) {
    int ansi = unicodeToCp1252(cp850Upper[i]);
    if (ansi < 0) continue;
    t.from850[i + 0x80] = static_cast<char>(ansi);
    t.to850[static_cast<std::size_t>(ansi)] = static_cast<char>(i + 0x80);
  }
  return t;
}

const Tables& tables() {
  static const Tables t = makeTables();
  return t;
}

// Both maps keep the bytes below 0x80: text without others is copied as it is.
void mapInto(std::string_view in, char* out, const std::array<char, 256>& map) {
  std::size_t i = 0;
  for (std::uint64_t word; i + 8 <= in.size(); i += 8) {
    std::memcpy(&word, in.data() + i, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (i < in.size() && static_cast<unsigned char>(in[i]) < 0x80) ++i;
  if (i > 0) std::memcpy(out, in.data(), i);
  for (; i < in.size(); ++i) out[i] = map[static_cast<unsigned char>(in[i])];
}

std::string mapBytes(std::string_view in, const std::array<char, 256>& map) {
  std::string out(in.size(), '\0');
  mapInto(in, out.data(), map);
  return out;
}

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when it is not one.
std::size_t decodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  struct Lead {
    unsigned char mask, value;
    std::size_t length;
    std::uint32_t smallest;  // below it the form is overlong
  };
  static constexpr Lead leads[] = {
      {0x80, 0x00, 1, 0}, {0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};
  unsigned char b = byte(i);
  for (const Lead& lead : leads) {
    if ((b & lead.mask) != lead.value) continue;
    if (i + lead.length > s.size()) return 0;
    cp = b & static_cast<unsigned char>(~lead.mask);
    for (std::size_t k = 1; k < lead.length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) return 0;
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
    if (cp < lead.smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return lead.length;
  }
  return 0;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::string toCp850(std::string_view text) { return mapBytes(text, tables().to850); }

void toCp850(std::string_view text, char* out) { mapInto(text, out, tables().to850); }

Text fromCp850(std::string_view oem) { return mapBytes(oem, tables().from850); }

void fromCp850(std::string_view oem, char* out) { mapInto(oem, out, tables().from850); }

Text utf8ToWindows1252(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t cp = 0;
    std::size_t n = decodeUtf8(utf8, i, cp);
    if (n == 0) {
      out += utf8[i++];
      continue;
    }
    int ansi = unicodeToCp1252(cp);
    out += ansi < 0 ? replacement : static_cast<char>(ansi);
    i += n;
  }
  return out;
}

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::size_t utf8Prefix(std::string_view bytes, bool& multiByte) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    const std::size_t n = decodeUtf8(bytes, i, cp);
    if (n == 0) break;
    multiByte = true;
    i += n;
  }
  return i;
}

bool isUtf8(std::string_view bytes) {
  if (bytes.substr(0, byteOrderMark.size()) == byteOrderMark) return true;
  bool multiByte = false;
  return utf8Prefix(bytes, multiByte) == bytes.size() && multiByte;
}

Text utf16ToWindows1252(std::string_view bytes, bool bigEndian) {
  auto unit = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8) | b : (b << 8) | a;
  };
  Text out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      out += replacement;
      continue;
    }
    const int ansi = unicodeToCp1252(cp);
    out += ansi < 0 ? replacement : static_cast<char>(ansi);
  }
  return out;
}

Text decodeTextFile(std::string_view bytes) {
  if (!isUtf8(bytes)) return Text(bytes);
  if (bytes.substr(0, byteOrderMark.size()) == byteOrderMark)
    bytes.remove_prefix(byteOrderMark.size());
  return utf8ToWindows1252(bytes);
}

Text pathText(const std::filesystem::path& file) {
  const std::u8string utf8 = file.u8string();
  return utf8ToWindows1252(std::string(utf8.begin(), utf8.end()));
}

}  // namespace velmoran::store
