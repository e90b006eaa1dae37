// Builds ABI and SCF file images in memory, valid or deliberately broken, for the tests, the
// fuzz seeds, the benchmarks and the generated sample.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/block.h"

namespace vistrel::testing {

using Bytes = std::vector<std::uint8_t>;

/// One directory entry of an ABI file. Data of four bytes or fewer is stored in the entry
/// itself, as instruments do; longer data goes to the data area.
struct AbiEntry {
  std::string name;  ///< four characters
  std::int32_t number = 1;
  std::int16_t elementType = 1;
  std::int16_t elementSize = 1;
  std::int32_t elementCount = 0;
  Bytes data;
  // Replacements for the computed fields, to make broken files.
  std::optional<std::int32_t> dataSize;
  std::optional<std::int32_t> dataOffset;  ///< relative to the start of the ABI data
};

class AbiBuilder {
 public:
  AbiBuilder& add(AbiEntry entry);
  AbiBuilder& addTrace(std::int32_t number, const std::vector<std::uint16_t>& samples);
  AbiBuilder& addBaseOrder(const std::string& letters);
  AbiBuilder& addBases(std::int32_t number, const std::string& letters);
  AbiBuilder& addPeaks(std::int32_t number, const std::vector<std::int16_t>& peaks);
  AbiBuilder& addQualities(std::int32_t number, const Bytes& qualities);
  AbiBuilder& addDate(std::int32_t number, int year, int month, int day);
  AbiBuilder& addTime(std::int32_t number, int hour, int minute, int second);
  /// A length-prefixed string; `lengthByte` replaces the stored length when given.
  AbiBuilder& addSampleName(const std::string& name, std::optional<int> lengthByte = {});

  std::vector<AbiEntry>& entries() { return entries_; }
  /// Sorts the entries by tag name and number, as instruments normally list them.
  AbiBuilder& sortByName();

  /// The file image: `prefix` foreign bytes, then the ABI data with the directory last.
  Bytes build(std::size_t prefix = 0) const;

 private:
  std::vector<AbiEntry> entries_;
};

/// A valid ABI trace: twelve DATA entries (1 to 4 raw, 5 to 8 short, 9 to 12 `channels`),
/// FWO_ `baseOrder`, both base-call sets with their quality values when given, two run dates and
/// a sample name.
struct AbiTrace {
  std::array<std::vector<std::uint16_t>, 4> channels;
  std::string baseOrder = "GATC";
  std::string editedBases;
  std::vector<std::int16_t> editedPeaks;
  std::string originalBases;
  std::vector<std::int16_t> originalPeaks;
  Bytes editedQualities;  ///< no PCON entries when both are empty
  Bytes originalQualities;
  std::string sampleName = "sample";
  int year = 2026, month = 7, day = 9;
};
AbiBuilder abiBuilderFor(const AbiTrace& trace);

/// An SCF file. Samples are given as decoded values; the builder stores them in the layout
/// of the version and sample size, delta-encoding for version 3.
struct ScfSpec {
  std::string version = "3.00";
  std::uint32_t sampleSize = 2;
  std::array<std::vector<std::uint16_t>, 4> channels;  ///< A, C, G, T, equal lengths
  std::string bases;
  std::vector<std::uint32_t> peaks;                   ///< one per base
  std::optional<std::array<Bytes, 4>> probabilities;  ///< A, C, G, T, one per base; else all 7
  Bytes comments;
  std::int32_t codeSet = 0;
  // Replacements for the computed header fields, to make broken files.
  std::optional<std::uint32_t> samples, samplesOffset, basesCount, basesOffset;
  std::optional<std::uint32_t> commentsSize, commentsOffset;
};
Bytes buildScf(const ScfSpec& spec);

/// The second differences an SCF version 3 file stores for `samples`, modulo 2^bits.
std::vector<std::uint16_t> secondDifferences(const std::vector<std::uint16_t>& samples, int bits);

Block toBlock(const Bytes& bytes);
Bytes toBytes(const std::string& text);

/// A realistic chromatogram: Gaussian peaks of varying height and width under each called
/// base, a little noise and a drifting baseline, with quality values that rise over the first
/// bases, fall towards the end and are low at N and ambiguous calls. Deterministic for a given
/// seed.
AbiTrace syntheticTrace(std::uint32_t seed, int baseCount, int samplesPerBase);

/// The same trace as an SCF version 3 file with 16-bit samples.
ScfSpec scfSpecFor(const AbiTrace& trace);

}  // namespace vistrel::testing
