// The window's reference and the reference row it gives the view: each aligned base's reference
// letter and position, in the read's orientation.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "analysis/read_check.h"
#include "document/reference.h"
#include "edit/edit_state.h"
#include "view/reference_row.h"

namespace vistrel {

/// A reference the window aligns to, made ready for aligning. Shared with the alignments under
/// way, so that it lives until the last of them ends even when another reference is taken.
struct WindowReference {
  explicit WindowReference(Reference taken)
      : reference(std::move(taken)), prepared(reference.sequence) {}

  Reference reference;
  PreparedReference prepared;  ///< over `reference`'s letters
};

/// The reference of the window. It belongs to the window, not to the document: it stays when
/// another file is loaded, so that reads can be checked one after another against it.
struct ReferenceState {
  std::shared_ptr<const WindowReference> current;  ///< nothing without a reference
  std::int64_t number = 0;  ///< counts the references taken, so that a new one is aligned anew
};

/// Makes `reference` the window's, or drops the window's without one.
void takeReference(ReferenceState& state, std::optional<Reference> reference);

/// What a reference row is made from: the shown set as it stood and the reference.
struct AlignedReadKey {
  ShownReadKey read;
  std::int64_t reference = -1;

  bool operator==(const AlignedReadKey&) const = default;
};

/// The reference row of a check of a set of `baseCount` bases: each aligned base's reference
/// letter and position, in the read's orientation.
ReferenceRow referenceRowOf(const ReadCheck& check, std::int32_t baseCount);

}  // namespace vistrel
