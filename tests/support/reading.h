// Shortcuts for tests that read builder images through the program's entry point.
#pragma once

#include <string>

#include "document/trace_file.h"
#include "trace_builder.h"

namespace vistrel::testing {

struct ReadOutcome {
  LoadError error;
  Chromatogram document;
  std::string sampleName;
  std::string message() const { return loadErrorMessage(error); }
};

inline ReadOutcome readImage(const Bytes& bytes, bool showOriginalSequence = false) {
  ReadOutcome out;
  out.error = readTraceImage(toBlock(bytes), showOriginalSequence, out.document, out.sampleName);
  return out;
}

/// An SCF document of two samples per channel and `bases`, every peak at sample 1.
inline Chromatogram scfWithBases(const std::string& bases) {
  ScfSpec spec;
  for (auto& c : spec.channels) c = {1, 1600};
  spec.bases = bases;
  spec.peaks.assign(bases.size(), 1);
  return std::move(readImage(buildScf(spec)).document);
}

inline std::string lettersOf(const BaseCalls& calls) {
  return std::string(reinterpret_cast<const char*>(calls.bases.data()),
                     static_cast<std::size_t>(calls.baseCount));
}

inline std::vector<std::int16_t> peaksOf(const BaseCalls& calls) {
  std::vector<std::int16_t> peaks;
  for (std::int32_t i = 0; i < calls.peakCount; ++i) peaks.push_back(calls.peak(i));
  return peaks;
}

inline std::vector<std::uint16_t> samplesOf(const Chromatogram& document, int channel) {
  std::vector<std::uint16_t> samples;
  for (std::int32_t i = 0; i < document.channels[channel].sampleCount; ++i) {
    samples.push_back(document.sample(channel, i));
  }
  return samples;
}

}  // namespace vistrel::testing
