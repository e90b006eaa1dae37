// SCF reader: checks the header's sections against the file, decodes the samples of any
// version straight into the document's trace block, and copies the bases and comments.
#include "document/scf_reader.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "document/byte_view.h"
#include "document/scf_format.h"

namespace vistrel {

namespace {

constexpr std::int32_t kFullScale = 1600;
constexpr std::size_t kMaxRunEndedValue = 28;
constexpr std::int64_t kMinValueLength = 4;

struct SampleLayout {
  bool wide;          // 16-bit samples
  bool deltaEncoded;  // version 3: one delta-encoded array per channel
  std::int64_t bytesPerSample() const { return wide ? 2 : 1; }
};

SampleLayout sampleLayout(const std::uint8_t* header) {
  auto version = static_cast<std::int8_t>(header[scf::kVersionField]);
  bool wide = version > '1' && header[scf::kSampleSizeField + 3] == 2;
  return {wide, version >= '3'};
}

/// Second differences back to samples, with both running sums wrapping at the sample width.
template <typename Sample>
void undoDeltas(const std::uint8_t* stored, std::uint16_t* out, std::size_t count) {
  Sample difference = 0;
  Sample value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    Sample s = sizeof(Sample) == 2 ? static_cast<Sample>(stored[2 * i] << 8 | stored[2 * i + 1])
                                   : static_cast<Sample>(stored[i]);
    difference = static_cast<Sample>(difference + s);
    value = static_cast<Sample>(value + difference);
    out[i] = value;
  }
}

void decodeSamples(const std::uint8_t* stored, SampleLayout layout, std::size_t samples,
                   std::uint16_t* out) {
  const std::size_t width = static_cast<std::size_t>(layout.bytesPerSample());
  for (std::size_t c = 0; c < 4; ++c) {
    std::uint16_t* channel = out + c * samples;
    if (layout.deltaEncoded) {
      const std::uint8_t* array = stored + c * samples * width;
      if (layout.wide) {
        undoDeltas<std::uint16_t>(array, channel, samples);
      } else {
        undoDeltas<std::uint8_t>(array, channel, samples);
      }
    } else if (layout.wide) {
      for (std::size_t i = 0; i < samples; ++i) channel[i] = loadBe16(stored + 8 * i + 2 * c);
    } else {
      for (std::size_t i = 0; i < samples; ++i) channel[i] = stored[4 * i + c];
    }
  }
}

void copyBases(const std::uint8_t* data, std::int64_t basesOffset, SampleLayout layout,
               std::int32_t count, BaseCalls& calls) {
  const std::uint8_t* section = data + basesOffset;
  for (std::int32_t i = 0; i < count; ++i) {
    // Version 3 keeps each field as an array; older versions keep one record per base.
    const std::uint8_t* peak = layout.deltaEncoded ? section + 4 * i : section + 12 * i;
    std::uint8_t letter =
        layout.deltaEncoded ? section[8 * std::int64_t{count} + i] : section[12 * i + 8];
    calls.bases.data()[i] = letter;
    calls.setPeak(i, static_cast<std::int16_t>(loadBe16(peak + 2)));
  }
}

void copyComments(ByteView& view, Chromatogram& document) {
  std::int32_t size = view.be32s(scf::kCommentsSizeField);
  std::int32_t offset = view.be32s(scf::kCommentsOffsetField);
  if (offset >= scf::kHeaderSize && size > 0 && view.contains(offset, size) &&
      document.comments.assign(view.data() + offset, static_cast<std::size_t>(size))) {
    document.commentsSize = size;
    document.runEndedText =
        runEndedFromComments(document.comments.data(), document.comments.size());
  } else {
    document.commentsSize = 0;
    document.runEndedText = "Run ended: (unknown)";
  }
}

}  // namespace

void scaleSamplesTo1600(std::uint16_t* samples, std::size_t count) {
  if (count == 0) return;
  const std::uint32_t largest = *std::max_element(samples, samples + count);
  if (largest == 0) return;
  // v * 1600 is below 2^27, so dividing by `largest` is exact as a multiply and shift with
  // m = floor(2^(27 + l) / largest) + 1, where l = ceil(log2(largest)).
  const int shift = 27 + std::bit_width(largest - 1);
  const std::uint64_t multiplier = (std::uint64_t{1} << shift) / largest + 1;
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] =
        static_cast<std::uint16_t>((samples[i] * std::uint64_t{kFullScale} * multiplier) >> shift);
  }
}

std::string runEndedFromComments(const std::uint8_t* text, std::size_t size) {
  const std::string unknown = "Run ended: (unknown)";
  const std::uint8_t* end = text + size;
  const std::uint8_t* line = text;
  while (end - line >= 4) {
    if (std::memcmp(line, "STOP", 4) != 0) {
      const void* feed = std::memchr(line, '\n', static_cast<std::size_t>(end - line));
      if (feed == nullptr) return unknown;
      line = static_cast<const std::uint8_t*>(feed) + 1;
      continue;
    }
    // The byte after the key, normally '=', is skipped unseen.
    if (end - line <= 5) return unknown;
    const std::uint8_t* value = line + 5;
    const void* feed = std::memchr(value, '\n', static_cast<std::size_t>(end - value));
    if (feed == nullptr) return unknown;
    std::int64_t length = static_cast<const std::uint8_t*>(feed) - value;
    if (length < kMinValueLength) return unknown;
    std::string shown(reinterpret_cast<const char*>(value),
                      std::min<std::size_t>(static_cast<std::size_t>(length), kMaxRunEndedValue));
    return "Run ended: " + shown.substr(0, shown.find('\0'));
  }
  return unknown;
}

LoadError readScf(const std::uint8_t* data, std::size_t size, Chromatogram& document) {
  const LoadError corrupt{LoadError::Corrupt};
  ByteView view(data, size);
  if (!view.contains(0, scf::kHeaderSize)) return corrupt;

  const SampleLayout layout = sampleLayout(data);
  const std::int64_t samples = view.be32(scf::kSamplesField);
  const std::int64_t samplesOffset = view.be32(scf::kSamplesOffsetField);
  const std::int64_t bases = view.be32(scf::kBasesField);
  const std::int64_t basesOffset = view.be32(scf::kBasesOffsetField);
  if (samplesOffset < scf::kHeaderSize ||
      !view.contains(samplesOffset, 4 * layout.bytesPerSample() * samples) ||
      basesOffset < scf::kHeaderSize || !view.contains(basesOffset, scf::kBytesPerBase * bases)) {
    return corrupt;
  }
  // Channel offsets and counts are 32-bit values in the document.
  if (2 * 3 * samples > INT32_MAX || bases > INT32_MAX) return LoadError{LoadError::NoMemory};

  Chromatogram read;
  read.isScf = true;
  read.codeSet = view.be32s(scf::kCodeSetField);
  if (!read.traceBlock.allocate(8 * static_cast<std::size_t>(samples))) {
    return LoadError{LoadError::NoMemory};
  }
  auto* decoded = reinterpret_cast<std::uint16_t*>(read.traceBlock.data());
  decodeSamples(data + samplesOffset, layout, static_cast<std::size_t>(samples), decoded);
  scaleSamplesTo1600(decoded, 4 * static_cast<std::size_t>(samples));
  for (int c = 0; c < 4; ++c) {
    read.channels[c].letter = scf::kChannelLetters[c];
    read.channels[c].sampleCount = static_cast<std::int32_t>(samples);
    read.channels[c].sampleOffset = static_cast<std::int32_t>(2 * samples * c);
  }
  read.maxSampleCount = static_cast<std::int32_t>(samples);

  BaseCalls& calls = read.edited;
  calls.baseCount = calls.peakCount = static_cast<std::int32_t>(bases);
  if (!calls.bases.allocate(static_cast<std::size_t>(bases)) ||
      !calls.peaks.allocate(2 * static_cast<std::size_t>(bases))) {
    return LoadError{LoadError::NoMemory};
  }
  copyBases(data, basesOffset, layout, calls.baseCount, calls);

  copyComments(view, read);
  read.sampleNameText = "Sequence Name: (none)";
  document = std::move(read);
  return {};
}

}  // namespace vistrel
