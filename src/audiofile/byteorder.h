// Byte-order helpers for every on-disk format the program touches: take files
// and WAV are little-endian, AIFF is big-endian, whatever the host is. Built
// from shifts so that they read the same on any machine, and never by casting
// a struct over the bytes.
#pragma once

#include <cstdint>

namespace tp {

inline uint16_t readU16LE(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint16_t readU16BE(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

inline uint32_t readU32LE(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint32_t readU32BE(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline uint64_t readU64BE(const uint8_t* p) {
  return (uint64_t(readU32BE(p)) << 32) | readU32BE(p + 4);
}
inline uint64_t readU64LE(const uint8_t* p) {
  return (uint64_t(readU32LE(p + 4)) << 32) | readU32LE(p);
}

inline void writeU16LE(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void writeU16BE(uint8_t* p, uint16_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }

inline void writeU32LE(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline void writeU32BE(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}

inline void writeU64BE(uint8_t* p, uint64_t v) {
  writeU32BE(p, uint32_t(v >> 32));
  writeU32BE(p + 4, uint32_t(v));
}

}  // namespace tp
