// Navigation and search through the shown base-call set: Next N, Next Redundant, Next Mixed,
// Next Difference, and Find with IUPAC ambiguity codes, including the rules of the modeless Find
// dialog, which the dialog on screen only forwards to.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "edit/edit_state.h"

namespace vistrel {

/// The most characters the Find dialog's box takes.
inline constexpr int kFindTextLimit = 49;

inline constexpr const char* kSequenceNotFoundMessage = "Sequence not found";

/// For each sequence letter A to Z, the pattern letters that match it: bit k stands for the
/// letter 'A' + k.
using MatchTable = std::array<std::uint32_t, 26>;

/// A pattern letter matches a sequence letter when every base the sequence letter can stand
/// for is among the bases of the pattern letter (U read as T); letters that are no code match
/// only themselves.
const MatchTable& matchTable();

/// Whether pattern byte `pattern` matches sequence byte `sequence`, both folded to upper case
/// (a to z only). A byte outside A to Z after folding matches only the identical byte.
bool lettersMatch(std::uint8_t sequence, std::uint8_t pattern);

/// Next N: selects the next base "N" or "n" after the selection (or from the caret's index, or
/// from base 0) and brings it into view. Beeps and changes nothing when there is none.
void nextN(EditContext& c);

/// Next Redundant: as Next N, for the next base that is not A, C, G or T in either case.
void nextRedundant(EditContext& c);

/// Next Mixed: as Next N, for the next mixed base of the region to check (the good region, or
/// all bases without quality values).
void nextMixed(EditContext& c);

/// Next Difference: as Next N, for the next base that differs from the reference or stands
/// after reference letters that the read lacks, by the view's reference row.
void nextDifference(EditContext& c);

/// Selects base `index` (kept within the bases) and brings it into view; nothing without bases.
void goToBase(EditContext& c, int index);

/// Go to Base: asks for a base number (the selected one offered) and goes there.
void goToBaseCommand(EditContext& c);

/// The search that the Find dialog's buttons post: from `find.start` forward, the first place
/// where `find.text` matches. A match is selected whole (the selected base its first) and, when the
/// view must scroll to show it, stands 16 pixels from the left edge; without one, "Sequence not
/// found" is shown and `find.start` is left one past the last position tried. An empty pattern does
/// nothing.
void findNext(EditContext& c, FindState& find);

/// Which of the Find dialog's buttons are enabled; both start disabled.
struct FindButtons {
  bool find = false;
  bool findAgain = false;
};

/// The Find command: opens the modeless dialog (empty box, both buttons disabled) unless it is
/// open already.
void openFindDialog(FindState& find, Platform& platform);

/// The box's text is now `text`: "Find Again" is disabled, "Find" enabled when the box is not
/// empty.
void findTextChanged(FindButtons& buttons, std::string_view text);

/// "Find": searches the box's `text` (its first 49 characters) from base 0, by posting the
/// find-next command. Ignored while the button is disabled.
void pressFind(FindState& find, FindButtons& buttons, std::string_view text, Platform& platform);

/// "Find Again": searches `text` again from the base after the last match. Ignored while the
/// button is disabled.
void pressFindAgain(FindState& find, FindButtons& buttons, std::string_view text,
                    Platform& platform);

/// "Close", or the dialog closed in any other way.
void closeFindDialog(FindState& find);

}  // namespace vistrel
