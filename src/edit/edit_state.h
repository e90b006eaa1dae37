// The state that editing, navigation and search keep beside the document and the view, and the
// records an edit works on.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/view_state.h"

namespace vistrel {

enum UndoKind { kUndoReplace = 1, kUndoInsert = 2, kUndoDelete = 3, kUndoReverseComplement = 205 };

/// One step that Undo can take back.
struct UndoRecord {
  int kind = 0;
  std::int32_t baseIndex = 0;  ///< the base replaced, inserted or deleted (0 for 205)
  std::uint8_t oldBase = 0;    ///< the letter replaced or deleted
  /// The peak of a deleted base, or the caret's sample where a base was inserted.
  std::int16_t oldPeak = 0;
  /// Whether the inserted or deleted base had a peak: a set whose peak count differs from its
  /// base count has letters without one.
  bool withPeak = true;
};

inline constexpr int kUndoSteps = 100;

struct EditState {
  std::int32_t insertIndex = 0;
  std::int32_t otherSetModified = 0;
  std::int32_t reverseComplemented = 0;
  std::array<UndoRecord, kUndoSteps> undoRing{};
  std::int32_t undoNext = 0;
  std::int32_t undoCount = 0;
  std::int32_t undoWrapped = 0;
};

/// The Find dialog's pattern and where the next comparison starts.
struct FindState {
  bool dialogOpen = false;
  std::string text;        ///< at most 49 characters
  std::int32_t start = 0;  ///< not reset by a load
};

/// The records an edit works on, gathered for one call.
struct EditContext {
  Chromatogram& document;
  ViewSettings& settings;
  ViewState& view;
  EditState& edit;
  Platform& platform;
};

}  // namespace vistrel
