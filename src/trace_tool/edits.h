// vistrel-trace edits: each edited sample decomposed against one control, as a table or JSON
// lines, with every allele's share, a base-editing table and an HTML page when asked.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "analysis/edit_analysis.h"
#include "trace_tool/parallel.h"

namespace vistrel {

struct EditsRequest {
  std::string controlPath;
  std::vector<std::string> inputs;  ///< the edited traces
  EditRequest analysis;
  bool showOriginalSequence = false;
  bool json = false;
  std::string allelesPath;
  std::string htmlPath;
  int jobs = coreCount();
};

/// A read's four traces around the cut, for the page: samples A, C, G, T from `first`, and the
/// called bases among them.
struct TraceExcerpt {
  std::int32_t first = 0;
  double cutSample = 0;  ///< where the cut lies, in the read's own samples
  std::array<std::vector<std::uint16_t>, 4> channels;
  std::vector<std::pair<std::int32_t, char>> bases;  ///< sample of each base's peak, letter
};

/// One edited file: its analysis, or the message of its failure.
struct EditsRow {
  std::string file;  ///< cleaned as a field
  std::string well;
  std::string plate;
  std::optional<EditAnalysis> analysis;
  std::string message;
  TraceExcerpt control;  ///< kept only for the page
  TraceExcerpt edited;
};

/// The table's header line and the line of `row` (without the base-editing table).
std::string editsTsvHeader();
std::string editsTsvLine(const EditsRow& row, const EditsRequest& request);
/// One JSON object on one line with the table's columns (numbers as numbers, empty as null),
/// and the base-editing positions as `base_edit` when asked for.
std::string editsJsonLine(const EditsRow& row, const EditsRequest& request);

/// Runs the request: the table on `out`, a control that cannot be used on `errors`. Returns the
/// exit status: 1 when a sample failed or an output could not be written.
int runEdits(const EditsRequest& request, std::FILE* out, std::FILE* errors);

}  // namespace vistrel
