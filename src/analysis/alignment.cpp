// Alignment of a read: where it may lie first (the whole of a small reference, the seeded
// stretches of a large one), then the exact score on each strand and stretch with memory in the
// read's length, and a traceback only over a window about the read's length at the best end.
#include "analysis/alignment.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "analysis/exact_alignment.h"
#include "analysis/seed_index.h"
#include "document/nucleotides.h"

namespace vistrel {

namespace {

constexpr char kBases[] = "ACGTNRYKMSWBDHV";
constexpr int kBestColumnScore = 5;  // a match in NUC.4.4; every other column scores less

// Larger references are seeded. Searched whole on both strands, a 1 kb read costs about 0.45 ms
// a kilobase of reference, 0.11 s at this size: about what an edit in the window may take, and
// the exact search never misses. Seeded, it costs about 2 ms beside an index built once at about
// 55 ms a megabase.
constexpr std::int64_t kSeededReferenceLetters = 250000;
// A read whose seeds lie nowhere is searched whole on a reference of up to this many letters
// while that stays below this many cells on each strand (a 1 kb read against 2 Mb, about a
// second); beyond, it does not align. The search costs time in the reference's length even for
// a read of a few letters (a 5-letter read takes some 20 s against 100 Mb), hence both bounds.
constexpr std::int64_t kMaxWholeSearchLetters = 2000000;
constexpr std::int64_t kMaxWholeSearchCells = 2000000000;

/// The read as the aligner takes it.
std::string alignable(std::string_view read) {
  std::string out(read);
  for (char& c : out) c = alignableLetter(c);
  return out;
}

/// A stretch of the reference to search on one strand.
struct Stretch {
  bool reverse = false;
  std::int64_t start = 0, end = 0;
};

/// The stretches the seeds point at, widened by half a read for the ends the seeds do not
/// reach, joined where they overlap; forward ones first, each strand from the left.
std::vector<Stretch> seededStretches(const std::vector<SeedHit>& hits, std::int64_t readLength,
                                     std::int64_t referenceLength) {
  const std::int64_t pad = readLength / 2 + 64;
  std::vector<Stretch> stretches;
  for (const SeedHit& h : hits) {
    stretches.push_back({h.reverse, std::max<std::int64_t>(0, h.referenceStart - pad),
                         std::min(referenceLength, h.referenceEnd + pad)});
  }
  std::sort(stretches.begin(), stretches.end(), [](const Stretch& a, const Stretch& b) {
    return a.reverse != b.reverse ? !a.reverse : a.start < b.start;
  });
  std::vector<Stretch> joined;
  for (const Stretch& s : stretches) {
    if (!joined.empty() && joined.back().reverse == s.reverse && s.start <= joined.back().end) {
      joined.back().end = std::max(joined.back().end, s.end);
    } else {
      joined.push_back(s);
    }
  }
  return joined;
}

/// The stretches to search: both strands whole on a small reference, else where the seeds lie
/// (both strands whole again when they lie nowhere and that is cheap enough).
AlignmentFailure stretchesToSearch(const std::string& read, const PreparedReference& reference,
                                   std::vector<Stretch>& stretches) {
  const auto readLength = static_cast<std::int64_t>(read.size());
  const auto referenceLength = static_cast<std::int64_t>(reference.letters().size());
  stretches.clear();
  if (reference.seeded()) {
    const SeedIndex* seeds = reference.seedIndex();
    if (seeds == nullptr) return AlignmentFailure::NoMemory;
    stretches = seededStretches(seeds->hits(read), readLength, referenceLength);
    if (stretches.empty() && (referenceLength > kMaxWholeSearchLetters ||
                              readLength > kMaxWholeSearchCells / referenceLength)) {
      return AlignmentFailure::DoesNotAlign;
    }
  }
  if (stretches.empty()) stretches = {{false, 0, referenceLength}, {true, 0, referenceLength}};
  return AlignmentFailure::None;
}

/// The columns of a traced alignment, numbered: reference indices from `referenceStart`, read
/// indices on the read as given (counted from its end for the reverse strand).
ReadAlignment numbered(const GappedAlignment& gapped, std::int64_t referenceStart,
                       std::int32_t readLength, bool reverse) {
  ReadAlignment out;
  out.reverse = reverse;
  out.score = gapped.score;
  for (std::size_t i = 0; i < gapped.read.size(); ++i) {
    out.columns.push_back({gapped.reference[i], gapped.read[i]});
  }
  leftAlignGaps(out.columns);
  auto referenceIndex = static_cast<std::int32_t>(referenceStart);
  std::int32_t readIndex = 0;
  for (AlignedColumn& c : out.columns) {
    if (c.reference != '-') c.referenceIndex = referenceIndex++;
    if (c.read != '-') {
      c.readIndex = reverse ? readLength - 1 - readIndex : readIndex;
      ++readIndex;
    }
  }
  for (const AlignedColumn& c : out.columns) {
    if (c.referenceIndex < 0) continue;
    if (out.referenceEnd == 0) out.referenceStart = c.referenceIndex;
    out.referenceEnd = c.referenceIndex + 1;
  }
  return out;
}

/// Traces the alignment that ends at `end` with `score`. The window reaches back a read's
/// length and twice what the score falls short of a perfect one (room for every gap such a
/// score allows), and grows until the traceback scores as high as the search did.
AlignmentFailure traceFrom(const std::string& read, std::string_view reference, std::int64_t end,
                           int score, bool reverse, ReadAlignment& out) {
  const auto readLength = static_cast<std::int64_t>(read.size());
  std::int64_t reach = readLength + 2 * (kBestColumnScore * readLength - score) + 64;
  GappedAlignment gapped;
  for (;;) {
    const std::int64_t from = std::max<std::int64_t>(0, end + 1 - reach);
    const std::string_view window =
        reference.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(end + 1 - from));
    if (!traceAlignment(read, window, gapped)) return AlignmentFailure::NoMemory;
    if (gapped.score >= score || from == 0) {
      if (gapped.score <= 0) return AlignmentFailure::DoesNotAlign;
      out = numbered(gapped, from + gapped.referenceStart, static_cast<std::int32_t>(readLength),
                     reverse);
      return out.referenceEnd > 0 ? AlignmentFailure::None : AlignmentFailure::DoesNotAlign;
    }
    reach *= 2;
  }
}

}  // namespace

void leftAlignGaps(std::vector<AlignedColumn>& columns) {
  auto shift = [&](char AlignedColumn::*gapped) {
    for (std::size_t b = 0; b < columns.size(); ++b) {
      if (columns[b].*gapped != '-') continue;
      std::size_t a = b;
      while (b + 1 < columns.size() && columns[b + 1].*gapped == '-') ++b;
      ++b;  // the run is [a, b)
      char AlignedColumn::*other =
          gapped == &AlignedColumn::read ? &AlignedColumn::reference : &AlignedColumn::read;
      while (a > 0 && columns[a - 1].reference != '-' && columns[a - 1].read != '-' &&
             columns[a - 1].*other == columns[b - 1].*other) {
        columns[b - 1].*gapped = columns[a - 1].*gapped;
        columns[a - 1].*gapped = '-';
        --a;
        --b;
      }
    }
  };
  shift(&AlignedColumn::read);
  shift(&AlignedColumn::reference);
}

char alignableLetter(char letter) {
  char c = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (c == 'U') c = 'T';
  return c == '\0' || std::strchr(kBases, c) == nullptr ? 'N' : c;
}

bool isDifference(const AlignedColumn& column) {
  return column.reference == '-' || column.read == '-' ||
         std::toupper(static_cast<unsigned char>(column.reference)) !=
             std::toupper(static_cast<unsigned char>(column.read));
}

std::int32_t ReadAlignment::differenceCount() const {
  return static_cast<std::int32_t>(std::count_if(columns.begin(), columns.end(), isDifference));
}

std::int32_t ReadAlignment::matches() const {
  return static_cast<std::int32_t>(columns.size()) - differenceCount();
}

double ReadAlignment::identity() const {
  return columns.empty() ? 0.0 : static_cast<double>(matches()) / columns.size();
}

std::string reverseComplementOf(std::string_view letters) {
  std::string out(letters.rbegin(), letters.rend());
  for (char& c : out) c = static_cast<char>(complementOf(static_cast<std::uint8_t>(c)));
  return out;
}

PreparedReference::PreparedReference(std::string_view letters, int threads)
    : letters_(letters), threads_(threads) {}

PreparedReference::~PreparedReference() = default;

bool PreparedReference::seeded() const {
  return static_cast<std::int64_t>(letters_.size()) > kSeededReferenceLetters;
}

const SeedIndex* PreparedReference::seedIndex() const {
  if (!seeded()) return nullptr;
  std::call_once(indexBuilt_, [this] { index_ = SeedIndex::build(letters_, threads_); });
  return index_.get();
}

AlignmentResult alignToReference(std::string_view read, const PreparedReference& reference) {
  const std::string_view letters = reference.letters();
  if (static_cast<std::int64_t>(letters.size()) > kMaxReferenceLetters) {
    return {std::nullopt, AlignmentFailure::ReferenceTooLong};
  }
  if (read.empty() || letters.empty()) return {std::nullopt, AlignmentFailure::DoesNotAlign};
  const std::string strands[] = {alignable(read), reverseComplementOf(alignable(read))};
  std::vector<Stretch> stretches;
  AlignmentFailure failure = stretchesToSearch(strands[0], reference, stretches);
  if (failure != AlignmentFailure::None) return {std::nullopt, failure};

  // The first of the highest scores wins: forward before reverse, left before right.
  const Stretch* bestStretch = nullptr;
  BestEnd best;
  for (const Stretch& s : stretches) {
    BestEnd found;
    const std::string_view searched = letters.substr(static_cast<std::size_t>(s.start),
                                                     static_cast<std::size_t>(s.end - s.start));
    if (!findBestEnd(strands[s.reverse], searched, found)) {
      return {std::nullopt, AlignmentFailure::NoMemory};
    }
    if (bestStretch == nullptr || found.score > best.score) {
      bestStretch = &s;
      best = found;
    }
  }
  if (best.score <= 0) return {std::nullopt, AlignmentFailure::DoesNotAlign};
  ReadAlignment aligned;
  failure = traceFrom(strands[bestStretch->reverse], letters, bestStretch->start + best.end,
                      best.score, bestStretch->reverse, aligned);
  if (failure != AlignmentFailure::None) return {std::nullopt, failure};
  return {std::move(aligned), AlignmentFailure::None};
}

}  // namespace vistrel
