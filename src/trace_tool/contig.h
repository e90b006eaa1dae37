// vistrel-trace contig: the reads of one clone laid on a reference or on each other, with the
// consensus, its summary, its conflicts and differences, a VCF and a BAM file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/contig.h"
#include "trace_tool/parallel.h"

namespace vistrel {

struct ContigRequest {
  std::string referencePath;  ///< empty: the reads are laid on each other
  std::string recordName;     ///< --record: the FASTA record to use, else the first
  ContigOptions options;      ///< `circular` also when a GenBank reference says so
  std::string consensusPath;  ///< -o; empty: stdout
  bool fastq = false;
  bool summary = false;  ///< the summary on stdout in place of the consensus
  std::string conflictsPath;
  std::string vcfPath;
  std::string bamPath;
  std::vector<std::string> inputs;
  int jobs = coreCount();  ///< -j: files read and aligned at once
};

/// Lays the inputs and writes what the request asks for. A file that cannot be read and a read
/// left out are told on `errors`, and the others still run; so is an output that cannot be
/// written. Returns 0, or 1 after any of those.
int runContig(const ContigRequest& request, std::FILE* out, std::FILE* errors);

}  // namespace vistrel
