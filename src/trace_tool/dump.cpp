// JSON dump of a document, for scripts and for comparing with other readers.
#include "trace_tool/dump.h"

#include <charconv>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "document/trace_file.h"

namespace vistrel {

namespace {

using json = nlohmann::json;

/// Writes JSON text straight into one string. A tree of values takes several times the memory
/// of its text for a long trace, and taking the tree apart allocates again, in a destructor
/// that can only end the program when memory has run out; the text needs neither.
class JsonWriter {
 public:
  void beginObject() { open('{'); }
  void endObject() { close('}'); }
  void beginArray() { open('['); }
  void endArray() { close(']'); }

  void key(const char* name) {
    item();
    appendString(name);
    text_ += ':';
    first_ = true;
  }
  void number(std::int64_t value) {
    item();
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text_.append(digits, end);
  }
  void string(const std::string& value) {
    item();
    appendString(value);
  }
  void null() {
    item();
    text_ += "null";
  }
  /// A fraction with three decimals.
  void decimal(double value) {
    item();
    char digits[32];
    const int length = std::snprintf(digits, sizeof digits, "%.3f", value);
    text_.append(digits, static_cast<std::size_t>(length));
  }

  void field(const char* name, std::int64_t value) {
    key(name);
    number(value);
  }
  void field(const char* name, const std::string& value) {
    key(name);
    string(value);
  }

  std::string take() { return std::move(text_); }

 private:
  void item() {
    if (!first_) text_ += ',';
    first_ = false;
  }
  void open(char bracket) {
    item();
    text_ += bracket;
    first_ = true;
  }
  void close(char bracket) {
    text_ += bracket;
    first_ = false;
  }
  /// Code points above ASCII are escaped. Texts made from a path are UTF-8 on any sane system;
  /// other bytes show as U+FFFD.
  void appendString(const std::string& value) {
    text_ += json(value).dump(-1, ' ', true, json::error_handler_t::replace);
  }

  std::string text_;
  bool first_ = true;
};

/// Each byte as the code point of the same value, so the bytes can be recovered exactly.
std::string latin1ToUtf8(const std::uint8_t* bytes, std::size_t size) {
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    std::uint8_t b = bytes[i];
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xC0 | b >> 6);
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

std::string bytesText(const std::string& s) {
  return latin1ToUtf8(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::string lettersOf(const BaseCalls& calls) {
  return latin1ToUtf8(calls.bases.data(), static_cast<std::size_t>(calls.baseCount));
}

void writePeaks(JsonWriter& out, const char* name, const BaseCalls& calls) {
  out.key(name);
  out.beginArray();
  for (std::int32_t i = 0; i < calls.peakCount; ++i) out.number(calls.peak(i));
  out.endArray();
}

/// The quality values, or null for a set without them.
void writeQualities(JsonWriter& out, const char* name, const BaseCalls& calls) {
  out.key(name);
  if (!calls.hasQualities) {
    out.null();
    return;
  }
  out.beginArray();
  for (std::int32_t i = 0; i < calls.baseCount; ++i) out.number(calls.quality(i));
  out.endArray();
}

void writeTrimRegion(JsonWriter& out, const BaseCalls& calls, double cutoff) {
  out.key("trim");
  std::optional<TrimRegion> region = trimRegion(calls, cutoff);
  if (!region) {
    out.null();
    return;
  }
  out.beginArray();
  out.number(region->start);
  out.number(region->end);
  out.endArray();
}

void writeMixedBases(JsonWriter& out, const Chromatogram& document, int ratioPercent) {
  out.key("mixed");
  out.beginArray();
  for (const MixedBase& m : mixedBases(document, document.shown(), ratioPercent)) {
    out.beginObject();
    out.field("index", m.index);
    out.field("call", std::string(1, static_cast<char>(m.call)));
    out.key("ratio");
    out.decimal(m.peaks.ratio());
    out.endObject();
  }
  out.endArray();
}

void writeChannels(JsonWriter& out, const Chromatogram& document) {
  out.key("channels");
  out.beginArray();
  for (int c = 0; c < 4; ++c) {
    const TraceChannel& channel = document.channels[c];
    const auto letter = static_cast<std::uint8_t>(channel.letter);
    out.beginObject();
    out.field("letter", latin1ToUtf8(&letter, 1));
    out.field("sampleCount", channel.sampleCount);
    out.field("sampleOffset", channel.sampleOffset);
    out.key("samples");
    out.beginArray();
    for (std::int32_t i = 0; i < channel.sampleCount; ++i) out.number(document.sample(c, i));
    out.endArray();
    out.endObject();
  }
  out.endArray();
}

}  // namespace

std::string documentJson(const Chromatogram& document, const std::string& sampleName,
                         const DumpOptions& options) {
  const BaseCalls& shown = document.shown();
  JsonWriter out;
  out.beginObject();
  out.field("format", document.isScf ? "scf" : "abi");
  out.field("headerSkip", document.headerSkip);
  out.field("codeSet", document.codeSet);
  out.field("maxSampleCount", document.maxSampleCount);
  writeChannels(out, document);
  out.field("bases", lettersOf(shown));
  writePeaks(out, "peaks", shown);
  out.field("baseCount", shown.baseCount);
  out.field("peakCount", shown.peakCount);
  writeQualities(out, "quality", shown);
  writeTrimRegion(out, shown, options.trimCutoff);
  writeMixedBases(out, document, options.mixedRatio);
  if (!document.isScf) {
    out.field("editedBases", lettersOf(document.edited));
    writePeaks(out, "editedPeaks", document.edited);
  }
  writeQualities(out, "editedQuality", document.edited);
  if (!document.isScf) {
    out.field("originalBases", lettersOf(document.original));
    writePeaks(out, "originalPeaks", document.original);
  }
  // An SCF document has only the edited set: its original qualities are null.
  writeQualities(out, "originalQuality", document.original);
  out.field("fileTitle", document.fileTitle);
  out.field("fileInfoText", document.fileInfoText);
  out.field("sampleNameText", bytesText(document.sampleNameText));
  out.field("runEndedText", bytesText(document.runEndedText));
  out.field("windowTitle", bytesText(windowTitleFor(sampleName)));
  out.key("comments");
  if (document.commentsSize > 0) {
    out.string(
        latin1ToUtf8(document.comments.data(), static_cast<std::size_t>(document.commentsSize)));
  } else {
    out.null();
  }
  out.endObject();
  std::string text = out.take();
  text += '\n';
  return text;
}

}  // namespace vistrel
