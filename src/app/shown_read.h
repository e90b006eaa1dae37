// What the window works out from the shown read, once after each change and never while it
// paints: the read marks at once, and the reference row by aligning away from the window's
// thread, so that an edit against a long reference never freezes the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/reference_row.h"
#include "edit/edit_state.h"
#include "platform/platform.h"

namespace vistrel {

struct AppState;

/// Below this identity the reference is taken not to fit the read: its row would be a sea of
/// differences, and the status bar says so instead.
inline constexpr double kPoorFitIdentity = 0.80;

/// How the shown read fits the reference, as the latest alignment found.
struct ReferenceFit {
  std::string failure;  ///< why it did not align, in words; empty when it did
  bool reverse = false;
  double identity = 0.0;
  std::int32_t differences = 0;

  bool fits() const { return failure.empty() && identity >= kPoorFitIdentity; }
  bool operator==(const ReferenceFit&) const = default;
};

/// What the window last worked out from the shown read, and from what.
struct ShownReadCache {
  ShownReadKey marks;                      ///< what `ViewState::readMarks` were worked out from
  AlignedReadKey row;                      ///< what `ViewState::referenceRow` was made from
  std::optional<AlignedReadKey> aligning;  ///< what the alignment under way was started for
  std::optional<ReferenceFit> fit;         ///< with the row; nothing without an alignment
};

/// Brings the view's read marks and reference row up to date with the shown read: the marks at
/// once when what they depend on changed, the row by an alignment in the background, started
/// when the row is behind and none is under way. When its outcome comes back the row is shown
/// and repainted, unless the read changed meanwhile: then it is aligned again. True when an
/// alignment was started.
bool followShownRead(AppState& app, Platform& platform);

/// Brings the reference row up to date now, aligning on this thread when it is behind: for a
/// command that needs the row at once.
void followReferenceNow(AppState& app, Platform& platform);

}  // namespace vistrel
