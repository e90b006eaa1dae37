// The program's own options, read before any window exists: the exports to PDF and PNG and
// what they take.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "view/png_frame.h"

namespace vistrel {

inline constexpr const char* kExportUsage =
    "usage: vistrel --export-pdf OUT.pdf [--page-size A4|Letter] FILE\n"
    "       vistrel --export-png OUT.png [--bases FIRST-LAST] FILE\n";

/// The paper of an exported PDF.
enum class PageSize { A4, Letter };

/// What an export command line asks for.
struct ExportRequest {
  enum Format { Pdf, Png };
  Format format = Pdf;
  std::string output;
  std::string trace;
  PageSize pageSize = PageSize::A4;
  /// The bases to show; the whole trace when not given.
  std::optional<BaseRange> bases = {};
};

/// True when `arguments` (the program first) ask for --export-pdf or --export-png.
bool isExportCommand(const std::vector<std::string>& arguments);

/// Reads the export options from `arguments` (the program first). Every argument that is not an
/// option or an option's value is the trace file, a switch never, and so is everything after
/// "--". Nothing, and the reason in `error`, for a command line that cannot be run.
std::optional<ExportRequest> parseExportArguments(const std::vector<std::string>& arguments,
                                                  std::string& error);

}  // namespace vistrel
