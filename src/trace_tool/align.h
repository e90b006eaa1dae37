// vistrel-trace align: each read checked against one reference, as a table of differences, a
// summary line per read, or VCF.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/read_check.h"
#include "trace_tool/parallel.h"

namespace vistrel {

struct AlignRequest {
  std::string referencePath;
  std::string recordName;  ///< --record: the FASTA record to use, else the first
  bool summary = false;
  std::string vcfPath;
  bool showOriginalSequence = false;
  ReadCheckOptions options;
  std::vector<std::string> inputs;
  int jobs = coreCount();  ///< -j: files checked at once
};

/// Checks every input and prints the table on `out`; a file that cannot be read or aligned is
/// reported on `errors` and the others still run. Returns the number of failures, counting an
/// unreadable reference or VCF file once for every input.
int alignAll(const AlignRequest& request, std::FILE* out, std::FILE* errors);

}  // namespace vistrel
