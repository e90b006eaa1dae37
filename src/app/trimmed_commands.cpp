// The trimmed copies and exports: nothing is written for a set that has no region to give.
#include "app/trimmed_commands.h"

#include <optional>

#include "analysis/trim.h"
#include "app/save_commands.h"
#include "edit/clipboard.h"

namespace vistrel {

namespace {

/// The good region of the shown set, or nothing after a message saying why it has none: no
/// quality values, or no base good enough at the cutoff.
std::optional<TrimRegion> regionToKeep(const AppState& app, Platform& platform) {
  std::optional<TrimRegion> region =
      trimRegion(app.document.shown(), app.settings.trimCutoffProbability());
  const char* why = !region           ? kNoQualitiesToTrimMessage
                    : region->empty() ? kEmptyTrimmedRegionMessage
                                      : nullptr;
  if (why == nullptr) return region;
  platform.showMessage(why, MessageIcon::Exclamation, MessageOwner::MainWindow);
  return std::nullopt;
}

}  // namespace

void copyTrimmedCommand(AppState& app, Platform& platform, bool fasta) {
  if (std::optional<TrimRegion> region = regionToKeep(app, platform)) {
    copySequence(app.document, platform, fasta, region);
  }
}

bool exportTrimmedCommand(AppState& app, Platform& platform) {
  std::optional<TrimRegion> region = regionToKeep(app, platform);
  return region && exportSequenceCommand(app, platform, region);
}

}  // namespace vistrel
