// Where a read may lie on a large reference: minimap2's minimizer index and chaining behind an
// interface of our own, so that nothing else sees the library.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vistrel {

/// The index is built in pieces of this many letters (each reaching a little into the next).
inline constexpr std::int64_t kSeedPieceLetters = std::int64_t{1} << 22;

/// A stretch of the reference where the whole read, or its reverse complement, may lie.
struct SeedHit {
  std::int64_t referenceStart = 0;  ///< 0-based
  std::int64_t referenceEnd = 0;    ///< excluded
  bool reverse = false;
};

/// The index of one reference, read-only once built, so any number of threads may ask it.
class SeedIndex {
 public:
  /// Indexes `letters` (which must outlive the index) in pieces, on up to `threads` threads (no
  /// more than the cores, nor four). minimap2 reports no failed allocation, so running out of
  /// memory here ends the program.
  static std::unique_ptr<SeedIndex> build(std::string_view letters, int threads);

  SeedIndex(const SeedIndex&) = delete;
  SeedIndex& operator=(const SeedIndex&) = delete;
  ~SeedIndex();

  /// The stretches where `read` (upper-case letters) may lie, on either strand; empty when its
  /// seeds chain nowhere. Each stretch is where the read would lie whole, so it may reach past
  /// the ends of what the seeds matched.
  std::vector<SeedHit> hits(std::string_view read) const;

 private:
  struct Piece;
  SeedIndex();

  std::vector<Piece> pieces_;
};

}  // namespace vistrel
