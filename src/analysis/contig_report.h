// What a contig is written as: its consensus as FASTA or FASTQ records, and the table of its
// conflicts and differences, shared by `vistrel-trace contig` and the contig window.
#pragma once

#include <string>
#include <vector>

#include "analysis/contig.h"

namespace vistrel {

/// The name of a contig's consensus record: the reference's name with "_consensus", or the
/// first read's name without a reference; cleaned as a table field.
std::string consensusRecordName(const Contig& contig);

/// The 1-based reference position the tables give a column: of an insertion column, the one
/// on its left.
std::string contigPositionText(const ContigColumn& column);

/// The consensus of each contig that has one, as FASTA (lines of 60 letters) or FASTQ
/// (Phred+33), each record ended by a line feed.
std::string consensusText(const std::vector<Contig>& contigs, bool fastq);

/// The table of every conflict and difference of `contigs` after its header line: `contig`,
/// `ref_pos`, `kind` (conflict, difference or both), `consensus`, `quality`, `reference` and
/// `reads`, each covering read as `file:letter:quality:strand`. A difference is told as the
/// consensus check places it, its indel leftmost.
std::string conflictsText(const std::vector<Contig>& contigs,
                          const std::vector<ContigInput>& reads);

}  // namespace vistrel
