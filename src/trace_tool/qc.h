// vistrel-trace qc: one row per read of a run, judged pass, weak or fail, as a table, JSON lines
// or an HTML page; or the rows of earlier parts of a run joined into one report.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/read_check.h"
#include "trace_tool/parallel.h"
#include "trace_tool/qc_table.h"

namespace vistrel {

/// A read fails below `minLength` trimmed bases; it is weak when its contiguous read length is
/// below `minCrl` or more than `maxMixedPercent` percent of its region is mixed.
struct QcThresholds {
  std::int32_t minLength = 100;
  std::int32_t minCrl = 400;
  double maxMixedPercent = 2.0;
};

struct QcRequest {
  std::vector<std::string> inputs;  ///< trace files, or with `merge` earlier outputs
  bool merge = false;
  QcThresholds thresholds;
  ReadCheckOptions options;
  bool showOriginalSequence = false;
  std::string referencePath;
  std::string recordName;
  bool json = false;
  std::string htmlPath;
  int jobs = coreCount();
  bool progress = false;  ///< a progress bar on the error stream
};

/// The row of one trace file; a file that cannot be read is a row with status error.
QcRecord qcRecord(const QcRequest& request, const PreparedReference* reference,
                  const std::string& path);

/// Runs the request, printing the table on `out` and failures on `errors`. Returns the exit
/// status: 1 when a file was an error row or an output could not be written. SIGINT or SIGTERM
/// while the page is written removes what was being written (see Interruption).
int runQc(const QcRequest& request, std::FILE* out, std::FILE* errors);

}  // namespace vistrel
