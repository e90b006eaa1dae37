// The edit analysis of a run as one self-contained HTML page: for each sample its spectrum,
// its discordance along the read and the two traces at the cut; a plate map for many samples.
#pragma once

#include <string>
#include <vector>

#include "analysis/edit_analysis.h"
#include "trace_tool/edits.h"

namespace vistrel {

struct EditsPage {
  std::string control;  ///< the control's file, cleaned
  const EditRequest& request;
  const std::vector<EditsRow>& rows;
};

/// The page; it loads nothing from elsewhere.
std::string editsHtml(const EditsPage& page);

}  // namespace vistrel
