// JSON dump of a document, for scripts and for comparing with other readers.
#include "trace_tool/dump.h"

#include <nlohmann/json.hpp>

#include "document/trace_file.h"

namespace vistrel {

namespace {

using json = nlohmann::ordered_json;

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

json peaksOf(const BaseCalls& calls) {
  json peaks = json::array();
  for (std::int32_t i = 0; i < calls.peakCount; ++i) peaks.push_back(calls.peak(i));
  return peaks;
}

std::string lettersOf(const BaseCalls& calls) {
  return latin1ToUtf8(calls.bases.data(), static_cast<std::size_t>(calls.baseCount));
}

json channelsOf(const Chromatogram& document) {
  json channels = json::array();
  for (int c = 0; c < 4; ++c) {
    const TraceChannel& channel = document.channels[c];
    json samples = json::array();
    for (std::int32_t i = 0; i < channel.sampleCount; ++i) samples.push_back(document.sample(c, i));
    const auto letter = static_cast<std::uint8_t>(channel.letter);
    channels.push_back({{"letter", latin1ToUtf8(&letter, 1)},
                        {"sampleCount", channel.sampleCount},
                        {"sampleOffset", channel.sampleOffset},
                        {"samples", std::move(samples)}});
  }
  return channels;
}

}  // namespace

std::string documentJson(const Chromatogram& document, const std::string& sampleName) {
  const BaseCalls& shown = document.shown();
  json out = json::object();
  out["format"] = document.isScf ? "scf" : "abi";
  out["headerSkip"] = document.headerSkip;
  out["codeSet"] = document.codeSet;
  out["maxSampleCount"] = document.maxSampleCount;
  out["channels"] = channelsOf(document);
  out["bases"] = lettersOf(shown);
  out["peaks"] = peaksOf(shown);
  out["baseCount"] = shown.baseCount;
  out["peakCount"] = shown.peakCount;
  if (!document.isScf) {
    out["editedBases"] = lettersOf(document.edited);
    out["editedPeaks"] = peaksOf(document.edited);
    out["originalBases"] = lettersOf(document.original);
    out["originalPeaks"] = peaksOf(document.original);
  }
  out["fileTitle"] = document.fileTitle;
  out["fileInfoText"] = document.fileInfoText;
  out["sampleNameText"] = bytesText(document.sampleNameText);
  out["runEndedText"] = bytesText(document.runEndedText);
  out["windowTitle"] = bytesText(windowTitleFor(sampleName));
  if (document.commentsSize > 0) {
    out["comments"] =
        latin1ToUtf8(document.comments.data(), static_cast<std::size_t>(document.commentsSize));
  } else {
    out["comments"] = nullptr;
  }
  // Texts made from a path are UTF-8 on any sane system; other bytes show as U+FFFD.
  return out.dump(-1, ' ', true, json::error_handler_t::replace) + "\n";
}

}  // namespace vistrel
