// Byte blocks over malloc/realloc, so that growth keeps the contents and failure is a result.
#include "platform/block.h"

#include <cstdlib>
#include <limits>
#include <utility>

namespace vistrel {

namespace {
std::size_t allocationLimit = std::numeric_limits<std::size_t>::max();
std::size_t allocationsLeft = std::numeric_limits<std::size_t>::max();
}  // namespace

Block::~Block() {
  std::free(bytes_);
}

Block::Block(Block&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), size_(std::exchange(other.size_, 0)) {}

Block& Block::operator=(Block&& other) noexcept {
  if (this != &other) {
    std::free(bytes_);
    bytes_ = std::exchange(other.bytes_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool Block::allocate(std::size_t size) {
  release();
  return resize(size);
}

bool Block::resize(std::size_t newSize) {
  if (newSize == 0) {
    release();
    return true;
  }
  if (newSize > allocationLimit || allocationsLeft == 0) return false;
  void* grown = std::realloc(bytes_, newSize);
  if (grown == nullptr) return false;
  if (allocationsLeft != std::numeric_limits<std::size_t>::max()) --allocationsLeft;
  bytes_ = static_cast<std::uint8_t*>(grown);
  size_ = newSize;
  return true;
}

bool Block::assign(const void* source, std::size_t size) {
  if (!allocate(size)) return false;
  if (size > 0) std::memcpy(bytes_, source, size);
  return true;
}

void Block::release() {
  std::free(bytes_);
  bytes_ = nullptr;
  size_ = 0;
}

ScopedAllocationLimit::ScopedAllocationLimit(std::size_t maxBytes, std::size_t allocations)
    : previousBytes_(allocationLimit), previousCount_(allocationsLeft) {
  allocationLimit = maxBytes;
  allocationsLeft = allocations;
}

ScopedAllocationLimit::~ScopedAllocationLimit() {
  allocationLimit = previousBytes_;
  allocationsLeft = previousCount_;
}

}  // namespace vistrel
