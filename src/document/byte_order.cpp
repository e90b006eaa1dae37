// Byte-order loops, kept out of line so the compiler vectorises them on their own.
#include "document/byte_order.h"

#include <bit>
#include <cstring>

namespace vistrel {

void bigEndianToHost16(std::uint8_t* bytes, std::size_t count) {
  if constexpr (std::endian::native == std::endian::big) return;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint16_t v;
    std::memcpy(&v, bytes + 2 * i, 2);
    v = __builtin_bswap16(v);
    std::memcpy(bytes + 2 * i, &v, 2);
  }
}

void copyBigEndian16(std::uint8_t* target, const std::uint8_t* source, std::size_t count) {
  if (count == 0) return;  // the blocks of an empty set may be null
  std::memcpy(target, source, 2 * count);
  bigEndianToHost16(target, count);
}

}  // namespace vistrel
