#pragma once
// Numbers stored with their lowest byte first, as dBASE table headers and Clipper NTX index
// files hold them.

#include <cstdint>

namespace velmoran::store {

inline std::uint16_t le16(const char* p) {
  auto u = [p](int k) { return static_cast<unsigned>(static_cast<unsigned char>(p[k])); };
  return static_cast<std::uint16_t>(u(0) | (u(1) << 8));
}

inline std::uint32_t le32(const char* p) {
  auto u = [p](int k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(p[k])); };
  return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

inline void putLe16(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

inline void putLe32(char* p, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}

}  // namespace velmoran::store
