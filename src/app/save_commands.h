// The File commands that write the document out (Save, Save As, Export, Export Raw Data) with
// their dialogs and messages, and the prompt that guards unsaved changes.
#pragma once

#include <optional>

#include "analysis/trim.h"
#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// Save writes to the document's own file; Save As asks for a name first. False when cancelled
/// or failed (after its message).
bool saveDocument(AppState& app, Platform& platform, bool saveAs);

/// Export of the sequence, or of its `trimmed` region, as text, FASTA or (for a set with quality
/// values) FASTQ; the chosen format is remembered.
bool exportSequenceCommand(AppState& app, Platform& platform,
                           const std::optional<TrimRegion>& trimmed = std::nullopt);

bool exportRawDataCommand(AppState& app, Platform& platform);

/// The text of the save-changes prompt: the shown set's changes, and those of the set not shown
/// (`otherSetModified`) with what a save writes.
std::string saveChangesText(const Chromatogram& document, bool otherSetModified);

/// Whether either base-call set has changes that no save holds.
bool hasUnsavedChanges(const AppState& app);

/// Before unsaved changes of either set would be lost: asks whether to save, export, discard or
/// cancel, and does what was chosen. True when the caller may go on.
bool settleUnsavedChanges(AppState& app, Platform& platform);

}  // namespace vistrel
