// SCF writer: builds the whole file in memory (header, second-difference samples, bases,
// comment section) and hands it to a writer that replaces the target only when complete.
#include "output/scf_writer.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "document/byte_view.h"
#include "document/month_names.h"
#include "document/scf_format.h"
#include "document/trace_file.h"
#include "platform/files.h"

namespace vistrel {

namespace {

constexpr std::uint32_t kSampleSize = 2;

void writeHeader(std::uint8_t* header, std::int64_t samples, std::int64_t bases,
                 std::int64_t commentsSize, std::int32_t codeSet) {
  std::memset(header, 0, scf::kHeaderSize);
  std::memcpy(header, scf::kMagic, 4);
  const std::int64_t basesOffset = scf::kHeaderSize + 8 * samples;
  auto put = [header](std::int64_t field, std::int64_t value) {
    storeBe32(header + field, static_cast<std::uint32_t>(value));
  };
  put(scf::kSamplesField, samples);
  put(scf::kSamplesOffsetField, scf::kHeaderSize);
  put(scf::kBasesField, bases);
  put(scf::kBasesOffsetField, basesOffset);
  put(scf::kCommentsSizeField, commentsSize);
  put(scf::kCommentsOffsetField, basesOffset + scf::kBytesPerBase * bases);
  std::memcpy(header + scf::kVersionField, "3.00", 4);
  put(scf::kSampleSizeField, kSampleSize);
  put(scf::kCodeSetField, static_cast<std::uint32_t>(codeSet));
}

/// Second differences s[i] - 2 s[i-1] + s[i-2], modulo 65536 and big-endian, of a channel of
/// `count` samples continued with zeros up to `total`. Out of line, so the main loop vectorises.
[[gnu::noinline]] void encodeDifferences(const std::uint8_t* samples, std::int64_t count,
                                         std::int64_t total, std::uint8_t* out) {
  auto sample = [&](std::int64_t j) -> std::uint16_t {
    if (j < 0 || j >= count) return 0;
    std::uint16_t v;
    std::memcpy(&v, samples + 2 * j, 2);
    return v;
  };
  auto put = [&](std::int64_t i, std::uint16_t a, std::uint16_t b, std::uint16_t c) {
    storeBe16(out + 2 * i, static_cast<std::uint16_t>(a - 2 * b + c));
  };
  std::int64_t i = 0;
  for (; i < std::min<std::int64_t>(2, total); ++i) put(i, sample(i), sample(i - 1), sample(i - 2));
  for (; i < count; ++i) {
    std::uint16_t a, b, c;
    std::memcpy(&a, samples + 2 * i, 2);
    std::memcpy(&b, samples + 2 * (i - 1), 2);
    std::memcpy(&c, samples + 2 * (i - 2), 2);
    put(i, a, b, c);
  }
  for (; i < total; ++i) put(i, sample(i), sample(i - 1), sample(i - 2));
}

/// The probability arrays of A, C, G and T: a base's quality goes to the array of its letter, or
/// to all four for any other letter, so that readers find it whichever way they look.
void writeProbabilities(std::uint8_t* out, const BaseCalls& calls) {
  const auto bases = static_cast<std::size_t>(calls.baseCount);
  std::memset(out, 0, 4 * bases);
  if (!calls.hasQualities) return;
  for (std::size_t i = 0; i < bases; ++i) {
    const std::uint8_t q = calls.qualities.data()[i];
    const int channel = acgtIndex(calls.bases.data()[i]);
    for (std::size_t c = 0; c < 4; ++c) {
      if (channel < 0 || static_cast<std::size_t>(channel) == c) out[c * bases + i] = q;
    }
  }
}

std::uint8_t* writeBases(std::uint8_t* out, const BaseCalls& calls) {
  const std::int32_t bases = calls.baseCount;
  for (std::int32_t i = 0; i < bases; ++i) {
    // Readers expect ascending positions, also from a set with fewer peaks than letters.
    std::int32_t peak = calls.peakOrLast(i);
    storeBe32(out, static_cast<std::uint32_t>(peak));
    out += 4;
  }
  writeProbabilities(out, calls);
  out += 4 * bases;
  if (bases > 0) std::memcpy(out, calls.bases.data(), static_cast<std::size_t>(bases));
  out += bases;
  std::memset(out, 0, 3 * static_cast<std::size_t>(bases));  // spare bytes
  return out + 3 * bases;
}

}  // namespace

std::string conversionLine() {
  return std::string("CONV=") + kProgramIdentification + "\n";
}

std::string saveDateLine(const CalendarDate& date) {
  const char* month = monthName(date.month);
  return std::string("EDIT=") + (month != nullptr ? month : "Jan") + " " +
         std::to_string(date.day) + " " + std::to_string(date.year) + "\n";
}

bool tidyComments(Chromatogram& document) {
  std::uint8_t* text = document.comments.data();
  std::size_t size = static_cast<std::size_t>(document.commentsSize);
  std::size_t line = 0;
  while (size - line >= 4) {
    auto* feed = static_cast<std::uint8_t*>(std::memchr(text + line, '\n', size - line));
    if (std::memcmp(text + line, "EDIT", 4) == 0) {
      if (feed == nullptr) {
        size = line;
      } else {
        std::size_t next = static_cast<std::size_t>(feed - text) + 1;
        std::memmove(text + line, text + next, size - next);
        size -= next - line;
      }
      break;
    }
    if (feed == nullptr) break;
    line = static_cast<std::size_t>(feed - text) + 1;
  }
  while (size > 0 && text[size - 1] == 0) --size;
  document.commentsSize = static_cast<std::int32_t>(size);

  if (size > 0 && text[size - 1] != '\n') {
    if (document.comments.size() == size && !document.comments.resize(size + 1)) return false;
    document.comments.data()[size] = '\n';
    document.commentsSize += 1;
  }
  return true;
}

std::array<int, 4> channelsForScfSlots(const Chromatogram& document) {
  std::array<int, 4> slots{-1, -1, -1, -1};
  std::array<bool, 4> used{};
  // Each pass fills only the slots the passes before it left open, so an exact letter always
  // wins over the same letter in the other case.
  auto fill = [&](auto matches) {
    for (int s = 0; s < 4; ++s) {
      for (int c = 0; c < 4 && slots[s] < 0; ++c) {
        if (!used[c] && matches(document.channels[c].letter, scf::kChannelLetters[s])) {
          slots[s] = c;
          used[c] = true;
        }
      }
    }
  };
  fill([](char letter, char slot) { return letter == slot; });
  fill([](char letter, char slot) {
    return std::toupper(static_cast<unsigned char>(letter)) == slot;
  });
  fill([](char, char) { return true; });
  return slots;
}

bool buildScfImage(const Chromatogram& document, const CalendarDate& date, Block& image) {
  const BaseCalls& calls = document.shown();
  const std::string conversion = document.isScf ? std::string() : conversionLine();
  const std::string saved = saveDateLine(date);
  const std::int64_t samples = document.maxSampleCount;
  const std::int64_t bases = calls.baseCount;
  const std::int64_t kept = document.commentsSize;
  const std::int64_t commentsSize =
      kept + static_cast<std::int64_t>(conversion.size() + saved.size()) + 1;
  const std::int64_t total =
      scf::kHeaderSize + 8 * samples + scf::kBytesPerBase * bases + commentsSize;
  // Every offset of the header is a 32-bit field.
  if (total > UINT32_MAX || !image.allocate(static_cast<std::size_t>(total))) return false;

  std::uint8_t* out = image.data();
  writeHeader(out, samples, bases, commentsSize, document.codeSet);
  out += scf::kHeaderSize;
  for (int channel : channelsForScfSlots(document)) {
    encodeDifferences(document.sampleData(channel), document.channels[channel].sampleCount, samples,
                      out);
    out += 2 * samples;
  }
  out = writeBases(out, calls);
  if (kept > 0) std::memcpy(out, document.comments.data(), static_cast<std::size_t>(kept));
  out += kept;
  std::memcpy(out, conversion.data(), conversion.size());
  out += conversion.size();
  std::memcpy(out, saved.data(), saved.size());
  out[saved.size()] = 0;
  return true;
}

OutputError saveScf(Chromatogram& document, const std::string& target, bool saveAs,
                    const CalendarDate& date, BatchWrites* batch) {
  ReplacingFileWriter file;
  if (!file.create(target, batch)) return {OutputError::CreateFailed, file.openErrorCode()};
  Block image;
  if (!tidyComments(document) || !buildScfImage(document, date, image)) {
    return {OutputError::NoMemory};
  }
  // A document converted from ABI keeps the conversion line for its later saves (without the
  // terminating zero, which they strip). Made before anything is written, so that running out
  // of memory fails the save rather than leaving the document unlike its file.
  const bool converting = saveAs && !document.isScf;
  const std::string line = conversionLine();
  Block convertedComments;
  if (converting && !convertedComments.assign(line.c_str(), line.size() + 1)) {
    return {OutputError::NoMemory};
  }
  if (!file.commit(image.data(), image.size())) return {OutputError::WriteFailed};

  if (saveAs) {
    // The title keeps naming the file as loaded; the info line names the new file.
    document.filePath = target;
    document.fileInfoText = "File: " + fileTitleOf(target);
  }
  if (converting) {
    document.comments = std::move(convertedComments);
    document.commentsSize = static_cast<std::int32_t>(line.size() + 1);
    document.convertedFromAbi = true;
  }
  document.isScf = document.isScf || saveAs;
  document.modified = false;
  return {};
}

}  // namespace vistrel
