// The window's reference and the reference row it gives the view: the shown set's alignment,
// redone only when what it was made from changes, so that painting never aligns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "analysis/read_check.h"
#include "document/reference.h"
#include "edit/edit_state.h"
#include "platform/platform.h"
#include "view/reference_row.h"

namespace vistrel {

struct AppState;

/// What the reference row was made from: the shown set as it stood and the reference.
struct AlignedReadKey {
  ShownReadKey read;
  std::int64_t reference = -1;

  bool operator==(const AlignedReadKey&) const = default;
};

/// The reference of the window. It belongs to the window, not to the document: it stays when
/// another file is loaded, so that reads can be checked one after another against it.
struct ReferenceState {
  std::optional<Reference> reference;
  std::int64_t number = 0;  ///< counts the references taken, so that a new one is aligned anew
  AlignedReadKey aligned;
  /// The reference made ready for aligning, kept across edits; made again when `number` moves.
  std::shared_ptr<const PreparedReference> prepared;
  std::int64_t preparedNumber = -1;
};

/// The reference row of a check of a set of `baseCount` bases: each aligned base's reference
/// letter and position, in the read's orientation.
ReferenceRow referenceRowOf(const ReadCheck& check, std::int32_t baseCount);

/// Brings the view's reference row up to date with the shown set, aligning it again only when
/// its key changed, and repaints the row when it changed. True when it aligned.
bool followReference(AppState& app, Platform& platform);

}  // namespace vistrel
