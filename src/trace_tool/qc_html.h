// The qc report as one self-contained HTML page: a summary of the run, a map of each plate and
// a sortable table of the reads.
#pragma once

#include <string>

#include "trace_tool/qc_table.h"

namespace vistrel {

/// The page of `table`. It depends on the rows alone (no date, no generated ids), so a run and
/// a merge of its parts give the same bytes; it loads nothing from elsewhere.
std::string qcHtml(const QcTable& table);

}  // namespace vistrel
