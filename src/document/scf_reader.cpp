// SCF reader: takes the header and each section it describes as spans checked against the file,
// decodes the samples of any version straight into the document's trace block, and copies the
// bases and comments.
#include "document/scf_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <optional>

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

using Header = Record<scf::kHeaderSize>;

SampleLayout sampleLayout(const Header& header) {
  auto version = static_cast<std::int8_t>(header.u8<scf::kVersionField>());
  bool wide = version > '1' && header.u8<scf::kSampleSizeField + 3>() == 2;
  return {wide, version >= '3'};
}

/// The single bounds check of every section: it starts after the header and lies inside.
std::optional<ByteView> section(const ByteView& file, std::int64_t offset, std::int64_t length) {
  if (offset < scf::kHeaderSize) return std::nullopt;
  return file.sub(offset, length);
}

/// The running sums that turn one channel's second differences back into samples. They are
/// kept 32 bits wide, where only their low bits (the sample width) matter, so that the compiler
/// knows the 16-bit stores cannot change them and keeps them in registers.
template <typename Sample>
struct DeltaChannel {
  const std::uint8_t* stored;
  std::uint16_t* out;
  std::uint32_t difference = 0;
  std::uint32_t value = 0;

  void step(std::size_t i) {
    std::uint32_t s = sizeof(Sample) == 2 ? std::uint32_t{loadBe16(stored + 2 * i)} : stored[i];
    difference += s;
    value += difference;
    out[i] = static_cast<Sample>(value);
  }
};

/// Decodes the four channel arrays two at a time, so that two chains of running sums proceed
/// in parallel without running out of registers.
template <typename Sample>
void undoDeltas(const std::uint8_t* stored, std::uint16_t* out, std::size_t samples) {
  const std::size_t bytes = sizeof(Sample) * samples;
  for (std::size_t c = 0; c < 4; c += 2) {
    DeltaChannel<Sample> first{stored + c * bytes, out + c * samples};
    DeltaChannel<Sample> second{stored + (c + 1) * bytes, out + (c + 1) * samples};
    for (std::size_t i = 0; i < samples; ++i) {
      first.step(i);
      second.step(i);
    }
  }
}

/// One record per sample holding A, C, G and T.
template <bool Wide>
void splitRecords(const std::uint8_t* stored, std::uint16_t* out, std::size_t samples) {
  for (std::size_t i = 0; i < samples; ++i) {
    for (std::size_t c = 0; c < 4; ++c) {
      out[c * samples + i] = Wide ? loadBe16(stored + 8 * i + 2 * c) : stored[4 * i + c];
    }
  }
}

/// Decodes the sample section into four channels of `stored.size() / (4 * bytes per sample)`
/// samples each at `out`. Out of line, so that the decoding loops get the registers to
/// themselves.
[[gnu::noinline]] void decodeSamples(ByteView section, SampleLayout layout, std::uint16_t* out) {
  const std::uint8_t* stored = section.data();
  const std::size_t samples = section.size() / (layout.wide ? 8 : 4);
  if (layout.deltaEncoded) {
    if (layout.wide) {
      undoDeltas<std::uint16_t>(stored, out, samples);
    } else {
      undoDeltas<std::uint8_t>(stored, out, samples);
    }
  } else if (layout.wide) {
    splitRecords<true>(stored, out, samples);
  } else {
    splitRecords<false>(stored, out, samples);
  }
}

/// A base's quality: the probability of the channel its letter names, or for any other letter
/// the largest of the four.
std::uint8_t qualityOf(std::uint8_t letter, const std::array<std::uint8_t, 4>& probabilities) {
  const int channel = acgtIndex(letter);
  if (channel >= 0) return probabilities[static_cast<std::size_t>(channel)];
  return *std::max_element(probabilities.begin(), probabilities.end());
}

/// Copies the letter, peak position and quality of each of the `section.size() / 12` bases.
/// A file whose probabilities are all zero has no quality values.
void copyBases(ByteView bases, SampleLayout layout, BaseCalls& calls) {
  const std::uint8_t* section = bases.data();
  const auto count = static_cast<std::int32_t>(bases.size() / scf::kBytesPerBase);
  bool anyQuality = false;
  for (std::int32_t i = 0; i < count; ++i) {
    // Version 3 keeps each field as an array; older versions keep one record per base.
    const std::uint8_t* peak = layout.deltaEncoded ? section + 4 * i : section + 12 * i;
    std::uint8_t letter =
        layout.deltaEncoded ? section[8 * std::int64_t{count} + i] : section[12 * i + 8];
    std::array<std::uint8_t, 4> probabilities;
    for (std::size_t c = 0; c < 4; ++c) {
      probabilities[c] = layout.deltaEncoded ? section[(4 + c) * std::int64_t{count} + i]
                                             : section[12 * i + 4 + static_cast<std::int64_t>(c)];
    }
    calls.bases.data()[i] = letter;
    calls.setPeak(i, static_cast<std::int16_t>(loadBe16(peak + 2)));
    calls.qualities.data()[i] = qualityOf(letter, probabilities);
    anyQuality = anyQuality || calls.qualities.data()[i] != 0;
  }
  calls.hasQualities = anyQuality;
}

void copyComments(const ByteView& file, const Header& header, Chromatogram& document) {
  const std::int32_t size = header.be32s<scf::kCommentsSizeField>();
  std::optional<ByteView> text;
  if (size > 0) text = section(file, header.be32s<scf::kCommentsOffsetField>(), size);
  if (text && document.comments.assign(text->data(), text->size())) {
    document.commentsSize = size;
    document.runEndedText =
        runEndedFromComments(document.comments.data(), document.comments.size());
  } else {
    document.commentsSize = 0;
    document.runEndedText = "Run ended: (unknown)";
  }
}

/// v * 1600 / largest for every sample. As v * 1600 is below 2^27, the division is exact as a
/// multiply and shift with m = floor(2^(27 + l) / largest) + 1, l = ceil(log2(largest)), and
/// with 32-bit operands the loop vectorises.
void scaleSamples(std::uint16_t* samples, std::size_t count, std::uint32_t largest) {
  // Files this program wrote are already at full scale.
  if (largest == 0 || largest == kFullScale) return;
  const int shift = 27 + std::bit_width(largest - 1);
  const auto multiplier = static_cast<std::uint32_t>((std::uint64_t{1} << shift) / largest + 1);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t scaled = samples[i] * std::uint32_t{kFullScale};
    samples[i] = static_cast<std::uint16_t>((std::uint64_t{scaled} * multiplier) >> shift);
  }
}

}  // namespace

void scaleSamplesTo1600(std::uint16_t* samples, std::size_t count) {
  // A plain loop, unlike std::max_element, vectorises.
  std::uint16_t largest = 0;
  for (std::size_t i = 0; i < count; ++i) largest = std::max(largest, samples[i]);
  scaleSamples(samples, count, largest);
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
  const ByteView file(data, size);
  const std::optional<Header> header = file.record<scf::kHeaderSize>(0);
  if (!header) return corrupt;

  const SampleLayout layout = sampleLayout(*header);
  const std::optional<ByteView> stored =
      section(file, header->be32<scf::kSamplesOffsetField>(),
              4 * layout.bytesPerSample() * std::int64_t{header->be32<scf::kSamplesField>()});
  const std::optional<ByteView> baseData =
      section(file, header->be32<scf::kBasesOffsetField>(),
              scf::kBytesPerBase * std::int64_t{header->be32<scf::kBasesField>()});
  if (!stored || !baseData) return corrupt;
  const auto samples = static_cast<std::int64_t>(stored->size()) / (4 * layout.bytesPerSample());
  const auto bases = static_cast<std::int64_t>(baseData->size()) / scf::kBytesPerBase;
  // Channel offsets and counts are 32-bit values in the document.
  if (2 * 3 * samples > INT32_MAX || bases > INT32_MAX) return LoadError{LoadError::NoMemory};

  Chromatogram read;
  read.isScf = true;
  read.codeSet = header->be32s<scf::kCodeSetField>();
  if (!read.traceBlock.allocate(8 * static_cast<std::size_t>(samples))) {
    return LoadError{LoadError::NoMemory};
  }
  auto* decoded = reinterpret_cast<std::uint16_t*>(read.traceBlock.data());
  decodeSamples(*stored, layout, decoded);
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
      !calls.peaks.allocate(2 * static_cast<std::size_t>(bases)) ||
      !calls.qualities.allocate(static_cast<std::size_t>(bases))) {
    return LoadError{LoadError::NoMemory};
  }
  copyBases(*baseData, layout, calls);

  copyComments(file, *header, read);
  read.sampleNameText = "Sequence Name: (none)";
  document = std::move(read);
  return {};
}

}  // namespace vistrel
