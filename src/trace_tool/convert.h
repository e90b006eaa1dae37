// Batch conversion of trace files through the program's own Save As and exports.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/trim.h"
#include "trace_tool/parallel.h"

namespace vistrel {

enum class ConvertTarget { Scf, Text, Fasta, Fastq, Raw };

struct ConvertRequest {
  ConvertTarget target = ConvertTarget::Scf;
  bool showOriginalSequence = false;
  bool replaceExisting = false;  ///< --force: replace outputs that exist before the run
  bool trim = false;             ///< --trim: only the good region of a sequence export
  double trimCutoff = kDefaultTrimCutoff;
  std::string outputFile;    ///< -o: the one output file
  std::string outputFolder;  ///< -d: one output per input, named after it
  std::vector<std::string> inputs;
  int jobs = coreCount();  ///< -j: files converted at once
  bool progress = false;   ///< a line per file on the error stream (for a terminal)
};

/// The output path for `input`: `outputFile` when given, else the input's name with the
/// target's extension (.scf, .seq, .fastq or .txt) in `outputFolder` or, without one, beside the
/// input.
std::string convertedPath(const ConvertRequest& request, const std::string& input);

/// Converts every input; a failure is reported on `errors` with the file's name and the
/// program's message, and the others still convert. An input is skipped, and counts as a
/// failure, when its output would replace the input, is the output of an earlier input of the
/// same run, or exists already and `replaceExisting` is off, and for FASTQ when its set has no
/// quality values. A trimmed export of a set without quality values writes the whole set, and
/// one whose region is empty writes no bases: both are told on `errors` without failing.
/// With `progress`, batches of more than a few files report progress there too. `jobs` files are
/// converted at once, the messages still in the order of the inputs; each folder written into is
/// flushed once, at the end, and one that cannot be is a failure told with its name and why.
/// SIGINT or SIGTERM removes the files being written and ends the process (see Interruption).
/// Returns the number of failures.
int convertAll(const ConvertRequest& request, std::FILE* errors);

}  // namespace vistrel
