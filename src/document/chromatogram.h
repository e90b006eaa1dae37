// The one document of a window: four trace channels, the base-call sets and the texts that
// describe the file they came from.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

#include "document/nucleotides.h"
#include "platform/block.h"
#include "platform/types.h"

namespace vistrel {

struct TraceChannel {
  char letter = 0;
  std::int32_t sampleCount = 0;
  /// Byte position of sample 0 in `traceBlock`, counted from `headerSkip`.
  std::int32_t sampleOffset = 0;
  Rgb colour;
};

/// One base-call set: a letter per base and, in parallel blocks, the sample index of its peak
/// (signed 16-bit, host order) and, when the file gave them, its quality value (0 to 99, one
/// byte, as many as there are letters). The letter and peak counts come from different places
/// in an ABI file and may differ; readers of the arrays bound each by its own count.
struct BaseCalls {
  Block bases;
  Block peaks;
  Block qualities;
  std::int32_t baseCount = 0;
  std::int32_t peakCount = 0;
  bool hasQualities = false;

  // The blocks keep spare room past the counts, where the sanitizers cannot see a stray
  // access: debug builds check every one against its count.
  std::uint8_t base(std::int32_t i) const {
    assert(i >= 0 && i < baseCount);
    return bases.data()[i];
  }
  void setBase(std::int32_t i, std::uint8_t letter) {
    assert(i >= 0 && i < baseCount);
    bases.data()[i] = letter;
  }
  std::uint8_t quality(std::int32_t i) const {
    assert(hasQualities && i >= 0 && i < baseCount);
    return qualities.data()[i];
  }
  void setQuality(std::int32_t i, std::uint8_t q) {
    assert(hasQualities && i >= 0 && i < baseCount);
    qualities.data()[i] = q;
  }
  std::int16_t peak(std::int32_t i) const {
    assert(i >= 0 && i < peakCount);
    return static_cast<std::int16_t>(peaks.u16(static_cast<std::size_t>(i)));
  }
  void setPeak(std::int32_t i, std::int16_t p) {
    assert(i >= 0 && i < peakCount);
    peaks.setU16(static_cast<std::size_t>(i), static_cast<std::uint16_t>(p));
  }
  /// The peak of base i, or for a letter past the last peak the last peak there is (0 when
  /// there is none), so that positions taken in base order never go down.
  std::int16_t peakOrLast(std::int32_t i) const {
    if (i < peakCount) return peak(i);
    return peakCount > 0 ? peak(peakCount - 1) : std::int16_t{0};
  }
};

/// A stretch of bases of one set, as trimming keeps it: `start` to `end` (0-based, `end`
/// excluded); empty when `start == end`.
struct TrimRegion {
  std::int32_t start = 0;
  std::int32_t end = 0;

  bool empty() const { return start == end; }
  bool contains(std::int32_t base) const { return base >= start && base < end; }
  bool operator==(const TrimRegion&) const = default;
};

struct Chromatogram {
  bool loaded = false;
  bool isScf = false;
  bool convertedFromAbi = false;
  bool modified = false;

  std::string filePath;
  std::string fileTitle;
  std::string fileInfoText;
  std::string sampleNameText;
  std::string runEndedText;
  /// Where and when an ABI file says it was run: the plate and its well, the instrument model
  /// and the run's end as YYYY-MM-DD; empty when it does not say.
  std::string plateName;
  std::string wellName;
  std::string instrumentModel;
  std::string runDate;

  std::int32_t codeSet = 0;
  Block comments;
  std::int32_t commentsSize = 0;

  /// ABI: the whole file image with the channel samples turned to host order in place.
  /// SCF: the four decoded channels one after the other.
  Block traceBlock;
  std::int32_t headerSkip = 0;
  std::array<TraceChannel, 4> channels{};
  std::int32_t maxSampleCount = 0;

  /// An SCF document has only the edited set. An ABI document has both, and `originalShown`
  /// says which of them is the current one.
  BaseCalls edited;
  BaseCalls original;
  bool originalShown = false;
  /// False for an ABI file that holds traces but no base calls (a fragment-analysis or raw-only
  /// run): both sets are empty, and there is no sequence to export until bases are typed.
  bool hasBaseCalls = true;

  BaseCalls& shown() { return originalShown ? original : edited; }
  const BaseCalls& shown() const { return originalShown ? original : edited; }
  BaseCalls& hidden() { return originalShown ? edited : original; }

  /// The greatest sample of the four channels from sample `from` up to `end` (excluded), read
  /// as signed 16-bit (0 when none is above 0). Worked out when asked, in one pass the compiler
  /// vectorises, so that reading a file does not pay for it; the window keeps it with the marks
  /// it works out after a change.
  std::int32_t tallestSample(std::int32_t from = 0, std::int32_t end = INT32_MAX) const {
    std::int16_t tallest = 0;
    for (int c = 0; c < 4; ++c) {
      const std::uint8_t* samples = sampleData(c);
      for (std::int32_t i = std::max(from, 0); i < std::min(end, channels[c].sampleCount); ++i) {
        std::int16_t v;
        std::memcpy(&v, samples + 2 * static_cast<std::size_t>(i), 2);
        tallest = std::max(tallest, v);
      }
    }
    return tallest;
  }

  /// Sample i of channel c, valid for 0 <= i < channels[c].sampleCount.
  std::uint16_t sample(int c, std::int32_t i) const {
    std::uint16_t v;
    std::memcpy(&v, sampleData(c) + 2 * static_cast<std::size_t>(i), 2);
    return v;
  }
  void setSample(int c, std::int32_t i, std::uint16_t v) {
    std::memcpy(sampleData(c) + 2 * static_cast<std::size_t>(i), &v, 2);
  }
  const std::uint8_t* sampleData(int c) const {
    return traceBlock.data() + headerSkip + channels[c].sampleOffset;
  }
  std::uint8_t* sampleData(int c) {
    return traceBlock.data() + headerSkip + channels[c].sampleOffset;
  }
};

}  // namespace vistrel
