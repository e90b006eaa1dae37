// The status bar's text, built here so that the window only shows it.
#include "app/status_text.h"

#include <cstdio>

#include "analysis/trim.h"

namespace vistrel {

namespace {

std::string selectedBaseText(const BaseCalls& calls, int i) {
  std::string text = "Base " + std::to_string(i + 1) + ": " + static_cast<char>(calls.base(i));
  text += calls.hasQualities ? "  quality " + std::to_string(calls.quality(i)) : "  no quality";
  text += i < calls.peakCount ? "  peak at sample " + std::to_string(calls.peak(i)) : "  no peak";
  return text;
}

/// Where the reference row puts base `i`, when it covers it.
std::string referenceText(const ReferenceRow& row, int i) {
  if (i >= static_cast<int>(row.size())) return {};
  const ReferenceMark& mark = row[static_cast<std::size_t>(i)];
  if (mark.letter == 0) return {};
  const std::string position = std::to_string(mark.position);
  return mark.letter == '-' ? "  ref gap after " + position : "  ref " + position;
}

/// `index` is the base the typed letter will become.
std::string caretText(const BaseCalls& calls, int index, int sample) {
  const std::string at = " at sample " + std::to_string(sample);
  if (calls.baseCount == 0) return "Insert the first base" + at;
  if (index <= 0) return "Insert before base 1" + at;
  if (index >= calls.baseCount) return "Insert after base " + std::to_string(calls.baseCount) + at;
  return "Insert between bases " + std::to_string(index) + " and " + std::to_string(index + 1) + at;
}

std::string summaryText(const BaseCalls& calls, double cutoff) {
  std::string text = std::to_string(calls.baseCount) + (calls.baseCount == 1 ? " base" : " bases");
  const std::optional<TrimRegion> region = trimRegion(calls, cutoff);
  if (!region) return text;
  if (region->empty()) return text + ", no good region";
  return text + ", good region " + std::to_string(region->start + 1) + "-" +
         std::to_string(region->end);
}

/// How the shown read fits the window's reference, after the read's own summary.
std::string fitText(const std::optional<ReferenceFit>& fit) {
  if (!fit) return {};
  if (!fit->failure.empty()) return "  The reference does not fit this read: " + fit->failure;
  char text[160];
  if (!fit->fits()) {
    std::snprintf(text, sizeof text,
                  "  The reference does not fit this read: identity %.1f%% (the row shows "
                  "nothing below %.0f%%)",
                  100.0 * fit->identity, 100.0 * kPoorFitIdentity);
  } else {
    std::snprintf(text, sizeof text, "  aligned on the %c strand, identity %.1f%%, %d difference%s",
                  fit->reverse ? '-' : '+', 100.0 * fit->identity, fit->differences,
                  fit->differences == 1 ? "" : "s");
  }
  return text;
}

}  // namespace

std::string statusText(const AppState& app) {
  if (!app.document.loaded) return {};
  const BaseCalls& calls = app.document.shown();
  const int selected = app.view.selectedBase;
  if (selected >= 0 && selected < calls.baseCount) {
    return selectedBaseText(calls, selected) + referenceText(app.view.referenceRow, selected);
  }
  if (app.view.insertCaret != 0) {
    return caretText(calls, app.edit.insertIndex, app.view.insertCaret);
  }
  if (!app.document.hasBaseCalls && calls.baseCount == 0) {
    return "No base calls: this file holds traces only";
  }
  return summaryText(calls, app.settings.trimCutoffProbability()) + fitText(app.shownRead.fit);
}

std::string traceWindowTitle(const AppState& app) {
  if (!app.document.loaded) return "Vistrel";
  const std::string& path = app.document.filePath;
  const std::size_t slash = path.find_last_of('/');
  const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  return app.sampleName.empty() ? "Vistrel - " + file
                                : "Vistrel - " + app.sampleName + " (" + file + ")";
}

}  // namespace vistrel
