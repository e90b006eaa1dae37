// The shown read's marks and reference row. At most one alignment runs at a time; each carries
// the key it was started for, so an outcome that a later edit made stale is never shown.
#include "app/shown_read.h"

#include <functional>
#include <utility>

#include "app/app_state.h"
#include "edit/view_updates.h"

namespace vistrel {

namespace {

AlignedReadKey rowKeyOf(AppState& app, Platform& platform) {
  return {shownReadKey(editContext(app, platform)), app.reference.number};
}

/// The letters the row aligns, or nothing when the row is simply empty: no document, no
/// reference, or no bases to align.
std::optional<ReadToAlign> lettersToAlign(const AppState& app) {
  if (!app.document.loaded || !app.reference.current) return std::nullopt;
  ReadToAlign read = readToAlign(app.document.shown(), app.settings.trimCutoffProbability());
  if (read.failure != ReadCheckFailure::None) return std::nullopt;
  return read;
}

/// Shows `row` as made from `key`, with the fit the status bar tells, repainting the row when
/// either changed (the status bar follows the paint).
void showRow(AppState& app, Platform& platform, const AlignedReadKey& key, ReferenceRow row = {},
             std::optional<ReferenceFit> fit = std::nullopt) {
  app.shownRead.row = key;
  if (row == app.view.referenceRow && fit == app.shownRead.fit) return;
  app.view.referenceRow = std::move(row);
  app.shownRead.fit = std::move(fit);
  platform.invalidate(app.view.referenceBand());
}

/// Shows the row and the fit of `aligned`, the alignment of the shown set's `region`. A read
/// the reference does not fit has no row: the status bar says why instead.
void showAlignedRow(AppState& app, Platform& platform, const AlignedReadKey& key,
                    const TrimRegion& region, AlignmentResult aligned) {
  const BaseCalls& calls = app.document.shown();
  const ReadCheckResult checked =
      checkAlignedRead(app.document, calls, region, std::move(aligned),
                       {app.settings.trimCutoffProbability(), app.settings.mixedRatio});
  ReferenceFit fit;
  if (!checked.check) {
    fit.failure = checked.message();
    return showRow(app, platform, key, {}, fit);
  }
  const ReadCheck& check = *checked.check;
  fit.reverse = check.alignment.reverse;
  fit.identity = check.alignment.identity();
  fit.differences = static_cast<std::int32_t>(check.differences.size());
  showRow(app, platform, key, fit.fits() ? referenceRowOf(check, calls.baseCount) : ReferenceRow{},
          fit);
}

bool followReferenceRow(AppState& app, Platform& platform);

void startAligning(AppState& app, Platform& platform, const AlignedReadKey& key, ReadToAlign read) {
  app.shownRead.aligning = key;
  // The work holds its own letters and its share of the reference: nothing the window changes.
  platform.runInBackground([&app, &platform, key, reference = app.reference.current,
                            read = std::move(read)]() -> std::function<void()> {
    AlignmentResult aligned = alignToReference(read.letters, reference->prepared);
    return [&app, &platform, key, region = read.region, aligned = std::move(aligned)]() mutable {
      app.shownRead.aligning.reset();
      if (rowKeyOf(app, platform) == key) {
        showAlignedRow(app, platform, key, region, std::move(aligned));
      }
      followReferenceRow(app, platform);
    };
  });
}

bool followReferenceRow(AppState& app, Platform& platform) {
  const AlignedReadKey key = rowKeyOf(app, platform);
  // An alignment under way comes back first, and this runs again then.
  if (key == app.shownRead.row || app.shownRead.aligning) return false;
  std::optional<ReadToAlign> read = lettersToAlign(app);
  if (!read) {
    showRow(app, platform, key);
    return false;
  }
  startAligning(app, platform, key, std::move(*read));
  return true;
}

}  // namespace

bool followShownRead(AppState& app, Platform& platform) {
  const ShownReadKey read = shownReadKey(editContext(app, platform));
  if (read != app.shownRead.marks) {
    app.shownRead.marks = read;
    app.view.readMarks = readMarksOf(app.document, app.settings);
  }
  return followReferenceRow(app, platform);
}

void followReferenceNow(AppState& app, Platform& platform) {
  const AlignedReadKey key = rowKeyOf(app, platform);
  if (key == app.shownRead.row) return;
  const std::optional<ReadToAlign> read = lettersToAlign(app);
  if (!read) return showRow(app, platform, key);
  showAlignedRow(app, platform, key, read->region,
                 alignToReference(read->letters, app.reference.current->prepared));
}

}  // namespace vistrel
