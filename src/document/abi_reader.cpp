// ABI reader: finds the trace, base-order, base-call, run-date and sample-name entries of the
// directory, checks that their data lies inside the file, and keeps the file image as the
// trace block so the large trace data is never copied.
#include "document/abi_reader.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "document/byte_order.h"
#include "document/byte_view.h"
#include "document/month_names.h"

namespace vistrel {

namespace {

constexpr char kTraceTag[] = "DATA";
constexpr char kBaseOrderTag[] = "FWO_";
constexpr char kBasesTag[] = "PBAS";
constexpr char kPeaksTag[] = "PLOC";
constexpr char kRunDateTag[] = "RUND";
constexpr char kSampleNameTag[] = "SMPL";

constexpr std::int64_t kEntrySize = 28;
constexpr std::int64_t kEntryCountField = 18;
constexpr std::int64_t kDirectoryOffsetField = 26;
constexpr std::int64_t kHeaderBytesRead = 30;
constexpr std::int32_t kMaxSampleNameLength = 31;

class Directory {
 public:
  Directory(const ByteView& view, std::int64_t offset, std::int64_t count)
      : view_(view), offset_(offset), count_(count) {}

  std::int64_t count() const { return count_; }
  bool holds(std::int64_t entry) const { return entry >= 0 && entry < count_; }

  bool nameIs(std::int64_t entry, const char* tag) const {
    return std::memcmp(at(entry), tag, 4) == 0;
  }
  std::int32_t number(std::int64_t entry) const { return field(entry, 4); }
  std::int32_t elementCount(std::int64_t entry) const { return field(entry, 12); }
  std::int32_t dataSize(std::int64_t entry) const { return field(entry, 16); }
  std::int32_t dataOffset(std::int64_t entry) const { return field(entry, 20); }
  /// The data-offset field itself, where data of four bytes or fewer is stored.
  const std::uint8_t* inlineData(std::int64_t entry) const { return at(entry) + 20; }
  /// Where the entry's data lies: in the entry itself when it is four bytes or fewer.
  std::int64_t dataPosition(std::int64_t entry) const {
    return dataSize(entry) <= 4 ? offset_ + kEntrySize * entry + 20 : dataOffset(entry);
  }

  /// First entry named `tag` from `start` on, or -1.
  std::int64_t find(const char* tag, std::int64_t start) const {
    for (std::int64_t e = std::max<std::int64_t>(start, 0); e < count_; ++e) {
      if (nameIs(e, tag)) return e;
    }
    return -1;
  }

  /// First entry named `tag` with tag number `tagNumber`, or -1.
  std::int64_t findNumbered(const char* tag, std::int32_t tagNumber) const {
    for (std::int64_t e = 0; e < count_; ++e) {
      if (nameIs(e, tag) && number(e) == tagNumber) return e;
    }
    return -1;
  }

 private:
  const std::uint8_t* at(std::int64_t entry) const {
    return view_.data() + offset_ + kEntrySize * entry;
  }
  std::int32_t field(std::int64_t entry, int offset) const {
    const std::uint8_t* p = at(entry) + offset;
    return static_cast<std::int32_t>(std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                                     std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]});
  }

  const ByteView& view_;
  std::int64_t offset_;
  std::int64_t count_;
};

/// The directory entries the reader takes its data from; -1 where an optional one is absent.
struct AbiEntries {
  std::array<std::int64_t, 4> channels{};
  std::int64_t baseOrder = -1;
  std::array<std::int64_t, 2> bases{};  // edited, original
  std::array<std::int64_t, 2> peaks{};
  std::int64_t runEnd = -1;
  std::int64_t sampleName = -1;
};

/// The entries as a directory sorted by tag name lists them: each search runs forward from
/// where the previous one stopped. False when a required entry cannot be found this way.
bool locateInOrder(const Directory& dir, AbiEntries& found) {
  std::int64_t data = dir.find(kTraceTag, 0);
  if (data < 0) return false;
  // Twelve DATA entries: 9 to 12 are the analysed traces; with eight, 5 to 8 are.
  std::int64_t firstChannel =
      dir.holds(data + 8) && dir.nameIs(data + 8, kTraceTag) ? data + 8 : data + 4;
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

  // The run end is the RUND entry with the second-lowest tag number.
  std::int64_t lowest = -1;
  for (std::int64_t e = 0; e < dir.count(); ++e) {
    if (!dir.nameIs(e, kRunDateTag)) continue;
    if (lowest < 0 || dir.number(e) < dir.number(lowest)) {
      found.runEnd = lowest;
      lowest = e;
    } else if (found.runEnd < 0 || dir.number(e) < dir.number(found.runEnd)) {
      found.runEnd = e;
    }
  }
  found.sampleName = dir.findNumbered(kSampleNameTag, 1);
  return true;
}

std::string runEndedText(const Directory& dir, std::int64_t entry) {
  // Only a date entry holds a date; anything else shows as unknown rather than as nonsense.
  if (entry < 0 || !dir.nameIs(entry, kRunDateTag)) return "Run ended: (unknown)";
  const std::uint8_t* date = dir.inlineData(entry);
  auto year = static_cast<std::int16_t>(date[0] << 8 | date[1]);
  const char* month = monthName(date[2]);
  if (month == nullptr) return "Run ended: (unknown)";
  return "Run ended: " + std::string(month) + " " + std::to_string(date[3]) + ", " +
         std::to_string(year);
}

/// The sample name: a string whose first byte is its length. Bytes that would lie outside the
/// file are not read, and the name ends at a zero byte as any text does.
std::string sampleNameOf(const ByteView& view, const Directory& dir, std::int64_t entry) {
  if (entry < 0) return {};
  std::int64_t position = dir.dataPosition(entry);
  if (!view.contains(position, 1)) return {};
  const std::uint8_t* text = view.data() + position;
  std::int64_t available =
      dir.dataSize(entry) <= 4 ? 4 : static_cast<std::int64_t>(view.size()) - position;
  std::int64_t length = std::min<std::int64_t>({text[0], kMaxSampleNameLength, available - 1});
  std::string name(reinterpret_cast<const char*>(text + 1), static_cast<std::size_t>(length));
  return name.substr(0, name.find('\0'));
}

bool copyBaseCalls(const ByteView& view, const Directory& dir, const AbiEntries& found, int set,
                   BaseCalls& calls) {
  std::int64_t letters = found.bases[set];
  std::int64_t peaks = found.peaks[set];
  calls.baseCount = dir.dataSize(letters);
  calls.peakCount = dir.elementCount(peaks);
  if (!calls.bases.assign(view.data() + dir.dataPosition(letters),
                          static_cast<std::size_t>(calls.baseCount)) ||
      !calls.peaks.allocate(2 * static_cast<std::size_t>(calls.peakCount))) {
    return false;
  }
  copyBigEndian16(calls.peaks.data(), view.data() + dir.dataPosition(peaks),
                  static_cast<std::size_t>(calls.peakCount));
  return true;
}

bool dataInside(const ByteView& view, std::int64_t position, std::int32_t count, int width) {
  // Channel positions are kept as 32-bit values.
  return position <= INT32_MAX && view.contains(position, std::int64_t{count} * width);
}

}  // namespace

LoadError readAbi(Block image, std::int32_t headerSkip, bool showOriginalSequence,
                  Chromatogram& document, std::string& sampleName) {
  const LoadError corrupt{LoadError::Corrupt};
  if (headerSkip < 0 || static_cast<std::size_t>(headerSkip) > image.size()) return corrupt;
  ByteView view(image.data() + headerSkip, image.size() - static_cast<std::size_t>(headerSkip));
  if (view.size() < kHeaderBytesRead) return corrupt;

  std::int64_t entryCount = view.be32s(kEntryCountField);
  std::int64_t directoryOffset = view.be32s(kDirectoryOffsetField);
  if (entryCount < 0 || !view.contains(directoryOffset, kEntrySize * entryCount)) return corrupt;
  Directory dir(view, directoryOffset, entryCount);

  AbiEntries found;
  if (!locateInOrder(dir, found)) {
    found = AbiEntries{};
    if (!locateByNumber(dir, found)) return corrupt;
  }

  for (std::int64_t entry : found.channels) {
    if (!dataInside(view, dir.dataPosition(entry), dir.elementCount(entry), 2)) return corrupt;
  }
  for (int set = 0; set < 2; ++set) {
    std::int64_t letters = found.bases[set];
    std::int64_t peaks = found.peaks[set];
    if (!dataInside(view, dir.dataPosition(letters), dir.dataSize(letters), 1) ||
        !dataInside(view, dir.dataPosition(peaks), dir.elementCount(peaks), 2)) {
      return corrupt;
    }
  }

  Chromatogram read;
  read.runEndedText = runEndedText(dir, found.runEnd);
  std::string name = sampleNameOf(view, dir, found.sampleName);
  read.sampleNameText = name.empty() ? "Sequence Name: (none)" : "Sequence Name: " + name;

  if (!copyBaseCalls(view, dir, found, 0, read.edited) ||
      !copyBaseCalls(view, dir, found, 1, read.original)) {
    return LoadError{LoadError::NoMemory};
  }

  const std::uint8_t* channelLetters = dir.inlineData(found.baseOrder);
  for (int c = 0; c < 4; ++c) {
    TraceChannel& channel = read.channels[c];
    channel.letter = static_cast<char>(channelLetters[c]);
    channel.sampleCount = dir.elementCount(found.channels[c]);
    channel.sampleOffset = static_cast<std::int32_t>(dir.dataPosition(found.channels[c]));
    read.maxSampleCount = std::max(read.maxSampleCount, channel.sampleCount);
  }

  read.isScf = false;
  read.codeSet = 4;
  read.headerSkip = headerSkip;
  read.traceBlock = std::move(image);
  for (int c = 0; c < 4; ++c) {
    bigEndianToHost16(read.sampleData(c), static_cast<std::size_t>(read.channels[c].sampleCount));
  }
  read.originalShown = showOriginalSequence;

  document = std::move(read);
  sampleName = std::move(name);
  return {};
}

}  // namespace vistrel
