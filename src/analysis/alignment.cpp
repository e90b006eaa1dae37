// Alignment through parasail's striped semi-global aligner with traceback: gaps at both ends of
// the reference are free, so the whole read lands on the best stretch of the reference.
#include "analysis/alignment.h"

#include <parasail.h>
#include <parasail/matrices/nuc44.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "document/nucleotides.h"

namespace vistrel {

namespace {

constexpr int kGapOpen = 10;
constexpr int kGapExtend = 1;
constexpr char kBases[] = "ACGTNRYKMSWBDHV";

struct ResultDeleter {
  void operator()(parasail_result_t* r) const { parasail_result_free(r); }
};
struct TracebackDeleter {
  void operator()(parasail_traceback_t* t) const { parasail_traceback_free(t); }
};
using Result = std::unique_ptr<parasail_result_t, ResultDeleter>;
using Traceback = std::unique_ptr<parasail_traceback_t, TracebackDeleter>;

/// The read as the aligner takes it: upper case, U as T, anything else as N.
std::string alignable(std::string_view read) {
  std::string out(read);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c == 'U') c = 'T';
    if (c == '\0' || std::strchr(kBases, c) == nullptr) c = 'N';
  }
  return out;
}

Result align(const std::string& read, std::string_view reference) {
  const auto readLength = static_cast<int>(read.size());
  const auto referenceLength = static_cast<int>(reference.size());
  Result r(parasail_sg_dx_trace_striped_sat(read.data(), readLength, reference.data(),
                                            referenceLength, kGapOpen, kGapExtend,
                                            &parasail_nuc44));
  if (r && parasail_result_is_saturated(r.get()) != 0) {
    r.reset(parasail_sg_dx_trace_striped_32(read.data(), readLength, reference.data(),
                                            referenceLength, kGapOpen, kGapExtend,
                                            &parasail_nuc44));
  }
  return r;
}

std::optional<ReadAlignment> alignStrand(const std::string& read, std::string_view reference,
                                         bool reverse) {
  Result result = align(read, reference);
  if (!result) return std::nullopt;
  Traceback trace(parasail_result_get_traceback(
      result.get(), read.data(), static_cast<int>(read.size()), reference.data(),
      static_cast<int>(reference.size()), &parasail_nuc44, '|', ':', '.'));
  if (!trace) return std::nullopt;

  ReadAlignment out;
  out.reverse = reverse;
  out.score = parasail_result_get_score(result.get());
  const std::size_t length = std::strlen(trace->query);
  std::int32_t referenceLetters = 0;
  for (std::size_t i = 0; i < length; ++i) {
    out.columns.push_back({trace->ref[i], trace->query[i]});
    if (trace->ref[i] != '-') ++referenceLetters;
  }

  // Number the letters. The traceback may or may not run on past the end of the alignment
  // through the rest of the reference; it ends at the reference's end or at the alignment's.
  const std::int32_t alignedEnd = parasail_result_get_end_ref(result.get()) + 1;
  const auto referenceLength = static_cast<std::int32_t>(reference.size());
  std::int32_t referenceIndex =
      (referenceLetters > alignedEnd ? referenceLength : alignedEnd) - referenceLetters;
  // Reference overhangs outside the read are not part of the alignment. They go before the gaps
  // move: an overhang would pass for a gap that may move left over the read's last letter.
  auto readLetter = [](const AlignedColumn& c) { return c.read != '-'; };
  const auto first = std::find_if(out.columns.begin(), out.columns.end(), readLetter);
  const auto last = std::find_if(out.columns.rbegin(), out.columns.rend(), readLetter).base();
  referenceIndex += static_cast<std::int32_t>(std::distance(out.columns.begin(), first));
  out.columns = std::vector<AlignedColumn>(first, last);
  leftAlignGaps(out.columns);
  std::int32_t readIndex = 0;
  const auto readLength = static_cast<std::int32_t>(read.size());
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

std::optional<ReadAlignment> alignToReference(std::string_view read, std::string_view reference) {
  if (read.empty() || reference.empty()) return std::nullopt;
  const std::string forward = alignable(read);
  std::optional<ReadAlignment> best = alignStrand(forward, reference, false);
  std::optional<ReadAlignment> back = alignStrand(reverseComplementOf(forward), reference, true);
  if (back && (!best || back->score > best->score)) best = std::move(back);
  return best;
}

}  // namespace vistrel
