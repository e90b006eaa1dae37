// The export options: each option's value is the argument after it, and whatever is neither is
// the trace file.
#include "app/program_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "app/command_line.h"

namespace vistrel {

namespace {

constexpr std::string_view kPdfOption = "--export-pdf";
constexpr std::string_view kPngOption = "--export-png";
constexpr std::string_view kPageSizeOption = "--page-size";
constexpr std::string_view kBasesOption = "--bases";
constexpr std::string_view kEndOfOptions = "--";
constexpr std::string_view kContigOption = "--contig";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

/// A whole positive decimal number, without sign or anything after it.
bool readNumber(std::string_view text, int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool readBaseRange(std::string_view text, BaseRange& range) {
  const std::size_t dash = text.find('-');
  return dash != std::string_view::npos && readNumber(text.substr(0, dash), range.first) &&
         readNumber(text.substr(dash + 1), range.last);
}

}  // namespace

ProgramMode programMode(const std::vector<std::string>& arguments) {
  ProgramMode mode = ProgramMode::Window;
  for (std::size_t i = 1; i < arguments.size() && arguments[i] != kEndOfOptions; ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help") return ProgramMode::Help;
    if (argument == "--version") {
      mode = ProgramMode::Version;
    } else if (mode != ProgramMode::Version && (argument == kPdfOption || argument == kPngOption)) {
      mode = ProgramMode::Export;
    } else if (mode == ProgramMode::Window && argument == kContigOption) {
      mode = ProgramMode::Contig;
    }
  }
  return mode;
}

std::optional<ExportRequest> parseExportArguments(const std::vector<std::string>& arguments,
                                                  std::string& error) {
  ExportRequest request;
  bool formatGiven = false, pageSizeGiven = false, traceGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool takesValue =
        !optionsEnded && (argument == kPdfOption || argument == kPngOption ||
                          argument == kPageSizeOption || argument == kBasesOption);
    if (takesValue && i + 1 >= arguments.size()) {
      error = argument + " needs a value";
      return std::nullopt;
    }
    if (!optionsEnded && argument == kEndOfOptions) {
      optionsEnded = true;
    } else if (takesValue && (argument == kPdfOption || argument == kPngOption)) {
      if (formatGiven) {
        error = "only one of --export-pdf and --export-png can be given, once";
        return std::nullopt;
      }
      formatGiven = true;
      request.format = argument == kPdfOption ? ExportRequest::Pdf : ExportRequest::Png;
      request.output = arguments[++i];
      if (request.output.empty()) {
        error = argument + " needs a file name";
        return std::nullopt;
      }
    } else if (takesValue && argument == kPageSizeOption) {
      const std::string& size = arguments[++i];
      pageSizeGiven = true;
      if (equalsIgnoringCase(size, "A4")) {
        request.pageSize = PageSize::A4;
      } else if (equalsIgnoringCase(size, "Letter")) {
        request.pageSize = PageSize::Letter;
      } else {
        error = "unknown page size \"" + size + "\" (A4 or Letter)";
        return std::nullopt;
      }
    } else if (takesValue && argument == kBasesOption) {
      BaseRange& range = request.bases.emplace();
      if (!readBaseRange(arguments[++i], range)) {
        error = "--bases takes FIRST-LAST, two base numbers from 1, not \"" + arguments[i] + "\"";
        return std::nullopt;
      }
      if (range.first > range.last) {
        error = "--bases " + arguments[i] + ": the first base is after the last";
        return std::nullopt;
      }
    } else if (!optionsEnded && argument.size() > 2 && argument.starts_with("--") &&
               !pathExists(argument)) {
      error = "unknown option " + argument;
      return std::nullopt;
    } else if (traceGiven) {
      error = "more than one trace file given";
      return std::nullopt;
    } else {
      traceGiven = true;
      request.trace = argument;
    }
  }
  if (!formatGiven) {
    error = "--export-pdf or --export-png is needed";
  } else if (!traceGiven || request.trace.empty()) {
    error = "no trace file given";
  } else if (pageSizeGiven && request.format != ExportRequest::Pdf) {
    error = "--page-size goes with --export-pdf";
  } else if (request.bases && request.format != ExportRequest::Png) {
    error = "--bases goes with --export-png";
  } else {
    return request;
  }
  return std::nullopt;
}

std::optional<ContigWindowRequest> parseContigArguments(const std::vector<std::string>& arguments,
                                                        std::string& error) {
  ContigWindowRequest request;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool option = !optionsEnded && argument.starts_with("--") && !pathExists(argument);
    if (option && argument == kEndOfOptions) {
      optionsEnded = true;
    } else if (option && argument == kContigOption) {
      continue;
    } else if (option && argument == "--circular") {
      request.circular = true;
    } else if (option && (argument == "--ref" || argument == "--record")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = argument + " needs a value";
        return std::nullopt;
      }
      (argument == "--ref" ? request.referencePath : request.recordName) = arguments[++i];
    } else if (option) {
      error = "unknown option " + argument;
      return std::nullopt;
    } else {
      request.files.push_back(argument);
    }
  }
  if (request.files.empty()) {
    error = "no trace file given";
  } else if (!request.recordName.empty() && request.referencePath.empty()) {
    error = "--record goes with --ref";
  } else {
    return request;
  }
  return std::nullopt;
}

}  // namespace vistrel
