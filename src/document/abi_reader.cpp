// ABI reader: finds the trace, base-order, base-call, quality, run-date and sample-name entries
// of the directory, decodes each of them once with its data checked against the file, and keeps the
// file image as the trace block so the large trace data is never copied.
#include "document/abi_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>

#include "document/byte_order.h"
#include "document/byte_view.h"
#include "document/month_names.h"

namespace vistrel {

namespace {

constexpr char kTraceTag[] = "DATA";
constexpr char kBaseOrderTag[] = "FWO_";
constexpr char kBasesTag[] = "PBAS";
constexpr char kPeaksTag[] = "PLOC";
constexpr char kQualitiesTag[] = "PCON";
constexpr char kWellTag[] = "TUBE";
constexpr char kModelTag[] = "MODL";
constexpr char kPlateTag[] = "CTNM";
constexpr char kRunDateTag[] = "RUND";
constexpr char kSampleNameTag[] = "SMPL";

constexpr std::size_t kHeaderBytesRead = 30;
constexpr std::size_t kEntryCountField = 18;
constexpr std::size_t kDirectoryOffsetField = 26;

// A directory entry: name 4, number 4, element type 2, element size 2, element count 4,
// data size 4, data offset (or the data itself) 4, handle 4.
constexpr std::size_t kEntrySize = 28;
constexpr std::size_t kNumberField = 4;
constexpr std::size_t kElementTypeField = 8;
constexpr std::size_t kElementCountField = 12;
constexpr std::size_t kDataSizeField = 16;
constexpr std::size_t kDataField = 20;
constexpr std::int32_t kMaxInlineSize = 4;

constexpr std::int64_t kMaxSampleNameLength = 31;
// The order in which the sequencers store their dye channels, for a file that does not say.
constexpr char kUsualBaseOrder[] = "GATC";
constexpr std::size_t kMaxPlateNameLength = 64;
constexpr std::uint8_t kMaxQuality = 99;

/// How much data the reader takes from an entry, by what it uses the entry for.
enum class Extent {
  Field,     ///< the data-offset field itself (base order, run date)
  Bytes,     ///< data size bytes (base letters, quality values)
  Values16,  ///< element count 16-bit values (trace samples, peak positions)
  Name,      ///< a length byte and up to 31 characters, cut at the end of the data (names, wells)
};

/// A directory entry the reader uses, decoded once. It exists only when its data lies inside
/// the ABI data.
struct Entry {
  std::array<std::uint8_t, 4> name;
  std::int32_t number;
  std::int16_t elementType;
  std::int32_t elementCount;
  std::int32_t dataSize;
  Record<4> field;  ///< the data-offset field, which holds data of four bytes or fewer
  ByteView data;

  bool named(const char* tag) const { return std::memcmp(name.data(), tag, 4) == 0; }
};

class Directory {
 public:
  /// The directory of `count` entries at `offset`, or nothing when it does not lie inside.
  static std::optional<Directory> at(const ByteView& abi, std::int64_t offset, std::int64_t count) {
    std::optional<ByteView> table = abi.sub(offset, std::int64_t{kEntrySize} * count);
    if (!table) return std::nullopt;
    return Directory(abi, *table, offset);
  }

  bool holds(std::int64_t entry) const { return entry >= 0 && entry < count_; }
  bool nameIs(std::int64_t entry, const char* tag) const {
    return holds(entry) && std::memcmp(row(entry), tag, 4) == 0;
  }

  /// First entry named `tag` from `start` on, or -1.
  std::int64_t find(const char* tag, std::int64_t start) const {
    for (std::int64_t e = std::max<std::int64_t>(start, 0); e < count_; ++e) {
      if (std::memcmp(row(e), tag, 4) == 0) return e;
    }
    return -1;
  }

  /// First entry named `tag` from `hint` on or, when there is none there, before it; -1 when the
  /// directory has none. For optional tags, which a sorted directory keeps after `hint`.
  std::int64_t findAnywhere(const char* tag, std::int64_t hint) const {
    const std::int64_t after = find(tag, hint);
    return after >= 0 ? after : find(tag, 0);
  }

  /// First entry named `tag` with tag number `tagNumber`, or -1.
  std::int64_t findNumbered(const char* tag, std::int32_t tagNumber) const {
    for (std::int64_t e = 0; e < count_; ++e) {
      if (std::memcmp(row(e), tag, 4) == 0 && number(e) == tagNumber) return e;
    }
    return -1;
  }

  /// The entry named `tag` with the second-lowest tag number, or -1.
  std::int64_t findSecondLowest(const char* tag) const {
    std::int64_t lowest = -1, second = -1;
    for (std::int64_t e = 0; e < count_; ++e) {
      if (std::memcmp(row(e), tag, 4) != 0) continue;
      if (lowest < 0 || number(e) < number(lowest)) {
        second = lowest;
        lowest = e;
      } else if (second < 0 || number(e) < number(second)) {
        second = e;
      }
    }
    return second;
  }

  /// Decodes entry `index` with the data `extent` asks for: nothing when there is no such
  /// entry or its data does not lie inside the ABI data. Data of 0 to 4 bytes lies in the
  /// entry itself, longer data (and data of a negative size) at the data offset; the sample
  /// name keeps its own test, a signed size of 4 or less.
  std::optional<Entry> entry(std::int64_t index, Extent extent) const {
    std::optional<Record<kEntrySize>> raw =
        table_.record<kEntrySize>(std::int64_t{kEntrySize} * index);
    if (!raw) return std::nullopt;
    const std::int32_t dataSize = raw->be32s<kDataSizeField>();
    const std::int32_t elementCount = raw->be32s<kElementCountField>();
    const Record<4> field = raw->part<kDataField, 4>();
    const std::int64_t dataOffset = field.be32s<0>();
    const std::int64_t fieldPosition =
        offset_ + std::int64_t{kEntrySize} * index + std::int64_t{kDataField};
    const std::int64_t position =
        dataSize >= 0 && dataSize <= kMaxInlineSize ? fieldPosition : dataOffset;

    std::optional<ByteView> data;
    switch (extent) {
      case Extent::Field:
        data = field.view();
        break;
      case Extent::Bytes:
        data = span(position, dataSize);
        break;
      case Extent::Values16:
        data = span(position, 2 * std::int64_t{elementCount});
        break;
      case Extent::Name:
        data = dataSize <= kMaxInlineSize
                   ? field.view()
                   : span(dataOffset, std::min<std::int64_t>(
                                          1 + kMaxSampleNameLength,
                                          static_cast<std::int64_t>(abi_.size()) - dataOffset));
        break;
    }
    if (!data) return std::nullopt;
    return Entry{raw->part<0, 4>().copy(),
                 raw->be32s<kNumberField>(),
                 static_cast<std::int16_t>(raw->be16<kElementTypeField>()),
                 elementCount,
                 dataSize,
                 field,
                 *data};
  }

 private:
  Directory(const ByteView& abi, const ByteView& table, std::int64_t offset)
      : abi_(abi),
        table_(table),
        offset_(offset),
        count_(static_cast<std::int64_t>(table.size() / kEntrySize)) {}

  // The searches read straight from the table: it lies inside the data and holds `count_`
  // whole entries, and every search stays below `count_`.
  const std::uint8_t* row(std::int64_t entry) const { return table_.data() + kEntrySize * entry; }
  std::int32_t number(std::int64_t entry) const {
    return static_cast<std::int32_t>(loadBe32(row(entry) + kNumberField));
  }

  /// The single bounds check of every data span. Channel positions are kept as 32-bit values.
  std::optional<ByteView> span(std::int64_t position, std::int64_t length) const {
    if (position > INT32_MAX) return std::nullopt;
    return abi_.sub(position, length);
  }

  ByteView abi_;
  ByteView table_;
  std::int64_t offset_;
  std::int64_t count_;
};

/// The directory entries the reader takes its data from; -1 where an optional one is absent.
struct AbiEntries {
  std::array<std::int64_t, 4> channels{};
  std::int64_t baseOrder = -1;
  std::array<std::int64_t, 2> bases{-1, -1};  // edited, original; -1 without base calls
  std::array<std::int64_t, 2> peaks{-1, -1};
  std::array<std::int64_t, 2> qualities{-1, -1};
  std::int64_t runEnd = -1;
  std::int64_t sampleName = -1;
  std::int64_t well = -1;
  std::int64_t model = -1;
  std::int64_t plate = -1;
};

/// The entries as a directory sorted by tag name lists them: each search runs forward from
/// where the previous one stopped. False when a required entry cannot be found this way.
bool locateInOrder(const Directory& dir, AbiEntries& found) {
  std::int64_t data = dir.find(kTraceTag, 0);
  if (data < 0) return false;
  // Twelve DATA entries: 9 to 12 are the analysed traces; with eight, 5 to 8 are.
  std::int64_t firstChannel = dir.nameIs(data + 8, kTraceTag) ? data + 8 : data + 4;
  if (!dir.holds(firstChannel + 3)) return false;
  for (int c = 0; c < 4; ++c) found.channels[c] = firstChannel + c;

  found.baseOrder = dir.find(kBaseOrderTag, firstChannel + 4);
  if (found.baseOrder < 0) return false;
  std::int64_t bases = dir.find(kBasesTag, found.baseOrder);
  if (bases < 0 || !dir.holds(bases + 1)) return false;
  found.bases = {bases, bases + 1};
  std::int64_t peaks = dir.find(kPeaksTag, bases + 1);
  if (peaks < 0 || !dir.holds(peaks + 1)) return false;
  found.peaks = {peaks, peaks + 1};

  std::int64_t current = peaks + 1;
  std::int64_t runStart = dir.find(kRunDateTag, current);
  if (runStart >= 0) {
    current = runStart;
    if (dir.holds(runStart + 1)) {
      found.runEnd = runStart + 1;
      current = runStart + 1;
    }
  }
  found.sampleName = dir.find(kSampleNameTag, current);
  // Quality values are optional and were added to the format late: they are looked for in the
  // whole directory, the original set's right after the edited set's.
  const std::int64_t qualities = dir.findAnywhere(kQualitiesTag, bases + 2);
  if (qualities >= 0) {
    found.qualities = {qualities, dir.nameIs(qualities + 1, kQualitiesTag) ? qualities + 1 : -1};
  }
  found.model = dir.findAnywhere(kModelTag, found.baseOrder);
  found.well = dir.findAnywhere(kWellTag, found.sampleName);
  found.plate = dir.find(kPlateTag, 0);
  return true;
}

/// Fallback for directories that are not sorted by tag name: every entry by name and number.
bool locateByNumber(const Directory& dir, AbiEntries& found) {
  auto findAll = [&](const char* tag, std::int32_t first, auto& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      entries[i] = dir.findNumbered(tag, first + static_cast<std::int32_t>(i));
      if (entries[i] < 0) return false;
    }
    return true;
  };
  if (!findAll(kTraceTag, 9, found.channels) && !findAll(kTraceTag, 5, found.channels)) {
    return false;
  }
  found.baseOrder = dir.findNumbered(kBaseOrderTag, 1);
  if (found.baseOrder < 0 || !findAll(kBasesTag, 1, found.bases) ||
      !findAll(kPeaksTag, 1, found.peaks)) {
    return false;
  }
  found.runEnd = dir.findSecondLowest(kRunDateTag);
  found.sampleName = dir.findNumbered(kSampleNameTag, 1);
  found.qualities = {dir.findNumbered(kQualitiesTag, 1), dir.findNumbered(kQualitiesTag, 2)};
  found.model = dir.findNumbered(kModelTag, 1);
  found.well = dir.findNumbered(kWellTag, 1);
  found.plate = dir.findNumbered(kPlateTag, 1);
  return true;
}

/// Fallback for files that hold traces but no base calls (fragment-analysis and raw-only runs):
/// the analysed channels 9 to 12 when there are all four, else the raw channels 1 to 4 (in such
/// files 5 to 8 hold the run's voltages and temperatures). False when the directory has a base
/// call entry, whose absence elsewhere makes the file corrupt, or no four channels.
bool locateTracesOnly(const Directory& dir, AbiEntries& found) {
  if (dir.find(kBasesTag, 0) >= 0) return false;
  for (std::int32_t first : {9, 1}) {
    bool all = true;
    for (int c = 0; c < 4; ++c) {
      found.channels[c] = dir.findNumbered(kTraceTag, first + c);
      all = all && found.channels[c] >= 0;
    }
    if (all) break;
    if (first == 1) return false;
  }
  found.baseOrder = dir.findNumbered(kBaseOrderTag, 1);
  found.runEnd = dir.findSecondLowest(kRunDateTag);
  found.sampleName = dir.findNumbered(kSampleNameTag, 1);
  found.model = dir.findNumbered(kModelTag, 1);
  found.well = dir.findNumbered(kWellTag, 1);
  found.plate = dir.findNumbered(kPlateTag, 1);
  return true;
}

/// The run's date as YYYY-MM-DD, or empty when the entry holds no date.
std::string isoDate(const std::optional<Entry>& entry) {
  if (!entry || !entry->named(kRunDateTag)) return {};
  const int year = static_cast<std::int16_t>(entry->field.be16<0>());
  const int month = entry->field.u8<2>(), day = entry->field.u8<3>();
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
  char text[11];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

/// The plate's name: a text of the entry's size, cut at a zero byte and kept short.
std::string plateNameOf(const std::optional<Entry>& entry) {
  if (!entry) return {};
  std::string name(reinterpret_cast<const char*>(entry->data.data()),
                   std::min(entry->data.size(), kMaxPlateNameLength));
  return name.substr(0, name.find('\0'));
}

/// The instrument model: up to four characters, cut at a zero byte, without the blanks that pad
/// short names (" 377", "310 ").
std::string modelOf(const std::optional<Entry>& entry) {
  if (!entry) return {};
  const std::array<std::uint8_t, 4> bytes = entry->field.copy();
  std::string model(bytes.begin(), bytes.end());
  model.resize(std::min(model.find('\0'), model.size()));
  const std::size_t first = model.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return model.substr(first, model.find_last_not_of(' ') + 1 - first);
}

std::string runEndedText(const std::optional<Entry>& entry) {
  // Only a date entry holds a date; anything else shows as unknown rather than as nonsense.
  if (!entry || !entry->named(kRunDateTag)) return "Run ended: (unknown)";
  auto year = static_cast<std::int16_t>(entry->field.be16<0>());
  const char* month = monthName(entry->field.u8<2>());
  if (month == nullptr) return "Run ended: (unknown)";
  return "Run ended: " + std::string(month) + " " + std::to_string(entry->field.u8<3>()) + ", " +
         std::to_string(year);
}

/// A short text (the sample name, the well) whose first byte is its length. It ends where its
/// entry's data ends, and at a zero byte as any text does.
std::string lengthPrefixedText(const std::optional<Entry>& entry) {
  if (!entry) return {};
  std::optional<Record<1>> length = entry->data.record<1>(0);
  if (!length) return {};
  std::optional<ByteView> text = entry->data.sub(
      1,
      std::min<std::int64_t>(length->u8<0>(), static_cast<std::int64_t>(entry->data.size()) - 1));
  if (!text) return {};
  std::string name(reinterpret_cast<const char*>(text->data()), text->size());
  return name.substr(0, name.find('\0'));
}

/// Copies one base-call set out of the image: the letters as they are, the peak positions in
/// host order. False when a block cannot be obtained.
bool copyBaseCalls(const Entry& letters, const Entry& positions, BaseCalls& calls) {
  calls.baseCount = static_cast<std::int32_t>(letters.data.size());
  calls.peakCount = static_cast<std::int32_t>(positions.data.size() / 2);
  if (!calls.bases.assign(letters.data.data(), letters.data.size()) ||
      !calls.peaks.allocate(positions.data.size())) {
    return false;
  }
  copyBigEndian16(calls.peaks.data(), positions.data.data(), positions.data.size() / 2);
  return true;
}

/// Clamps each quality to 99. Out of line and by value, so that the loop vectorises: inlined
/// into the reader, one of its copies did not.
[[gnu::noinline]] void clampQualities(std::uint8_t* q, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t v = q[i];
    q[i] = v < kMaxQuality ? v : kMaxQuality;
  }
}

/// Copies the quality values of a set when its entry lies inside the file and holds one per
/// letter; otherwise the set has none, as it has when every value is 0: instruments without a
/// quality model (the 310 among them) fill the entry with zeros. False only when memory runs out.
bool copyQualities(const std::optional<Entry>& entry, BaseCalls& calls) {
  if (!entry || entry->data.size() != static_cast<std::size_t>(calls.baseCount)) return true;
  const std::uint8_t* values = entry->data.data();
  if (std::all_of(values, values + entry->data.size(), [](std::uint8_t q) { return q == 0; })) {
    return true;
  }
  if (!calls.qualities.assign(entry->data.data(), entry->data.size())) return false;
  clampQualities(calls.qualities.data(), calls.qualities.size());
  calls.hasQualities = true;
  return true;
}

/// Turns the channels' samples to host order in place, each byte once: two entries may describe
/// the same bytes. Entries that overlap out of step (an odd number of bytes apart) cannot both
/// be read, and make the file corrupt.
bool samplesToHostOrder(Chromatogram& read) {
  struct Range {
    std::int64_t begin, end;
  };
  std::array<Range, 4> ranges;
  for (int c = 0; c < 4; ++c) {
    const std::int64_t begin = read.sampleData(c) - read.traceBlock.data();
    ranges[c] = {begin, begin + 2 * std::int64_t{read.channels[c].sampleCount}};
  }
  std::sort(ranges.begin(), ranges.end(), [](Range a, Range b) { return a.begin < b.begin; });
  std::int64_t done = 0;  // every byte before this one is in host order
  for (const Range& r : ranges) {
    if (r.begin < done && (done - r.begin) % 2 != 0) return false;
    const std::int64_t from = std::max(r.begin, done);
    if (from < r.end) {
      bigEndianToHost16(read.traceBlock.data() + from, static_cast<std::size_t>(r.end - from) / 2);
      done = r.end;
    }
  }
  return true;
}

}  // namespace

LoadError readAbi(Block image, std::int32_t headerSkip, bool showOriginalSequence,
                  Chromatogram& document, std::string& sampleName) {
  const LoadError corrupt{LoadError::Corrupt};
  if (headerSkip < 0 || static_cast<std::size_t>(headerSkip) > image.size()) return corrupt;
  const ByteView abi(image.data() + headerSkip,
                     image.size() - static_cast<std::size_t>(headerSkip));
  std::optional<Record<kHeaderBytesRead>> header = abi.record<kHeaderBytesRead>(0);
  if (!header) return corrupt;
  std::optional<Directory> dir =
      Directory::at(abi, header->be32s<kDirectoryOffsetField>(), header->be32s<kEntryCountField>());
  if (!dir) return corrupt;

  AbiEntries found;
  if (!locateInOrder(*dir, found)) {
    found = AbiEntries{};
    if (!locateByNumber(*dir, found)) {
      found = AbiEntries{};
      if (!locateTracesOnly(*dir, found)) return corrupt;
    }
  }
  const bool hasBaseCalls = found.bases[0] >= 0;

  // Each entry used is decoded once; a required one whose data lies outside makes the file
  // corrupt.
  std::array<std::optional<Entry>, 4> channels;
  for (int c = 0; c < 4; ++c) {
    channels[c] = dir->entry(found.channels[c], Extent::Values16);
    if (!channels[c]) return corrupt;
  }
  std::array<std::optional<Entry>, 2> letters, positions;
  for (int set = 0; hasBaseCalls && set < 2; ++set) {
    letters[set] = dir->entry(found.bases[set], Extent::Bytes);
    positions[set] = dir->entry(found.peaks[set], Extent::Values16);
    if (!letters[set] || !positions[set]) return corrupt;
  }
  std::optional<Entry> baseOrder = dir->entry(found.baseOrder, Extent::Field);
  if (!baseOrder && hasBaseCalls) return corrupt;

  Chromatogram read;
  const std::optional<Entry> runEnd = dir->entry(found.runEnd, Extent::Field);
  read.runEndedText = runEndedText(runEnd);
  read.runDate = isoDate(runEnd);
  read.instrumentModel = modelOf(dir->entry(found.model, Extent::Field));
  read.wellName = lengthPrefixedText(dir->entry(found.well, Extent::Name));
  read.plateName = plateNameOf(dir->entry(found.plate, Extent::Bytes));
  std::string name = lengthPrefixedText(dir->entry(found.sampleName, Extent::Name));
  read.sampleNameText = name.empty() ? "Sequence Name: (none)" : "Sequence Name: " + name;

  if (hasBaseCalls &&
      (!copyBaseCalls(*letters[0], *positions[0], read.edited) ||
       !copyBaseCalls(*letters[1], *positions[1], read.original) ||
       !copyQualities(dir->entry(found.qualities[0], Extent::Bytes), read.edited) ||
       !copyQualities(dir->entry(found.qualities[1], Extent::Bytes), read.original))) {
    return LoadError{LoadError::NoMemory};
  }
  read.hasBaseCalls = hasBaseCalls;

  std::array<std::uint8_t, 4> channelLetters;
  std::copy_n(kUsualBaseOrder, 4, channelLetters.begin());
  if (baseOrder) channelLetters = baseOrder->field.copy();
  for (int c = 0; c < 4; ++c) {
    const ByteView samples = channels[c]->data;
    TraceChannel& channel = read.channels[c];
    channel.letter = static_cast<char>(channelLetters[c]);
    channel.sampleCount = static_cast<std::int32_t>(samples.size() / 2);
    channel.sampleOffset = static_cast<std::int32_t>(samples.data() - abi.data());
    read.maxSampleCount = std::max(read.maxSampleCount, channel.sampleCount);
  }

  read.isScf = false;
  read.codeSet = 4;
  read.headerSkip = headerSkip;
  read.traceBlock = std::move(image);
  if (!samplesToHostOrder(read)) return corrupt;
  read.originalShown = showOriginalSequence;

  document = std::move(read);
  sampleName = std::move(name);
  return {};
}

}  // namespace vistrel
