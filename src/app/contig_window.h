// The contig window's state and commands: the reads of a clone laid on a reference (or on each
// other), a column selected and walked from conflict to conflict, letters typed over a read's
// bases with Undo, and the changed reads saved and the consensus exported.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/contig.h"
#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/settings.h"

namespace vistrel {

/// What `vistrel --contig` is asked to lay.
struct ContigWindowRequest {
  std::vector<std::string> files;
  std::string referencePath;  ///< empty: the reads are laid on each other
  std::string recordName;     ///< the reference file's record; empty for its first
  bool circular = false;
};

/// A letter typed over a read's base, for Undo.
struct ContigLetterEdit {
  std::int32_t contig = 0;
  std::int32_t input = 0;
  std::int32_t base = 0;
  std::uint8_t before = 0;
  bool changedBefore = false;
  std::int32_t column = 0;
  std::int32_t row = 0;
};

/// The window's geometry: its fonts' metrics, the panes' sizes and where they stand.
struct ContigViewState {
  int charWidth = 8;
  int charHeight = 14;
  int width = 0;         ///< of both panes
  int rowsHeight = 0;    ///< the pane of the rows
  int tracesHeight = 0;  ///< the pane of the stacked traces
  int zoom = 2;          ///< an index of `kContigColumnZooms`
  std::int32_t firstColumn = 0;
  std::int32_t firstRow = 0;    ///< the first read row shown
  std::int32_t firstStrip = 0;  ///< the first stacked trace shown
};

/// The column widths of the zoom levels, in eighths of a character.
inline constexpr int kContigColumnZooms[] = {2, 4, 8, 16};
inline constexpr int kContigZoomCount = 4;

struct ContigWindowState {
  ContigWindowRequest request;
  std::vector<Chromatogram> documents;  ///< the reads' documents, in the inputs' order
  std::vector<ContigInput> inputs;
  std::vector<bool> changed;  ///< a read with letters typed that no save holds
  ContigSet set;
  std::string referenceName;
  std::int32_t shownContig = 0;
  std::int32_t column = -1;  ///< the selected column, -1 none
  std::int32_t row = -1;     ///< the selected read, by its place in the contig's reads
  std::vector<ContigLetterEdit> undo;
  ContigViewState view;
  bool laying = false;  ///< the reads are being read and laid, away from the window
};

/// What laying a request gives, before the window takes it.
struct LaidContig {
  std::vector<Chromatogram> documents;
  std::vector<ContigInput> inputs;
  ContigSet set;
  std::string referenceName;
  std::string stopMessage;  ///< why nothing could be laid (the reference could not be read)
  std::string failures;     ///< the files that could not be read, a line each
};

/// Reads the files and the reference of `request` and lays the contig; touches no window.
LaidContig layContigRequest(const ContigWindowRequest& request);

/// The window takes what was laid: the messages of what was left out, then the contig shown
/// from its first covered column. False when nothing was laid (after the message why).
bool showLaidContig(ContigWindowState& state, Platform& platform, LaidContig laid);

/// Reads the files and the reference of `request` and lays the contig. A file that cannot be
/// read is left out and told in one message with the others; false when no read is left or the
/// reference cannot be read (after its message).
bool openContig(ContigWindowState& state, Platform& platform, const ContigWindowRequest& request);

/// As openContig, the reading and laying in the background so the window paints and answers
/// meanwhile ("Laying N reads..."); `done` is called with the result on the window's thread.
void openContigInBackground(ContigWindowState& state, Platform& platform,
                            const ContigWindowRequest& request, std::function<void(bool)> done);

/// The contig shown, or nullptr before one is laid.
const Contig* shownContig(const ContigWindowState& state);

/// What read `row` of the contig has at `column`: its base (an index in its own letters), -1
/// for a gap, or nothing where it does not cover the column. With `beyond`, the columns past
/// its laid part take the bases outside its region (as many as it has), for a faint display.
std::optional<std::int32_t> baseAt(const ContigWindowState& state, std::int32_t row,
                                   std::int32_t column, bool beyond = false);

/// A read's letter as the contig lies: upper case, complemented for a reversed read.
char laidLetter(const ContigWindowState& state, std::int32_t row, std::int32_t base);

/// The pixel width of a column at the current zoom, at least 1.
int columnWidth(const ContigViewState& view);
/// The width of the names at the rows' left.
int nameWidth(const ContigViewState& view);
/// The columns the rows pane shows, at least 1.
std::int32_t visibleColumns(const ContigViewState& view);

/// Selects `column` (and `row` when not -1), scrolling it into view when it is not, and
/// repaints.
void selectColumn(ContigWindowState& state, Platform& platform, std::int32_t column,
                  std::int32_t row = -1);

/// Shows the contig `step` places on (1 the next, -1 the previous) of reads laid on each other;
/// beeps at either end.
void switchContig(ContigWindowState& state, Platform& platform, int step);

enum class ContigMark { Conflict, Difference };

/// Selects the next (or previous) column with `mark` after (before) the selected one; beeps
/// when there is none.
void nextMark(ContigWindowState& state, Platform& platform, ContigMark mark, bool forward);

enum class ContigKey { Left, Right, Up, Down, Home, End, PageLeft, PageRight };

void pressContigKey(ContigWindowState& state, Platform& platform, ContigKey key);

/// A letter typed: replaces the selected read's base at the selected column (the complement
/// for a reversed read) and works out the column again; then the next column is selected.
/// Beeps where the read has a gap or does not cover the column, or no read is selected.
void typeContigLetter(ContigWindowState& state, Platform& platform, std::uint8_t character);

/// Undoes the last typed letter; beeps when there is none.
void undoContigEdit(ContigWindowState& state, Platform& platform);

/// Zooms in (`steps` > 0) or out, keeping the selected (or the middle) column in place.
void zoomContig(ContigWindowState& state, Platform& platform, int steps);

/// Scrolls the columns to `first` (clamped) and repaints.
void scrollContigTo(ContigWindowState& state, Platform& platform, std::int32_t first);

/// Which read row and column a point of the rows pane falls on; -1 for none.
struct ContigHit {
  std::int32_t row = -1;
  std::int32_t column = -1;
};
ContigHit contigHitAt(const ContigWindowState& state, Point point);

/// The rows pane's layout in pixels.
struct ContigRows {
  int positionsTop = 0;
  int referenceTop = 0;  ///< the reference letters (no row without a reference)
  int readsTop = 0;
  int readsBottom = 0;  ///< the read rows end here; the consensus rows follow
  int consensusTop = 0;
  int qualityTop = 0;
  int coverageTop = 0;
  int bottom = 0;
  int rowHeight = 0;
  /// The read rows that fit, at least 1.
  std::int32_t visibleRows() const;
};
ContigRows contigRows(const ContigWindowState& state);

/// Whether any read has changes that no save holds.
bool hasUnsavedContigChanges(const ContigWindowState& state);

/// Save: each changed read written as SCF, an SCF read over its own file, any other through a
/// Save As dialog (nothing replaced unasked). False when cancelled or failed (after its
/// message); the reads saved before stay saved.
bool saveContigReads(ContigWindowState& state, Platform& platform);

/// Export Consensus (FASTA or FASTQ) and Export Conflicts (the table); false when cancelled or
/// failed.
bool exportConsensusCommand(const ContigWindowState& state, Platform& platform);
bool exportConflictsCommand(const ContigWindowState& state, Platform& platform);

/// Before unsaved reads would be lost: asks whether to save them, export the consensus,
/// discard or cancel. True when the caller may go on.
bool settleContigChanges(ContigWindowState& state, Platform& platform);

/// Opens read `row` in a trace window of its own at its base at `column` (or the nearest).
bool openReadAt(const ContigWindowState& state, Platform& platform, std::int32_t row,
                std::int32_t column);

/// The status bar: the selected column (reference position, consensus letter and quality, the
/// reads covering it), or what the contig holds.
std::string contigStatusText(const ContigWindowState& state);

/// Runs contig window command `id` (the platform's command ids) as its menu item does.
void executeContigCommand(ContigWindowState& state, Platform& platform, int id);

/// Whether the contig window's item of command `id` is enabled.
bool contigCommandEnabled(const ContigWindowState& state, int id);

/// The window's title: "Vistrel Contig - NAME", the reference's name or the first read's file.
std::string contigTitle(const ContigWindowState& state);

}  // namespace vistrel
