// Contigs on a reference: each read aligned as a read is checked (either strand, overhangs
// clipped), the reads that align too little or too poorly left out, the rest laid and voted;
// and the consensus read back against the reference.
#include "analysis/contig.h"

#include <algorithm>
#include <cstdio>

#include "analysis/contig_assembly.h"
#include "analysis/contig_layout.h"
#include "analysis/trim.h"

namespace vistrel {

namespace {

/// How much of the start of a circular reference is appended to it for aligning: a Sanger read
/// runs to about 1,200 bases, so any read across the origin, with its gaps, fits in this.
constexpr std::size_t kCircularOverhang = 5000;

std::string identityReason(double identity, double least) {
  char text[64];
  std::snprintf(text, sizeof text, "identity %.4f below %g", identity, least);
  return text;
}

/// Keeps the columns of `a` from its first read base aligned to a reference letter to its last,
/// and at most one turn of a circular reference of `length` letters.
void keepAlignedSpan(ReadAlignment& a, std::int64_t length) {
  auto paired = [](const AlignedColumn& c) { return c.referenceIndex >= 0 && c.readIndex >= 0; };
  std::vector<AlignedColumn>& columns = a.columns;
  auto first = std::find_if(columns.begin(), columns.end(), paired);
  if (first == columns.end()) {
    columns.clear();
    return;
  }
  const std::int64_t turnEnd = first->referenceIndex + length;
  auto end = std::find_if(first, columns.end(),
                          [&](const AlignedColumn& c) { return c.referenceIndex >= turnEnd; });
  while (!paired(*(end - 1))) --end;
  columns = std::vector<AlignedColumn>(first, end);
  a.referenceStart = columns.front().referenceIndex;
  a.referenceEnd = columns.back().referenceIndex + 1;
}

std::string alignmentFailureText(AlignmentFailure failure) {
  switch (failure) {
    case AlignmentFailure::NoMemory:
      return "Insufficient memory";
    case AlignmentFailure::ReferenceTooLong:
      return "the reference is longer than " + std::to_string(kMaxReferenceLetters) + " letters";
    default:
      return "does not align to the reference";
  }
}

}  // namespace

std::vector<std::int32_t> Contig::consensusColumns() const {
  const auto n = static_cast<std::int32_t>(columns.size());
  auto covered = [&](std::int32_t c) { return columns[static_cast<std::size_t>(c)].coverage > 0; };
  std::int32_t first = 0;
  while (first < n && !covered(first)) ++first;
  if (first == n) return {};
  std::int32_t start = first, count = 0;
  if (!circular) {
    std::int32_t last = n - 1;
    while (!covered(last)) --last;
    count = last - first + 1;
  } else {
    // Going round from the first covered column, the longest uncovered run is left out.
    std::int32_t longest = 0, gapStart = 0;
    for (std::int32_t i = 0; i < n;) {
      if (covered((first + i) % n)) {
        ++i;
        continue;
      }
      std::int32_t j = i;
      while (j < n && !covered((first + j) % n)) ++j;
      if (j - i > longest) {
        longest = j - i;
        gapStart = (first + i) % n;
      }
      i = j;
    }
    start = longest == 0 ? 0 : (gapStart + longest) % n;
    count = n - longest;
  }
  std::vector<std::int32_t> out(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = (start + i) % n;
  return out;
}

std::string Contig::consensusLetters() const {
  std::string letters;
  for (const std::int32_t c : consensusColumns()) {
    const char letter = columns[static_cast<std::size_t>(c)].consensus;
    if (letter != '-') letters += letter;
  }
  return letters;
}

std::vector<std::uint8_t> Contig::consensusQualities() const {
  std::vector<std::uint8_t> qualities;
  for (const std::int32_t c : consensusColumns()) {
    const ContigColumn& column = columns[static_cast<std::size_t>(c)];
    if (column.consensus != '-') qualities.push_back(column.quality);
  }
  return qualities;
}

ReadCheck consensusCheck(const Contig& contig, std::vector<std::int32_t>* differenceColumns) {
  ReadCheck check;
  if (differenceColumns != nullptr) differenceColumns->clear();
  if (!contig.hasReference) return check;
  // The consensus over the reference, one column for each letter of either, and the layout
  // column each stands in; the letters may move between them, the columns stay.
  std::vector<AlignedColumn>& pairs = check.alignment.columns;
  std::vector<std::int32_t> slots, positions;
  for (const std::int32_t c : contig.consensusColumns()) {
    const ContigColumn& column = contig.columns[static_cast<std::size_t>(c)];
    if (column.insertion && column.consensus == '-') continue;
    pairs.push_back({column.insertion ? '-' : column.reference, column.consensus});
    slots.push_back(c);
    if (!column.insertion) positions.push_back(column.referenceIndex);
  }
  leftAlignGaps(pairs);

  std::size_t nextPosition = 0;
  std::int32_t referenceIndex = positions.empty() ? -1 : positions.front() - 1;
  std::int32_t consensusIndex = -1;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    AlignedColumn& pair = pairs[i];
    if (pair.reference != '-') referenceIndex = pair.referenceIndex = positions[nextPosition++];
    if (pair.read != '-') consensusIndex = pair.readIndex = consensusIndex + 1;
    const ContigColumn& column = contig.columns[static_cast<std::size_t>(slots[i])];
    if (column.coverage == 0 || !isDifference(pair)) continue;
    ReadDifference d;
    d.referencePosition = referenceIndex + 1;
    d.reference = pair.reference;
    d.read = pair.read;
    d.readBase = consensusIndex + 1;
    d.quality = column.quality;
    check.differences.push_back(d);
    if (differenceColumns != nullptr) differenceColumns->push_back(slots[i]);
  }
  if (!positions.empty()) {
    check.alignment.referenceStart = positions.front();
    check.alignment.referenceEnd = positions.back() + 1;
  }
  return check;
}

std::string contigSearchLetters(std::string_view reference, bool circular) {
  std::string letters(reference);
  if (circular) letters += reference.substr(0, std::min(reference.size(), kCircularOverhang));
  return letters;
}

ContigAlignment alignContigRead(const ContigInput& read, const PreparedReference& searched,
                                std::int32_t referenceLength, const ContigOptions& options) {
  const TrimRegion& region = read.region;
  if (region.start < 0 || region.start >= region.end ||
      static_cast<std::size_t>(region.end) > read.letters.size()) {
    return {std::nullopt, "no good region"};
  }
  AlignmentResult aligned =
      alignToReference(std::string_view(read.letters)
                           .substr(static_cast<std::size_t>(region.start),
                                   static_cast<std::size_t>(region.end - region.start)),
                       searched);
  if (!aligned.alignment) return {std::nullopt, alignmentFailureText(aligned.failure)};
  ReadAlignment& a = *aligned.alignment;
  for (AlignedColumn& c : a.columns) {
    if (c.readIndex >= 0) c.readIndex += region.start;
  }
  keepAlignedSpan(a, referenceLength);
  const auto alignedBases = std::count_if(a.columns.begin(), a.columns.end(), [](auto& c) {
    return c.referenceIndex >= 0 && c.readIndex >= 0;
  });
  if (alignedBases == 0)
    return {std::nullopt, alignmentFailureText(AlignmentFailure::DoesNotAlign)};
  if (alignedBases < options.minAligned) {
    return {std::nullopt, std::to_string(alignedBases) + " bases aligned, fewer than " +
                              std::to_string(options.minAligned)};
  }
  if (a.identity() < options.minIdentity) {
    return {std::nullopt, identityReason(a.identity(), options.minIdentity)};
  }
  return {std::move(aligned.alignment), {}};
}

ContigSet layOnReference(const std::vector<ContigInput>& reads,
                         const std::vector<ContigAlignment>& aligned, std::string_view reference,
                         const std::string& referenceName, bool circular) {
  ContigSet set;
  std::vector<LaidRead> laid;
  for (std::size_t i = 0; i < reads.size() && i < aligned.size(); ++i) {
    const auto input = static_cast<std::int32_t>(i);
    if (aligned[i].alignment) {
      laid.push_back({input, *aligned[i].alignment});
    } else {
      set.unplaced.push_back({input, aligned[i].reason});
    }
  }
  set.contigs.push_back(layContig(reads, laid, reference, true, circular));
  set.contigs.back().name = referenceName;
  return set;
}

ContigSet buildContigs(const std::vector<ContigInput>& reads, const PreparedReference* reference,
                       const std::string& referenceName, const ContigOptions& options) {
  if (reference == nullptr) return assembleContigs(reads, options);
  const std::string_view letters = reference->letters();
  const auto length =
      static_cast<std::int32_t>(std::min<std::int64_t>(letters.size(), kMaxReferenceLetters));
  // A circular reference is searched with its start appended.
  std::string searchLetters;
  std::optional<PreparedReference> appended;
  if (options.circular) {
    searchLetters = contigSearchLetters(letters, true);
    appended.emplace(searchLetters);
  }
  const PreparedReference& searched = appended ? *appended : *reference;
  std::vector<ContigAlignment> aligned;
  for (const ContigInput& read : reads) {
    aligned.push_back(alignContigRead(read, searched, length, options));
  }
  return layOnReference(reads, aligned, letters, referenceName, options.circular);
}

ContigInput contigInputOf(const Chromatogram& document, std::string name) {
  const BaseCalls& calls = document.shown();
  ContigInput input;
  input.name = std::move(name);
  input.letters.assign(reinterpret_cast<const char*>(calls.bases.data()),
                       static_cast<std::size_t>(calls.baseCount));
  if (calls.hasQualities) {
    input.qualities.assign(calls.qualities.data(), calls.qualities.data() + calls.baseCount);
  }
  input.region = regionToCheck(calls, kDefaultTrimCutoff);
  return input;
}

void updateColumn(Contig& contig, const std::vector<ContigInput>& reads, std::int32_t column) {
  voteColumn(contig, reads, column);
  if (contig.hasReference) markDifferences(contig);
}

}  // namespace vistrel
