// Conversion of runs of big-endian 16-bit values to host order, in place or while copying.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel {

/// Turns `count` big-endian 16-bit values at `bytes` (any alignment) into host order in place.
void bigEndianToHost16(std::uint8_t* bytes, std::size_t count);

/// Copies `count` big-endian 16-bit values from `source` to `target` in host order.
void copyBigEndian16(std::uint8_t* target, const std::uint8_t* source, std::size_t count);

}  // namespace vistrel
