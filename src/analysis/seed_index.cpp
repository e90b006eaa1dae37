// The seed index over minimap2. The reference is indexed in pieces of a few megabases, built on
// several threads at once, which also keeps the memory minimap2 needs while it builds small.
#include "analysis/seed_index.h"

#include <minimap.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

namespace vistrel {

namespace {

// k-mers of 19 in windows of 19, as minimap2 uses for accurate long sequences. Measured on the
// real reads of the test data planted on both strands, with up to 2 % substitutions and two
// indels, into random references: all map but a 118-base read and one whose letters are a third
// N, and the index of 100 Mb stays under 400 MB where k 15 in windows of 10 (which maps those
// two too) needs 550 MB and half as long again to build.
constexpr int kKmer = 19;
constexpr int kWindow = 19;
constexpr int kBucketBits = 14;
// Pieces overlap by more than a read, so that a read across a boundary lies whole in one.
constexpr std::int64_t kPieceOverlap = 4096;
// Each piece being built holds about 30 MB besides the finished index.
constexpr int kMaxBuildThreads = 4;

struct IndexDeleter {
  void operator()(mm_idx_t* index) const { mm_idx_destroy(index); }
};

mm_idx_t* indexPiece(std::string_view letters) {
  // minimap2 takes letters that end in a zero byte.
  const std::string copy(letters);
  const char* sequences[] = {copy.c_str()};
  mm_idx_t* index = mm_idx_str(kWindow, kKmer, 0, kBucketBits, 1, sequences, nullptr);
  if (index == nullptr) return nullptr;
  // The index keeps a packed copy of the letters for minimap2's own base-level alignment, which
  // is never asked for here: the exact alignment runs on the letters themselves.
  std::free(index->S);
  index->S = nullptr;
  return index;
}

}  // namespace

struct SeedIndex::Piece {
  std::int64_t offset = 0;
  std::unique_ptr<mm_idx_t, IndexDeleter> index;
  mm_mapopt_t options{};
};

SeedIndex::SeedIndex() = default;
SeedIndex::~SeedIndex() = default;

std::unique_ptr<SeedIndex> SeedIndex::build(std::string_view letters, int threads) {
  std::unique_ptr<SeedIndex> seeds(new SeedIndex);
  const auto total = static_cast<std::int64_t>(letters.size());
  for (std::int64_t offset = 0; offset < total; offset += kSeedPieceLetters) {
    seeds->pieces_.emplace_back().offset = offset;
  }
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next++) < seeds->pieces_.size();) {
      Piece& piece = seeds->pieces_[i];
      const auto length = static_cast<std::size_t>(
          std::min(kSeedPieceLetters + kPieceOverlap, total - piece.offset));
      piece.index.reset(indexPiece(letters.substr(static_cast<std::size_t>(piece.offset), length)));
    }
  };
  const auto cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const std::size_t workers =
      std::min(static_cast<std::size_t>(std::clamp(threads, 1, std::min(cores, kMaxBuildThreads))),
               seeds->pieces_.size());
  std::vector<std::thread> running;
  for (std::size_t t = 1; t < workers; ++t) running.emplace_back(work);
  work();
  for (std::thread& t : running) t.join();

  for (Piece& piece : seeds->pieces_) {
    if (!piece.index) return nullptr;
    mm_mapopt_init(&piece.options);
    // Repeats are judged within the piece: its most frequent seeds are left out.
    mm_mapopt_update(&piece.options, piece.index.get());
  }
  return seeds;
}

std::vector<SeedHit> SeedIndex::hits(std::string_view read) const {
  std::vector<SeedHit> found;
  const auto length = static_cast<std::int64_t>(read.size());
  mm_tbuf_t* buffer = mm_tbuf_init();
  for (const Piece& piece : pieces_) {
    int count = 0;
    mm_reg1_t* regions = mm_map(piece.index.get(), static_cast<int>(length), read.data(), &count,
                                buffer, &piece.options, nullptr);
    for (int i = 0; i < count; ++i) {
      const mm_reg1_t& r = regions[i];
      // Where the whole read would lie: the unmatched ends of the read reach on beyond the
      // matched stretch (for the reverse strand, the read's end comes first).
      const std::int64_t before = r.rev ? length - r.qe : r.qs;
      const std::int64_t after = r.rev ? r.qs : length - r.qe;
      found.push_back({piece.offset + r.rs - before, piece.offset + r.re + after, r.rev != 0});
      std::free(r.p);
    }
    std::free(regions);
  }
  mm_tbuf_destroy(buffer);
  return found;
}

}  // namespace vistrel
