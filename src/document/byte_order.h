// Conversion of runs of big-endian 16-bit values to host order, in place or while copying.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vistrel {

inline std::uint16_t swap16(std::uint16_t v) {
  return static_cast<std::uint16_t>(v >> 8 | v << 8);
}

/// Turns `count` big-endian 16-bit values at `bytes` (any alignment) into host order in place.
inline void bigEndianToHost16(std::uint8_t* bytes, std::size_t count) {
  if constexpr (std::endian::native == std::endian::big) return;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint16_t v;
    std::memcpy(&v, bytes + 2 * i, 2);
    v = swap16(v);
    std::memcpy(bytes + 2 * i, &v, 2);
  }
}

/// Copies `count` big-endian 16-bit values from `source` to `target` in host order.
inline void copyBigEndian16(std::uint8_t* target, const std::uint8_t* source, std::size_t count) {
  if (count == 0) return;  // the blocks of an empty set may be null
  std::memcpy(target, source, 2 * count);
  bigEndianToHost16(target, count);
}

}  // namespace vistrel
