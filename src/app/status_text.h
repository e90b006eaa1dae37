// The status bar's text: what the selection or the caret stands on, else a summary of the read.
#pragma once

#include <string>

#include "app/app_state.h"

namespace vistrel {

/// "Base 123: G  quality 38  peak at sample 4567" for the selected base (and "  ref 1234" where
/// the reference row covers it), "Insert between bases 122 and 123 at sample 4567" while the
/// caret shows, else "812 bases, good region 23-790"; empty without a document. Bases are
/// numbered from 1.
std::string statusText(const AppState& app);

/// The window's title: "Vistrel - NAME (file.ab1)", without a sample name "Vistrel - file.ab1",
/// and "Vistrel" with nothing shown.
std::string traceWindowTitle(const AppState& app);

}  // namespace vistrel
