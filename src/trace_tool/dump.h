// The JSON description of a loaded document that `vistrel-trace dump` prints.
#pragma once

#include <string>

#include "analysis/mixed_peaks.h"
#include "analysis/trim.h"
#include "document/chromatogram.h"

namespace vistrel {

struct DumpOptions {
  double trimCutoff = kDefaultTrimCutoff;
  int mixedRatio = kDefaultMixedRatio;
};

/// One JSON object with the document's fields as held in memory, and the shown set's good region
/// and mixed bases by `options`. Bytes from the file (letters, comments, sample name) appear as
/// code points U+0000 to U+00FF, escaped when not ASCII.
std::string documentJson(const Chromatogram& document, const std::string& sampleName,
                         const DumpOptions& options);

}  // namespace vistrel
