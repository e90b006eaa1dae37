// The exact alignment through parasail's striped semi-global aligners: gaps at both ends of the
// reference stretch are free, so the whole read lands on the best part of it; for overlaps the
// ends of both sequences are free.
#include "analysis/exact_alignment.h"

#include <parasail.h>
#include <parasail/matrices/nuc44.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vistrel {

namespace {

constexpr int kGapOpen = 10;
constexpr int kGapExtend = 1;

struct ResultDeleter {
  void operator()(parasail_result_t* r) const { parasail_result_free(r); }
};
struct TracebackDeleter {
  void operator()(parasail_traceback_t* t) const { parasail_traceback_free(t); }
};
struct CigarDeleter {
  void operator()(parasail_cigar_t* c) const { parasail_cigar_free(c); }
};
using Cigar = std::unique_ptr<parasail_cigar_t, CigarDeleter>;
using Result = std::unique_ptr<parasail_result_t, ResultDeleter>;
using Traceback = std::unique_ptr<parasail_traceback_t, TracebackDeleter>;

using Aligner = parasail_result_t* (*)(const char*, int, const char*, int, int, int,
                                       const parasail_matrix_t*);

/// Runs `narrow` and, when its scores saturate, `wide`; the two give the same alignment. 16-bit
/// lanes hold the score of any read up to 6,000 letters, where 8-bit ones saturate on every read
/// longer than 25 and have to run again.
Result run(Aligner narrow, Aligner wide, std::string_view read, std::string_view stretch) {
  const auto readLength = static_cast<int>(read.size());
  const auto stretchLength = static_cast<int>(stretch.size());
  Result r(narrow(read.data(), readLength, stretch.data(), stretchLength, kGapOpen, kGapExtend,
                  &parasail_nuc44));
  if (r && parasail_result_is_saturated(r.get()) != 0) {
    r.reset(wide(read.data(), readLength, stretch.data(), stretchLength, kGapOpen, kGapExtend,
                 &parasail_nuc44));
  }
  return r;
}

}  // namespace

bool findBestEnd(std::string_view read, std::string_view stretch, BestEnd& best) {
  const Result r = run(parasail_sg_dx_striped_16, parasail_sg_dx_striped_32, read, stretch);
  if (!r) return false;
  best.score = parasail_result_get_score(r.get());
  best.end = parasail_result_get_end_ref(r.get());
  return true;
}

bool traceAlignment(std::string_view read, std::string_view stretch, GappedAlignment& out) {
  const auto readLength = static_cast<std::int64_t>(read.size());
  const auto stretchLength = static_cast<std::int64_t>(stretch.size());
  if (readLength * stretchLength > kMaxTracebackCells) return false;
  const Result result =
      run(parasail_sg_dx_trace_striped_16, parasail_sg_dx_trace_striped_32, read, stretch);
  if (!result) return false;
  out = {};
  out.score = parasail_result_get_score(result.get());
  if (out.score <= 0) return true;
  const Traceback trace(parasail_result_get_traceback(
      result.get(), read.data(), static_cast<int>(readLength), stretch.data(),
      static_cast<int>(stretchLength), &parasail_nuc44, '|', ':', '.'));
  if (!trace) return false;

  // The rows hold at most one letter of each sequence a column.
  const std::size_t length =
      strnlen(trace->query, static_cast<std::size_t>(readLength + stretchLength));
  const std::string_view referenceRow(trace->ref, length), readRow(trace->query, length);
  const auto referenceLetters = static_cast<std::int64_t>(
      length - static_cast<std::size_t>(std::count(referenceRow.begin(), referenceRow.end(), '-')));
  // The traceback may or may not run on past the end of the alignment through the rest of the
  // stretch; it ends at the stretch's end or at the alignment's.
  const std::int64_t alignedEnd = parasail_result_get_end_ref(result.get()) + 1;
  const std::int64_t firstLetter =
      (referenceLetters > alignedEnd ? stretchLength : alignedEnd) - referenceLetters;
  // Reference overhangs outside the read are not part of the alignment.
  const std::size_t first = readRow.find_first_not_of('-');
  const std::size_t last = readRow.find_last_not_of('-') + 1;
  out.referenceStart = firstLetter + static_cast<std::int64_t>(first);
  out.reference = std::string(referenceRow.substr(first, last - first));
  out.read = std::string(readRow.substr(first, last - first));
  return true;
}

bool scoreOverlap(std::string_view a, std::string_view b, OverlapScore& out) {
  const Result r = run(parasail_sg_stats_striped_16, parasail_sg_stats_striped_32, a, b);
  if (!r) return false;
  out.score = parasail_result_get_score(r.get());
  out.columns = parasail_result_get_length(r.get());
  out.matches = parasail_result_get_matches(r.get());
  return true;
}

bool traceOverlap(std::string_view a, std::string_view b, std::vector<OverlapColumn>& out) {
  const auto aLength = static_cast<std::int32_t>(a.size());
  const auto bLength = static_cast<std::int32_t>(b.size());
  out.clear();
  if (std::int64_t{aLength} * bLength > kMaxTracebackCells) return false;
  const Result result = run(parasail_sg_trace_striped_16, parasail_sg_trace_striped_32, a, b);
  if (!result) return false;
  const Cigar cigar(parasail_result_get_cigar(result.get(), a.data(), aLength, b.data(), bLength,
                                              &parasail_nuc44));
  if (!cigar) return false;
  std::int32_t i = 0, j = 0;
  // Letters the CIGAR leaves out at either end are end gaps.
  for (; i < std::min(cigar->beg_query, aLength); ++i) out.push_back({i, -1});
  for (; j < std::min(cigar->beg_ref, bLength); ++j) out.push_back({-1, j});
  for (int k = 0; k < cigar->len; ++k) {
    const char op = parasail_cigar_decode_op(cigar->seq[k]);
    const auto length = static_cast<std::int32_t>(parasail_cigar_decode_len(cigar->seq[k]));
    const bool takesA = op != 'D', takesB = op != 'I';
    for (std::int32_t n = 0; n < length && (!takesA || i < aLength) && (!takesB || j < bLength);
         ++n) {
      out.push_back({takesA ? i++ : -1, takesB ? j++ : -1});
    }
  }
  for (; i < aLength; ++i) out.push_back({i, -1});
  for (; j < bLength; ++j) out.push_back({-1, j});
  return true;
}

}  // namespace vistrel
