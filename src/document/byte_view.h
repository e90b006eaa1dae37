// Bounds-checked access to an untrusted byte range. Every range the readers take from a file is
// obtained through `ByteView::sub` or `ByteView::record`, which check it once against the whole
// data; a view that lies outside never comes into being, so reads through one need no check.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vistrel {

/// Big-endian helpers for bytes inside a view or a record.
inline std::uint16_t loadBe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

inline std::uint32_t loadBe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
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

class ByteView;

/// Exactly N readable bytes, such as a header or a directory entry. Fields are read at offsets
/// fixed at compile time, so a field past the record's end does not compile.
template <std::size_t N>
class Record {
 public:
  template <std::size_t At>
  std::uint8_t u8() const {
    static_assert(At < N);
    return bytes_[At];
  }
  template <std::size_t At>
  std::uint16_t be16() const {
    static_assert(At + 2 <= N);
    return loadBe16(bytes_ + At);
  }
  template <std::size_t At>
  std::uint32_t be32() const {
    static_assert(At + 4 <= N);
    return loadBe32(bytes_ + At);
  }
  template <std::size_t At>
  std::int32_t be32s() const {
    return static_cast<std::int32_t>(be32<At>());
  }
  /// The M bytes from `At`.
  template <std::size_t At, std::size_t M>
  Record<M> part() const {
    static_assert(At + M <= N);
    return Record<M>(bytes_ + At);
  }
  std::array<std::uint8_t, N> copy() const {
    std::array<std::uint8_t, N> out;
    std::memcpy(out.data(), bytes_, N);
    return out;
  }
  ByteView view() const;

 private:
  template <std::size_t>
  friend class Record;
  friend class ByteView;
  explicit Record(const std::uint8_t* bytes) : bytes_(bytes) {}

  const std::uint8_t* bytes_;
};

class ByteView {
 public:
  ByteView(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

  /// The `length` bytes from `offset`, or nothing when they do not all lie inside this view.
  /// Both come from a file, so negative values count as outside; the test is written so that
  /// no sum can overflow.
  std::optional<ByteView> sub(std::int64_t offset, std::int64_t length) const {
    if (offset < 0 || length < 0) return std::nullopt;
    const auto size = static_cast<std::uint64_t>(size_);
    const auto off = static_cast<std::uint64_t>(offset);
    if (off > size || static_cast<std::uint64_t>(length) > size - off) return std::nullopt;
    return ByteView(data_ + off, static_cast<std::size_t>(length));
  }

  /// The N bytes from `offset` as a record, or nothing when they do not all lie inside.
  template <std::size_t N>
  std::optional<Record<N>> record(std::int64_t offset) const {
    std::optional<ByteView> bytes = sub(offset, static_cast<std::int64_t>(N));
    if (!bytes) return std::nullopt;
    return Record<N>(bytes->data_);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

template <std::size_t N>
ByteView Record<N>::view() const {
  return ByteView(bytes_, N);
}

}  // namespace vistrel
