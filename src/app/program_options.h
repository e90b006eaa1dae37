// The program's own options, read before any window exists: help, the version, and the exports
// to PDF and PNG with what they take.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/contig_window.h"
#include "view/png_frame.h"

namespace vistrel {

inline constexpr const char* kExportUsage =
    "usage: vistrel --export-pdf OUT.pdf [--page-size A4|Letter] FILE\n"
    "       vistrel --export-png OUT.png [--bases FIRST-LAST] FILE\n";

inline constexpr const char* kHelpText =
    "usage: vistrel [FILE [--base N]] [/s | /l [/aROW | /bROW]]\n"
    "       vistrel --contig [--ref REF [--record NAME]] [--circular] FILE...\n"
    "       vistrel --export-pdf OUT.pdf [--page-size A4|Letter] FILE\n"
    "       vistrel --export-png OUT.png [--bases FIRST-LAST] FILE\n"
    "       vistrel --help | --version\n"
    "\n"
    "Shows a DNA sequencing chromatogram (an ABI or SCF trace file) in a window. /s and /l\n"
    "choose the small or large Y scale; /aROW and /bROW after them put the window's bottom or\n"
    "top edge at screen row ROW. --base N selects base N of FILE.\n"
    "\n"
    "--contig lays the trace files on the reference REF (FASTA, GenBank or bare letters), or\n"
    "without one on each other, in a contig window: the reads, their consensus, its conflicts\n"
    "and differences. --circular lets reads run across the reference's origin.\n"
    "\n"
    "Without a window or a display: --export-pdf prints every page as File > Print does (A4\n"
    "unless told), and --export-png draws the view of the whole trace, or of bases FIRST to\n"
    "LAST, as one image.\n"
    "\n"
    "Settings: $XDG_CONFIG_HOME/vistrel.ini (~/.config/vistrel.ini by default).\n";

/// What the program is asked to do.
enum class ProgramMode { Window, Export, Help, Version, Contig };

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

/// What `arguments` (the program first) ask for: help or the version when --help or --version
/// comes before "--" (help before the version), else an export when --export-pdf or
/// --export-png does, else a contig window when --contig does, else the trace window.
ProgramMode programMode(const std::vector<std::string>& arguments);

/// Reads the export options from `arguments` (the program first). Every argument that is not an
/// option or an option's value is the trace file, a switch never, and so is everything after
/// "--". Nothing, and the reason in `error`, for a command line that cannot be run.
std::optional<ExportRequest> parseExportArguments(const std::vector<std::string>& arguments,
                                                  std::string& error);

/// Reads `vistrel --contig [--ref REF [--record NAME]] [--circular] FILE...` (the program
/// first); every other argument is a trace file, and so is everything after "--". Nothing, and
/// the reason in `error`, for a command line that cannot be run.
std::optional<ContigWindowRequest> parseContigArguments(const std::vector<std::string>& arguments,
                                                        std::string& error);

}  // namespace vistrel
