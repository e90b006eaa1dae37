// Bounds-checked big-endian reads over an untrusted byte range. A read outside the range
// returns 0 and marks the view failed, so a run of reads is checked once at its end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel {

class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool failed() const { return failed_; }

  /// True when `length` bytes from `offset` lie inside the range. Both come from a file, so
  /// negative values and sums beyond 64 bits count as outside.
  bool contains(std::int64_t offset, std::int64_t length) const {
    if (offset < 0 || length < 0) return false;
    auto size = static_cast<std::uint64_t>(size_);
    auto off = static_cast<std::uint64_t>(offset);
    return off <= size && static_cast<std::uint64_t>(length) <= size - off;
  }

  std::uint8_t u8(std::int64_t offset) { return check(offset, 1) ? data_[offset] : 0; }

  std::uint16_t be16(std::int64_t offset) {
    if (!check(offset, 2)) return 0;
    const std::uint8_t* p = data_ + offset;
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
  }

  std::uint32_t be32(std::int64_t offset) {
    if (!check(offset, 4)) return 0;
    const std::uint8_t* p = data_ + offset;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
  }

  std::int32_t be32s(std::int64_t offset) { return static_cast<std::int32_t>(be32(offset)); }

 private:
  bool check(std::int64_t offset, std::int64_t length) {
    if (contains(offset, length)) return true;
    failed_ = true;
    return false;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  bool failed_ = false;
};

/// Big-endian helpers for ranges the caller has already checked.
inline std::uint16_t loadBe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

inline void storeBe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}

inline void storeBe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

}  // namespace vistrel
