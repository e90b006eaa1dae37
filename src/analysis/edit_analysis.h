// Genome edits read from traces: an edited sample's trace after the cut decomposed into shifted
// copies of its control's trace (the indel spectrum), and the four channels' shares at each
// position of the protospacer (base editing). Takes documents, returns plain records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/trim.h"
#include "document/chromatogram.h"

namespace vistrel {

inline constexpr int kMinGuideLength = 17;
inline constexpr int kMaxGuideLength = 24;
/// The cut lies this many bases before the guide's 3' end, on the guide's strand (SpCas9).
inline constexpr int kDefaultCutOffset = 3;
inline constexpr int kDefaultMaxIndel = 20;
inline constexpr int kMaxIndelLimit = 50;
/// The inference window starts this many bases past the cut plus the largest indel, and holds
/// at least `kMinWindowBases` and at most `kMaxWindowBases` bases.
inline constexpr int kWindowMargin = 5;
inline constexpr int kMinWindowBases = 30;
inline constexpr int kMaxWindowBases = 150;
/// The edited read is placed on the control over up to this many bases before the cut, and
/// needs at least the smaller number of them to match.
inline constexpr int kPlacementBases = 80;
inline constexpr int kMinPlacementBases = 20;
/// A base-editing position is marked when its non-reference share is above this quantile of
/// the read's own noise.
inline constexpr double kNoiseQuantile = 0.99;

struct EditRequest {
  std::string guide;  ///< 17 to 24 letters A, C, G, T, without the PAM
  int cutOffset = kDefaultCutOffset;
  int maxIndel = kDefaultMaxIndel;
  std::string donor;  ///< the expected knock-in allele around the cut; empty for none
  bool baseEdit = false;
  double trimCutoff = kDefaultTrimCutoff;
};

/// Where the guide lies on the control.
struct GuideSite {
  bool reverse = false;     ///< found on the control's other strand
  std::int32_t start = 0;   ///< first control base it covers, from 0
  std::int32_t length = 0;  ///< its letters
  int mismatches = 0;       ///< 0, 1 or 2
  std::int32_t cut = 0;     ///< control bases before the cut: it lies after base `cut` from 1
  std::string matched;      ///< the control's letters under it, on the guide's strand
};

/// One allele of the decomposition: an indel of `size` (negative a deletion, 0 unedited), or
/// the donor, with its share of the fit.
struct AlleleShare {
  int size = 0;
  bool donor = false;
  double percent = 0;
};

/// The share of an edited base's signal outside the control's called channel, at control base
/// `base` (from 0).
struct DiscordancePoint {
  std::int32_t base = 0;
  double percent = 0;
};

/// One protospacer position for base editing, on the guide's strand, 5' to 3'.
struct BaseEditPosition {
  int position = 0;                  ///< 1 to the guide's length
  char reference = 'N';              ///< the control's letter there, on the guide's strand
  double percent[4] = {0, 0, 0, 0};  ///< A, C, G, T on the guide's strand
  double nonReference = 0;           ///< percent outside the reference letter's channel
  bool edited = false;               ///< above the read's noise
};

struct EditAnalysis {
  GuideSite site;
  std::vector<AlleleShare> alleles;  ///< -N to +N, then the donor when given
  double rSquared = 0;
  double indelPercent = 0;
  double frameshiftPercent = 0;
  double koScore = 0;
  std::optional<double> donorPercent;
  double wildTypePercent = 0;
  double discordanceBefore = 0;  ///< mean percent over the placement before the cut
  double discordanceAfter = 0;   ///< from the cut to the window's end
  std::vector<DiscordancePoint> discordance;
  TrimRegion window;                ///< control bases of the inference window
  std::int32_t placementStart = 0;  ///< first control base of the placement before the cut
  std::int32_t editedCut = 0;       ///< edited bases before the cut
  /// Edited samples map onto the control's as `offset + scale * sample`.
  double sampleOffset = 0;
  double sampleScale = 1;
  std::int32_t controlCutSample = 0;       ///< the boundary of the two bases at the cut
  std::vector<BaseEditPosition> baseEdit;  ///< with `EditRequest::baseEdit`
  double noisePercent = 0;                 ///< the noise level base editing is judged against
  std::string note;  ///< what the figures should be read with (an inexact guide)
};

struct EditResult {
  std::optional<EditAnalysis> analysis;
  std::string message;  ///< why there is none, saying what to do; empty when there is one
};

/// A letter stand-in for inserted or donor letters: the samples of one control base.
struct LetterStamp {
  std::int32_t from = 0;
  std::int32_t width = 0;
};

/// A stretch of an allele's trace: control samples from `from`, or letters drawn from stamps
/// (`letter` 0 to 3 for A, C, G, T, -1 for an unknown one, the four equally) `width` wide each.
struct AllelePiece {
  std::int64_t length = 0;
  bool fromControl = true;
  std::int32_t from = 0;
  int letter = -1;
  std::int32_t width = 0;
};

/// What every sample of a run is decomposed against, worked out once from the control.
struct EditControl {
  const Chromatogram* document = nullptr;
  TrimRegion good;
  GuideSite site;
  int channelOf[4] = {0, 1, 2, 3};       ///< the channel holding A, C, G, T
  std::vector<std::int32_t> boundaries;  ///< sample where base i begins, one past the last base
  LetterStamp stamps[4];                 ///< a control base of each letter near the cut
  std::vector<AllelePiece> donor;        ///< the donor allele's trace; empty without a donor
  std::int32_t donorFirstChange = 0;     ///< control base of the donor's first change
  std::string note;
};

struct EditControlResult {
  std::optional<EditControl> control;
  std::string message;
};

/// Checks the request's guide: empty when it is usable, else why not.
std::string guideProblem(const std::string& guide);

/// The guide's place on `letters` on either strand: exact, else the best with at most two
/// mismatches (the first forward, then leftmost, of equal ones). Nothing, with `message`
/// naming the nearest match, when there is no such place.
std::optional<GuideSite> findGuide(const std::string& letters, const std::string& guide,
                                   int cutOffset, std::string& message);

/// The control of a run: its guide found, its cut placed and its donor allele built. Fails
/// with a message when the guide or the donor does not fit it. `control` must outlive the
/// result.
EditControlResult prepareControl(const Chromatogram& control, const EditRequest& request);

/// `edited` decomposed against `control`; on failure a message that names the read at fault and
/// what to do.
EditResult analyseEdit(const EditControl& control, const Chromatogram& edited,
                       const EditRequest& request);

}  // namespace vistrel
