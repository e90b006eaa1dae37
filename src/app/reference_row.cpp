// The reference row. The alignment runs in reference order; the row is laid out in the read's.
#include "app/reference_row.h"

#include "app/app_state.h"
#include "edit/view_updates.h"

namespace vistrel {

namespace {

AlignedReadKey keyOf(AppState& app, Platform& platform) {
  return {shownReadKey(editContext(app, platform)), app.reference.number};
}

ReferenceRow currentRow(const AppState& app) {
  if (!app.document.loaded || !app.reference.reference) return {};
  const BaseCalls& calls = app.document.shown();
  const std::optional<ReadCheck> check =
      checkRead(app.document, calls, *app.reference.prepared,
                {app.settings.trimCutoffProbability(), app.settings.mixedRatio})
          .check;
  return check ? referenceRowOf(*check, calls.baseCount) : ReferenceRow{};
}

}  // namespace

ReferenceRow referenceRowOf(const ReadCheck& check, std::int32_t baseCount) {
  ReferenceRow row(static_cast<std::size_t>(baseCount));
  const bool reverse = check.alignment.reverse;
  std::int32_t position = check.alignment.referenceStart;
  ReferenceMark* previous = nullptr;  // the mark of the read base of the latest column
  bool missing = false;               // reference letters the read lacks, not yet placed
  for (const AlignedColumn& column : check.alignment.columns) {
    if (column.referenceIndex >= 0) position = column.referenceIndex + 1;
    if (column.readIndex < 0) {
      // In the read's orientation the gap lies before the next read base on the forward
      // strand, before the previous one (in reference order) on the reverse strand.
      if (reverse && previous != nullptr) previous->gapBefore = true;
      missing = !reverse;
      continue;
    }
    ReferenceMark& mark = row[static_cast<std::size_t>(column.readIndex)];
    mark.letter = reverse
                      ? static_cast<char>(complementOf(static_cast<std::uint8_t>(column.reference)))
                      : column.reference;
    mark.position = position;
    mark.differs = isDifference(column);
    mark.gapBefore = mark.gapBefore || missing;
    missing = false;
    previous = &mark;
  }
  return row;
}

bool followReference(AppState& app, Platform& platform) {
  const AlignedReadKey key = keyOf(app, platform);
  if (key == app.reference.aligned) return false;
  app.reference.aligned = key;
  ReferenceState& reference = app.reference;
  if (reference.preparedNumber != reference.number) {
    reference.prepared.reset();
    if (reference.reference) {
      reference.prepared = std::make_shared<const PreparedReference>(reference.reference->sequence);
    }
    reference.preparedNumber = reference.number;
  }
  ReferenceRow row = currentRow(app);
  if (row != app.view.referenceRow) {
    app.view.referenceRow = std::move(row);
    platform.invalidate(app.view.referenceBand());
  }
  return true;
}

}  // namespace vistrel
