// A separately allocated byte block with an explicit allocated size. The document keeps each of
// its arrays in one, so growth happens in the steps the editor asks for and a failed
// allocation is an ordinary result, never an exception.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vistrel {

class Block {
 public:
  Block() = default;
  ~Block();
  Block(Block&& other) noexcept;
  Block& operator=(Block&& other) noexcept;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  /// Replaces the contents with `size` uninitialised bytes. On failure the block is left empty
  /// and false is returned.
  bool allocate(std::size_t size);
  /// Grows or shrinks to `newSize` bytes, keeping the leading contents. On failure the block is
  /// unchanged and false is returned.
  bool resize(std::size_t newSize);
  /// Allocates `size` bytes and copies them from `source`. False (and empty) on failure.
  bool assign(const void* source, std::size_t size);
  void release();

  std::uint8_t* data() { return bytes_; }
  const std::uint8_t* data() const { return bytes_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  /// Reads and writes a host-order 16-bit value at element index `i` (byte 2i).
  std::uint16_t u16(std::size_t i) const {
    assert(2 * i + 2 <= size_);
    std::uint16_t v;
    std::memcpy(&v, bytes_ + 2 * i, 2);
    return v;
  }
  void setU16(std::size_t i, std::uint16_t v) {
    assert(2 * i + 2 <= size_);
    std::memcpy(bytes_ + 2 * i, &v, 2);
  }

 private:
  std::uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
};

/// Test seam: while an instance lives, every allocation or growth to more than `maxBytes`
/// fails as if the system were out of memory, and so does every one after the first
/// `allocations`.
class ScopedAllocationLimit {
 public:
  explicit ScopedAllocationLimit(std::size_t maxBytes, std::size_t allocations = SIZE_MAX);
  ~ScopedAllocationLimit();
  ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
  ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

 private:
  std::size_t previousBytes_;
  std::size_t previousCount_;
};

}  // namespace vistrel
