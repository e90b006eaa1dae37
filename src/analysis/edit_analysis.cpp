// The edit analysis. Every allele is a trace built from the control's own samples (a deletion
// cuts its bases' samples out at the cut, an insertion adds letters there), the edited read is
// placed on the control by its calls before the cut, and its peak signal after the cut is
// fitted as a non-negative mixture of the alleles read at the same places.
#include "analysis/edit_analysis.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/alignment.h"
#include "analysis/least_squares.h"
#include "document/nucleotides.h"

namespace vistrel {

namespace {

constexpr char kLetters[] = "ACGT";
// The donor must match the control over this many bases on each side of its change.
constexpr int kDonorArm = 10;
// The placement must agree with the control at least this often.
constexpr double kMinPlacementIdentity = 0.8;
// Runs of the same amplicon differ in their sample spacing by far less than this factor.
constexpr double kMinSampleScale = 0.5;
// Fewer noise bases than this tell nothing about a read's noise.
constexpr std::size_t kMinNoiseBases = 50;

std::string formatted(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::int32_t calledBases(const BaseCalls& calls) {
  return std::min(calls.baseCount, calls.peakCount);
}

/// The called letters of a set as upper-case text.
std::string lettersOf(const BaseCalls& calls) {
  std::string letters(reinterpret_cast<const char*>(calls.bases.data()),
                      static_cast<std::size_t>(calls.baseCount));
  for (char& c : letters) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return letters;
}

/// Sample `s` of channel `c`, 0 outside the trace and for the negative baseline of some files.
double sampleAt(const Chromatogram& d, int c, std::int64_t s) {
  if (s < 0 || s >= d.channels[c].sampleCount) return 0;
  const auto v = static_cast<std::int16_t>(d.sample(c, static_cast<std::int32_t>(s)));
  return v > 0 ? v : 0;
}

/// The channel of each of A, C, G, T; false when a letter has none.
bool findChannels(const Chromatogram& d, int (&channelOf)[4]) {
  for (int letter = 0; letter < 4; ++letter) {
    channelOf[letter] = -1;
    for (int c = 0; c < 4; ++c) {
      if (acgtIndex(static_cast<std::uint8_t>(d.channels[c].letter)) == letter)
        channelOf[letter] = c;
    }
    if (channelOf[letter] < 0) return false;
  }
  return true;
}

/// Where each base's samples begin: halfway from the peak before, never going back; the
/// entry past the last base is the trace's end.
std::vector<std::int32_t> baseBoundaries(const Chromatogram& d, const BaseCalls& calls) {
  const std::int32_t n = calledBases(calls);
  std::vector<std::int32_t> b(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t i = 1; i < n; ++i) {
    const std::int32_t mid = (std::int32_t{calls.peak(i - 1)} + calls.peak(i)) / 2;
    b[i] = std::max(b[i - 1], mid);
  }
  b[n] = std::max(b[n > 0 ? n - 1 : 0], d.maxSampleCount);
  return b;
}

/// The base whose samples hold `sample`, or -1 outside them.
std::int32_t baseAtSample(const std::vector<std::int32_t>& boundaries, double sample) {
  const auto after = std::upper_bound(boundaries.begin(), boundaries.end(), sample);
  if (after == boundaries.begin() || after == boundaries.end()) return -1;
  return static_cast<std::int32_t>(after - boundaries.begin()) - 1;
}

TrimRegion goodRegionOf(const BaseCalls& calls, double cutoff) {
  TrimRegion r = regionToCheck(calls, cutoff);
  const std::int32_t n = calledBases(calls);
  r.end = std::min(r.end, n);
  r.start = std::min(r.start, r.end);
  return r;
}

/// The four letters' values at a sample of a read, in the order A, C, G, T.
void valuesAt(const Chromatogram& d, const int (&channelOf)[4], std::int64_t s, double (&v)[4]) {
  for (int letter = 0; letter < 4; ++letter) v[letter] = sampleAt(d, channelOf[letter], s);
}

/// The share, in percent, of a base's signal outside `letter`'s channel; nothing for a base
/// without signal or a letter that is no base.
std::optional<double> outsideShare(const double (&v)[4], int letter) {
  const double total = v[0] + v[1] + v[2] + v[3];
  if (letter < 0 || total <= 0) return std::nullopt;
  return 100.0 * (1.0 - v[letter] / total);
}

int mismatchesAt(const std::string& letters, const std::string& probe, std::size_t at, int stop) {
  int mismatches = 0;
  for (std::size_t k = 0; k < probe.size() && mismatches < stop; ++k) {
    mismatches += letters[at + k] != probe[k];
  }
  return mismatches;
}

/// One allele's trace: `pieces` one after another from sample 0.
class AlleleTrace {
 public:
  AlleleTrace(const EditControl& control, std::vector<AllelePiece> pieces)
      : control_(control), pieces_(std::move(pieces)) {}

  /// The allele's value of `letter` (0 to 3) at `sample`.
  double value(int letter, std::int64_t sample) const {
    std::int64_t at = 0;
    for (const AllelePiece& p : pieces_) {
      if (sample < at + p.length) {
        const std::int64_t offset = sample - at;
        if (p.fromControl) return controlValue(letter, p.from + offset);
        return letterValue(p.letter, letter, offset % p.width, p.width);
      }
      at += p.length;
    }
    return 0;
  }

 private:
  double controlValue(int letter, std::int64_t sample) const {
    return sampleAt(*control_.document, control_.channelOf[letter], sample);
  }

  /// A stand-in letter's value: the stamp of its letter stretched to `width`, or for an
  /// unknown one the mean of the four stamps, so that each channel gets a quarter of its peak.
  double letterValue(int stampLetter, int letter, std::int64_t offset, std::int32_t width) const {
    auto stamped = [&](int s) {
      const LetterStamp& stamp = control_.stamps[s];
      return controlValue(letter, stamp.from + offset * stamp.width / width);
    };
    if (stampLetter >= 0 && control_.stamps[stampLetter].width > 0) return stamped(stampLetter);
    double sum = 0;
    for (int s = 0; s < 4; ++s) sum += stamped(s);
    return sum / 4;
  }

  const EditControl& control_;
  std::vector<AllelePiece> pieces_;
};

/// Adds control samples to `pieces`, joining them to a control piece they continue.
void addControl(std::vector<AllelePiece>& pieces, std::int32_t from, std::int64_t length) {
  if (length <= 0) return;
  if (!pieces.empty() && pieces.back().fromControl &&
      pieces.back().from + pieces.back().length == from) {
    pieces.back().length += length;
    return;
  }
  pieces.push_back({length, true, from, -1, 0});
}

void addLetters(std::vector<AllelePiece>& pieces, int letter, std::int32_t count,
                std::int32_t width) {
  if (count > 0 && width > 0)
    pieces.push_back({std::int64_t{count} * width, false, 0, letter, width});
}

/// The allele with an indel of `size` at the cut: a deletion's bases cut out, an insertion's
/// letters unknown and as wide as the base before the cut.
std::vector<AllelePiece> indelPieces(const EditControl& c, int size) {
  const std::vector<std::int32_t>& b = c.boundaries;
  const std::int32_t cut = c.site.cut;
  const std::int32_t atCut = b[cut];
  std::vector<AllelePiece> pieces;
  addControl(pieces, 0, atCut);
  if (size < 0) {
    const std::int32_t resume = b[std::min(static_cast<std::size_t>(cut - size), b.size() - 1)];
    addControl(pieces, resume, INT32_MAX);
  } else {
    addLetters(pieces, -1, size, atCut - b[cut - 1]);
    addControl(pieces, atCut, INT32_MAX);
  }
  return pieces;
}

/// Builds the donor allele from its alignment to the control; a message when it is unusable.
std::string buildDonor(const std::string& letters, const std::string& donorText, EditControl& c) {
  std::string donor = donorText;
  for (char& ch : donor) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (donor.find_first_not_of(kLetters) != std::string::npos) {
    return "the donor must be written with the letters A, C, G and T only";
  }
  const PreparedReference reference(letters);
  const AlignmentResult aligned = alignToReference(donor, reference);
  const std::string arms = "the donor must hold at least " + std::to_string(kDonorArm) +
                           " bases of the control on each side of its change";
  if (!aligned.alignment) return "the donor does not align to the control: " + arms;
  std::vector<AlignedColumn> columns;
  for (const AlignedColumn& column : aligned.alignment->columns) {
    if (column.referenceIndex >= 0 || !columns.empty()) columns.push_back(column);
  }
  while (!columns.empty() && columns.back().referenceIndex < 0) columns.pop_back();
  const auto width = static_cast<std::int64_t>(columns.size());
  for (std::int64_t k = 0; k < width; ++k) {
    if ((k < kDonorArm || k >= width - kDonorArm) && isDifference(columns[k])) return arms;
  }
  if (width < 2 * kDonorArm) return arms;

  const std::vector<std::int32_t>& b = c.boundaries;
  const std::int32_t insertedWidth = b[c.site.cut] - b[c.site.cut - 1];
  std::int32_t lastBase = columns.front().referenceIndex;
  bool changed = false;
  addControl(c.donor, 0, b[lastBase]);
  for (const AlignedColumn& column : columns) {
    const int letter = acgtIndex(static_cast<std::uint8_t>(column.read));
    if (column.referenceIndex >= 0) lastBase = column.referenceIndex;
    const std::int32_t base = column.referenceIndex >= 0 ? column.referenceIndex : lastBase + 1;
    if (isDifference(column) && !changed) {
      changed = true;
      c.donorFirstChange = base;
    }
    if (column.referenceIndex < 0) {
      addLetters(c.donor, letter, 1, insertedWidth);
    } else if (column.read == '-') {
      continue;  // a base the donor lacks: its samples are left out
    } else if (!isDifference(column)) {
      addControl(c.donor, b[base], b[base + 1] - b[base]);
    } else {
      addLetters(c.donor, letter, 1, b[base + 1] - b[base]);
    }
  }
  if (!changed) return "the donor is the control's own sequence: it holds no change";
  addControl(c.donor, b[lastBase + 1], INT32_MAX);
  return {};
}

/// A called control base of each letter, the nearest to the cut inside the good region.
void findStamps(const EditControl& c, const std::string& letters, LetterStamp (&stamps)[4]) {
  for (int letter = 0; letter < 4; ++letter) {
    stamps[letter] = {};
    for (std::int32_t d = 0; d < c.good.end - c.good.start; ++d) {
      for (std::int32_t i : {c.site.cut - 1 - d, c.site.cut + d}) {
        if (stamps[letter].width == 0 && i >= c.good.start && i < c.good.end &&
            acgtIndex(static_cast<std::uint8_t>(letters[i])) == letter) {
          stamps[letter] = {c.boundaries[i], c.boundaries[i + 1] - c.boundaries[i]};
        }
      }
    }
  }
}

/// Where the edited read lies on the control before the cut.
struct Placement {
  TrimRegion editedGood;
  std::int32_t start = 0;      ///< first control base of the stretch
  std::int32_t editedCut = 0;  ///< edited bases before the cut
  double offset = 0, scale = 1;
  std::int32_t editedStart = 0;  ///< the edited base aligned at the stretch's start
};

/// Places the edited read; a message when it cannot.
std::string place(const EditControl& c, const Chromatogram& edited, double trimCutoff,
                  Placement& placed) {
  const BaseCalls& calls = edited.shown();
  const BaseCalls& controlCalls = c.document->shown();
  placed.editedGood = goodRegionOf(calls, trimCutoff);
  const TrimRegion& eg = placed.editedGood;
  if (calledBases(calls) == 0) return "the edited read has no base calls";
  if (eg.empty()) return "no part of the edited read passes trimming: try a higher --trim-cutoff";
  const std::int32_t cut = c.site.cut;
  placed.start = std::max(c.good.start, cut - kPlacementBases);
  const std::string controlLetters = lettersOf(controlCalls);
  const std::string stretch = controlLetters.substr(placed.start, cut - placed.start);
  const std::string editedLetters = lettersOf(calls).substr(eg.start, eg.end - eg.start);
  const PreparedReference reference(editedLetters);
  const AlignmentResult aligned = alignToReference(stretch, reference);
  const std::string where = formatted("control bases %d to %d", placed.start + 1, cut);
  const std::string sameAmplicon =
      "check that it is the same amplicon as the control, sequenced from the same side";
  if (!aligned.alignment) {
    return "the edited read does not match the control before the cut (" + where +
           "): " + sameAmplicon;
  }
  if (aligned.alignment->reverse && aligned.alignment->identity() >= kMinPlacementIdentity) {
    return "the edited read matches the control's other strand: sequence it from the same side "
           "as the control";
  }
  std::int32_t columns = 0, matches = 0, lastEdited = -1, editedAtCut = -1;
  bool cutPastEditedEnd = false;  // the base before the cut hangs past the edited read
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  placed.editedStart = -1;
  for (const AlignedColumn& col : aligned.alignment->columns) {
    if (col.referenceIndex >= 0) lastEdited = eg.start + col.referenceIndex;
    if (col.readIndex < 0 || lastEdited < 0) continue;  // a gap, or before the edited read
    ++columns;
    if (col.readIndex == static_cast<std::int32_t>(stretch.size()) - 1) {
      editedAtCut = lastEdited;
      cutPastEditedEnd = col.referenceIndex < 0 && lastEdited == eg.end - 1;
    }
    if (col.referenceIndex < 0 || isDifference(col)) continue;
    ++matches;
    if (placed.editedStart < 0) placed.editedStart = lastEdited;
    const double x = calls.peak(lastEdited);
    const double y = controlCalls.peak(placed.start + col.readIndex);
    n += 1;
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const double spread = n * sxx - sx * sx;
  placed.scale = spread > 0 ? (n * sxy - sx * sy) / spread : 1.0;
  placed.offset = n > 0 ? (sy - placed.scale * sx) / n : 0.0;
  if (cutPastEditedEnd && matches >= kMinPlacementBases) {
    return formatted(
        "the edited read's good region ends at base %d, before the cut: sequence it from the "
        "other side, or try a higher --trim-cutoff",
        eg.end);
  }
  if (aligned.alignment->reverse || editedAtCut < 0 || matches < kMinPlacementBases ||
      matches < kMinPlacementIdentity * columns || !(placed.scale > kMinSampleScale) ||
      !(placed.scale < 1 / kMinSampleScale)) {
    return formatted(
               "the edited read does not match the control before the cut (%d of %d bases "
               "alike over %s): ",
               matches, columns, where.c_str()) +
           sameAmplicon;
  }
  placed.editedCut = editedAtCut + 1;
  return {};
}

/// An edited base read in the window, with the control base it lies on.
struct Observation {
  std::int32_t edited = 0;
  std::int32_t control = 0;
};

/// The shares of the fitted weights, and the figures summed from them.
void fillFigures(const std::vector<double>& weights, int maxIndel, bool donor, EditAnalysis& a) {
  double total = 0;
  for (double w : weights) total += w;
  for (std::size_t k = 0; k < weights.size(); ++k) {
    AlleleShare share;
    share.donor = donor && k + 1 == weights.size();
    share.size = share.donor ? 0 : static_cast<int>(k) - maxIndel;
    share.percent = 100.0 * weights[k] / total;
    a.alleles.push_back(share);
    if (share.donor) {
      a.donorPercent = share.percent;
    } else if (share.size == 0) {
      a.wildTypePercent = share.percent;
    } else {
      a.indelPercent += share.percent;
      const bool frameshift = share.size % 3 != 0;
      if (frameshift) a.frameshiftPercent += share.percent;
      if (frameshift || std::abs(share.size) >= 21) a.koScore += share.percent;
    }
  }
}

/// The base-editing table of the protospacer in the edited read, judged against the read's
/// own noise: the share of each good base's signal outside its called channel.
void fillBaseEdit(const EditControl& c, const Chromatogram& edited, const int (&channelOf)[4],
                  const Placement& placed, EditAnalysis& a) {
  const BaseCalls& calls = edited.shown();
  const BaseCalls& controlCalls = c.document->shown();
  const std::vector<std::int32_t> editedBounds = baseBoundaries(edited, calls);
  const GuideSite& site = c.site;
  std::vector<std::int32_t> protospacer;
  for (int p = 1; p <= site.length; ++p) {
    const std::int32_t i = site.reverse ? site.start + site.length - p : site.start + p - 1;
    const double sample = (controlCalls.peak(i) - placed.offset) / placed.scale;
    const std::int32_t j = baseAtSample(editedBounds, sample);
    BaseEditPosition position;
    position.position = p;
    const auto letter = static_cast<std::uint8_t>(std::toupper(controlCalls.base(i)));
    position.reference = static_cast<char>(site.reverse ? complementOf(letter) : letter);
    if (j >= 0 && j < calledBases(calls)) {
      protospacer.push_back(j);
      double v[4];
      valuesAt(edited, channelOf, calls.peak(j), v);
      const double total = v[0] + v[1] + v[2] + v[3];
      for (int l = 0; l < 4; ++l) {
        const int strandLetter = site.reverse ? 3 - l : l;  // A-T and C-G swap on the other strand
        position.percent[l] = total > 0 ? 100.0 * v[strandLetter] / total : 0;
      }
      const int ref = acgtIndex(static_cast<std::uint8_t>(position.reference));
      position.nonReference = ref >= 0 && total > 0 ? 100.0 - position.percent[ref] : 0;
    }
    a.baseEdit.push_back(position);
  }
  std::vector<double> noise;
  for (std::int32_t j = placed.editedGood.start; j < placed.editedGood.end; ++j) {
    if (std::find(protospacer.begin(), protospacer.end(), j) != protospacer.end()) continue;
    double v[4];
    valuesAt(edited, channelOf, calls.peak(j), v);
    const std::optional<double> share = outsideShare(v, acgtIndex(calls.base(j)));
    if (share) noise.push_back(*share);
  }
  if (noise.size() < kMinNoiseBases) {
    a.noisePercent = NAN;
    a.note += std::string(a.note.empty() ? "" : "; ") +
              "too few good bases to judge the noise, so no position is marked edited";
    return;
  }
  std::sort(noise.begin(), noise.end());
  const auto rank = static_cast<std::size_t>(std::ceil(kNoiseQuantile * noise.size())) - 1;
  a.noisePercent = noise[rank];
  for (BaseEditPosition& p : a.baseEdit) p.edited = p.nonReference > a.noisePercent;
}

/// The window after the cut, in control bases; a message when it is too short.
std::string windowOf(const EditControl& c, const EditRequest& request, const Placement& placed,
                     TrimRegion& window) {
  const std::int32_t cut = c.site.cut;
  std::int32_t start = cut + request.maxIndel + kWindowMargin;
  // A donor differs from the indel of its size only between the cut and its change, which
  // must then be in the window.
  if (!c.donor.empty()) start = cut;
  const std::int32_t controlEnd = c.good.end - request.maxIndel - 1;
  const std::int32_t editedEnd = cut + (placed.editedGood.end - placed.editedCut);
  const std::int32_t end = std::min({controlEnd, editedEnd, start + kMaxWindowBases});
  window = {start, std::max(start, end)};
  if (end - start >= kMinWindowBases) return {};
  const bool control = controlEnd <= editedEnd;
  return formatted(
      "only %d bases after the cut lie in both good regions past the largest indel (%d "
      "needed, from base %d): the %s good region ends at base %d; sequence from the other "
      "side, give a smaller --max-indel%s",
      std::max(0, end - start), kMinWindowBases, start + 1, control ? "control's" : "edited read's",
      control ? c.good.end : placed.editedGood.end,
      control ? "" : ", or try a higher --trim-cutoff");
}

}  // namespace

std::string guideProblem(const std::string& guide) {
  const auto length = static_cast<int>(guide.size());
  if (length < kMinGuideLength || length > kMaxGuideLength ||
      std::any_of(guide.begin(), guide.end(),
                  [](char ch) { return acgtIndex(static_cast<std::uint8_t>(ch)) < 0; })) {
    return formatted("the guide must be %d to %d letters A, C, G and T, without the PAM",
                     kMinGuideLength, kMaxGuideLength);
  }
  return {};
}

std::optional<GuideSite> findGuide(const std::string& letters, const std::string& guide,
                                   int cutOffset, std::string& message) {
  std::string forward = guide;
  for (char& ch : forward) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const std::string probes[] = {forward, reverseComplementOf(forward)};
  const std::size_t length = forward.size();
  if (letters.size() < length) {
    message = "the control has fewer bases than the guide";
    return std::nullopt;
  }
  GuideSite best;
  best.mismatches = static_cast<int>(length) + 1;
  for (int strand = 0; strand < 2; ++strand) {
    for (std::size_t at = 0; at + length <= letters.size(); ++at) {
      const int m = mismatchesAt(letters, probes[strand], at, best.mismatches);
      if (m < best.mismatches) {
        best.reverse = strand == 1;
        best.start = static_cast<std::int32_t>(at);
        best.mismatches = m;
      }
    }
  }
  best.length = static_cast<std::int32_t>(length);
  const std::string under = letters.substr(best.start, length);
  best.matched = best.reverse ? reverseComplementOf(under) : under;
  if (best.mismatches > 2) {
    message = formatted(
        "the guide is not in the control's base calls on either strand; the nearest match is %s "
        "at bases %d to %d (%c strand) with %d mismatches",
        best.matched.c_str(), best.start + 1, best.start + best.length, best.reverse ? '-' : '+',
        best.mismatches);
    return std::nullopt;
  }
  // The cut lies cutOffset bases before the guide's 3' end, which is on the right of a forward
  // match and on the left of a reverse one.
  best.cut = best.reverse ? best.start + cutOffset : best.start + best.length - cutOffset;
  return best;
}

EditControlResult prepareControl(const Chromatogram& control, const EditRequest& request) {
  EditControlResult result;
  EditControl c;
  c.document = &control;
  const BaseCalls& calls = control.shown();
  std::string problem = guideProblem(request.guide);
  if (!problem.empty()) return {std::nullopt, problem};
  if (request.cutOffset < 0 || request.cutOffset > static_cast<int>(request.guide.size())) {
    return {std::nullopt, "the cut offset must lie within the guide"};
  }
  if (calledBases(calls) == 0) return {std::nullopt, "the control has no base calls"};
  if (!findChannels(control, c.channelOf)) {
    return {std::nullopt, "the control's traces do not name the four bases"};
  }
  const std::string letters = lettersOf(calls).substr(0, calledBases(calls));
  std::optional<GuideSite> site = findGuide(letters, request.guide, request.cutOffset, problem);
  if (!site) return {std::nullopt, problem};
  c.site = *site;
  if (site->mismatches > 0) {
    c.note = formatted("the guide matches the control with %d mismatch%s (%s)", site->mismatches,
                       site->mismatches == 1 ? "" : "es", site->matched.c_str());
  }
  c.good = goodRegionOf(calls, request.trimCutoff);
  const std::int32_t cut = c.site.cut;
  if (c.good.empty()) return {std::nullopt, "no part of the control passes trimming"};
  if (cut >= c.good.end) {
    return {std::nullopt, formatted("the control's good region ends at base %d, before the cut "
                                    "after base %d: sequence the control from the other side",
                                    c.good.end, cut)};
  }
  if (cut - c.good.start < kMinPlacementBases) {
    return {std::nullopt,
            formatted("only %d good bases of the control lie before the cut after base %d (%d "
                      "are needed to place the edited read): sequence from a primer further "
                      "before the cut, or from the other side",
                      std::max(0, cut - c.good.start), cut, kMinPlacementBases)};
  }
  c.boundaries = baseBoundaries(control, calls);
  findStamps(c, letters, c.stamps);
  if (!request.donor.empty()) {
    problem = buildDonor(letters, request.donor, c);
    if (!problem.empty()) return {std::nullopt, problem};
  }
  return {std::move(c), {}};
}

EditResult analyseEdit(const EditControl& c, const Chromatogram& edited,
                       const EditRequest& request) {
  EditAnalysis a;
  a.site = c.site;
  a.note = c.note;
  int channelOf[4];
  if (!findChannels(edited, channelOf)) {
    return {std::nullopt, "the edited read's traces do not name the four bases"};
  }
  Placement placed;
  std::string problem = place(c, edited, request.trimCutoff, placed);
  if (!problem.empty()) return {std::nullopt, problem};
  a.placementStart = placed.start;
  a.editedCut = placed.editedCut;
  a.sampleOffset = placed.offset;
  a.sampleScale = placed.scale;
  a.controlCutSample = c.boundaries[c.site.cut];
  problem = windowOf(c, request, placed, a.window);
  if (!problem.empty()) return {std::nullopt, problem};

  // Each edited base is read at its own peak and laid on the control base under it; every
  // allele is then read at that control base's peak.
  const BaseCalls& calls = edited.shown();
  const BaseCalls& controlCalls = c.document->shown();
  const std::string controlLetters = lettersOf(controlCalls);
  std::vector<Observation> seen;
  for (std::int32_t j = std::max(placed.editedStart, placed.editedGood.start);
       j < placed.editedGood.end; ++j) {
    const std::int32_t i = baseAtSample(c.boundaries, placed.offset + placed.scale * calls.peak(j));
    if (i < placed.start || i >= calledBases(controlCalls)) continue;
    if (i >= a.window.end) break;
    seen.push_back({j, i});
    double v[4];
    valuesAt(edited, channelOf, calls.peak(j), v);
    const std::optional<double> share =
        outsideShare(v, acgtIndex(static_cast<std::uint8_t>(controlLetters[i])));
    if (share) a.discordance.push_back({i, *share});
  }
  double before = 0, after = 0;
  int beforeCount = 0, afterCount = 0;
  for (const DiscordancePoint& p : a.discordance) {
    (p.base < c.site.cut ? before : after) += p.percent;
    ++(p.base < c.site.cut ? beforeCount : afterCount);
  }
  a.discordanceBefore = beforeCount > 0 ? before / beforeCount : 0;
  a.discordanceAfter = afterCount > 0 ? after / afterCount : 0;

  std::vector<AlleleTrace> alleles;
  for (int size = -request.maxIndel; size <= request.maxIndel; ++size) {
    alleles.emplace_back(c, indelPieces(c, size));
  }
  const bool donor = !c.donor.empty();
  if (donor) alleles.emplace_back(c, c.donor);

  std::vector<Observation> window;
  for (const Observation& o : seen) {
    if (a.window.contains(o.control)) window.push_back(o);
  }
  ColumnMatrix m;
  m.rows = static_cast<std::int32_t>(4 * window.size());
  m.columns = static_cast<std::int32_t>(alleles.size());
  m.values.assign(static_cast<std::size_t>(m.rows) * m.columns, 0.0);
  std::vector<double> target;
  for (const Observation& o : window) {
    double v[4];
    valuesAt(edited, channelOf, calls.peak(o.edited), v);
    target.insert(target.end(), v, v + 4);
  }
  for (std::int32_t k = 0; k < m.columns; ++k) {
    double* column = m.column(k);
    for (std::size_t r = 0; r < window.size(); ++r) {
      const std::int32_t peak = controlCalls.peak(window[r].control);
      for (int l = 0; l < 4; ++l) column[4 * r + l] = alleles[k].value(l, peak);
    }
  }
  if (donor) {
    // A donor whose change lies outside the window reads there as one of the indels.
    const double* d = m.column(m.columns - 1);
    for (std::int32_t k = 0; k + 1 < m.columns; ++k) {
      const double* other = m.column(k);
      double distance = 0, norm = 0;
      for (std::int32_t r = 0; r < m.rows; ++r) {
        distance += (d[r] - other[r]) * (d[r] - other[r]);
        norm += other[r] * other[r];
      }
      if (distance <= 1e-6 * norm) {
        return {std::nullopt,
                formatted("the donor's change (from base %d) lies before the cut, so after it "
                          "the donor reads as the %+d allele: give a donor that changes the "
                          "sequence after the cut",
                          c.donorFirstChange + 1, k - request.maxIndel)};
      }
    }
  }
  std::vector<double> weights;
  double total = 0;
  if (nonNegativeLeastSquares(m, target, weights)) {
    for (double w : weights) total += w;
  }
  if (!(total > 0)) return {std::nullopt, "the edited trace after the cut fits no allele"};
  fillFigures(weights, request.maxIndel, donor, a);

  double mean = 0;
  for (double y : target) mean += y;
  mean /= static_cast<double>(target.size());
  double residual = 0, spread = 0;
  for (std::int32_t r = 0; r < m.rows; ++r) {
    double fitted = 0;
    for (std::int32_t k = 0; k < m.columns; ++k) fitted += m.column(k)[r] * weights[k];
    residual += (target[r] - fitted) * (target[r] - fitted);
    spread += (target[r] - mean) * (target[r] - mean);
  }
  a.rSquared = spread > 0 ? 1.0 - residual / spread : 0.0;
  if (request.baseEdit) fillBaseEdit(c, edited, channelOf, placed, a);
  return {std::move(a), {}};
}

}  // namespace vistrel
