// The contig window's commands over its state; painting is in contig_painting.cpp.
#include "app/contig_window.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "analysis/contig_report.h"
#include "app/new_window.h"
#include "document/nucleotides.h"
#include "document/reference.h"
#include "document/text_fields.h"
#include "document/trace_file.h"
#include "output/output_error.h"
#include "output/scf_writer.h"
#include "platform/command_ids.h"
#include "platform/local_date.h"
#include "platform/paths.h"

namespace vistrel {

namespace {

/// The most names of covering reads the status bar lists.
constexpr std::size_t kStatusNames = 4;

void repaintAll(const ContigWindowState& state, Platform& platform) {
  platform.invalidate({0, 0, state.view.width, state.view.rowsHeight + state.view.tracesHeight});
}

std::int32_t columnCount(const ContigWindowState& state) {
  const Contig* contig = shownContig(state);
  return contig == nullptr ? 0 : static_cast<std::int32_t>(contig->columns.size());
}

std::int32_t readCount(const ContigWindowState& state) {
  const Contig* contig = shownContig(state);
  return contig == nullptr ? 0 : static_cast<std::int32_t>(contig->reads.size());
}

void updateScrollBar(const ContigWindowState& state, Platform& platform) {
  const std::int32_t hidden = std::max(columnCount(state) - visibleColumns(state.view), 0);
  platform.setScrollRange(hidden, true);
  platform.setScrollPosition(state.view.firstColumn, true);
}

/// Scrolls the rows so that `row` is among those shown.
void showRow(ContigWindowState& state, std::int32_t row) {
  const std::int32_t rows = contigRows(state).visibleRows();
  std::int32_t& first = state.view.firstRow;
  if (row < first) first = row;
  if (row >= first + rows) first = row - rows + 1;
  first = std::max(first, 0);
}

std::string readNames(const ContigWindowState& state, const std::vector<ColumnVote>& votes) {
  std::string names;
  const Contig& contig = *shownContig(state);
  for (std::size_t i = 0; i < votes.size() && i < kStatusNames; ++i) {
    const PlacedRead& read = contig.reads[static_cast<std::size_t>(votes[i].read)];
    names += (i == 0 ? "" : ", ") +
             state.documents[static_cast<std::size_t>(read.input)].fileTitle + " (" +
             (read.reverse ? "-" : "+") + ")";
  }
  if (votes.size() > kStatusNames) {
    names += " and " + std::to_string(votes.size() - kStatusNames) + " more";
  }
  return names;
}

/// Appends a line "NAME: reason" to a message's list.
void addLine(std::string& list, const std::string& name, const std::string& reason) {
  list += '\n';
  list += name;
  list += ": ";
  list += reason;
}

std::string countOf(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

/// What an export of the contig is first named: beside its first read, after the reference, or
/// without one after that read, with `ending`.
std::string exportName(const ContigWindowState& state, const std::string& ending) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr || contig->reads.empty()) return {};
  const std::string& first =
      state.documents[static_cast<std::size_t>(contig->reads.front().input)].filePath;
  std::string folder = parentFolderOf(first);
  if (folder.back() != '/') folder += '/';
  const std::string name = contig->hasReference ? cleanField(contig->name) : fileStemOf(first);
  return folder + (name.find('/') == std::string::npos ? name : fileStemOf(first)) + ending;
}

/// Scrolls the columns to the first one a read covers.
void showFirstCovered(ContigWindowState& state, Platform& platform) {
  const Contig* contig = shownContig(state);
  const std::vector<std::int32_t> span =
      contig != nullptr ? contig->consensusColumns() : std::vector<std::int32_t>{};
  scrollContigTo(state, platform, span.empty() ? 0 : span.front());
}

bool writeText(Platform& platform, const std::string& path, const std::string& text) {
  const OutputError error = writeOutputFile(path, text.data(), text.size());
  if (!error) return true;
  platform.showMessage(outputErrorMessage(error), MessageIcon::Stop, MessageOwner::MainWindow);
  return false;
}

}  // namespace

LaidContig layContigRequest(const ContigWindowRequest& request) {
  LaidContig laid;
  std::optional<Reference> reference;
  if (!request.referencePath.empty()) {
    std::string error;
    reference = readReferenceFile(request.referencePath, request.recordName, error);
    if (!error.empty()) {
      laid.stopMessage = cleanUtf8Field(request.referencePath) + ": " + error;
      return laid;
    }
  }
  for (const std::string& path : request.files) {
    Chromatogram document;
    std::string sampleName;
    const LoadError error = readTraceFile(path, false, document, sampleName);
    if (error) {
      addLine(laid.failures, cleanUtf8Field(path), cleanUtf8Field(loadErrorMessage(error)));
      continue;
    }
    laid.inputs.push_back(contigInputOf(document, cleanField(path)));
    laid.documents.push_back(std::move(document));
  }
  if (laid.inputs.empty()) return laid;
  ContigOptions options;
  options.circular = request.circular || (reference && reference->circular);
  if (reference) {
    laid.referenceName = reference->name;
    const PreparedReference prepared(reference->sequence);
    laid.set = buildContigs(laid.inputs, &prepared, reference->name, options);
  } else {
    laid.set = buildContigs(laid.inputs, nullptr, {}, options);
  }
  return laid;
}

bool showLaidContig(ContigWindowState& state, Platform& platform, LaidContig laid) {
  // The window's geometry stays; everything laid before goes.
  const ContigViewState view = state.view;
  const ContigWindowRequest request = state.request;
  state = ContigWindowState{};
  state.view = view;
  state.request = request;
  if (!laid.stopMessage.empty()) {
    platform.showMessage(laid.stopMessage, MessageIcon::Stop, MessageOwner::MainWindow);
    return false;
  }
  if (!laid.failures.empty()) {
    platform.showMessage("These files could not be read and are left out:" + laid.failures,
                         MessageIcon::Exclamation, MessageOwner::MainWindow);
  }
  if (laid.inputs.empty()) return false;
  state.documents = std::move(laid.documents);
  state.inputs = std::move(laid.inputs);
  state.set = std::move(laid.set);
  state.referenceName = std::move(laid.referenceName);
  state.changed.assign(state.documents.size(), false);
  std::string unplaced;
  for (const UnplacedRead& read : state.set.unplaced) {
    addLine(unplaced, state.documents[static_cast<std::size_t>(read.input)].fileTitle, read.reason);
  }
  if (!unplaced.empty()) {
    platform.showMessage("These reads are left out of the contig:" + unplaced,
                         MessageIcon::Exclamation, MessageOwner::MainWindow);
  }
  platform.setWindowTitle(contigTitle(state));
  showFirstCovered(state, platform);
  return true;
}

bool openContig(ContigWindowState& state, Platform& platform, const ContigWindowRequest& request) {
  state.request = request;
  return showLaidContig(state, platform, layContigRequest(request));
}

void openContigInBackground(ContigWindowState& state, Platform& platform,
                            const ContigWindowRequest& request, std::function<void(bool)> done) {
  state.request = request;
  state.laying = true;
  platform.runInBackground([&state, &platform, request, done = std::move(done)] {
    // Shared, as what is handed back must be copyable and the documents are not.
    auto laid = std::make_shared<LaidContig>(layContigRequest(request));
    return [&state, &platform, laid, done] {
      const bool shown = showLaidContig(state, platform, std::move(*laid));
      done(shown);
    };
  });
}

const Contig* shownContig(const ContigWindowState& state) {
  const auto& contigs = state.set.contigs;
  if (state.shownContig < 0 || static_cast<std::size_t>(state.shownContig) >= contigs.size()) {
    return nullptr;
  }
  return &contigs[static_cast<std::size_t>(state.shownContig)];
}

std::optional<std::int32_t> baseAt(const ContigWindowState& state, std::int32_t row,
                                   std::int32_t column, bool beyond) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr || row < 0 || row >= readCount(state)) return std::nullopt;
  const PlacedRead& read = contig->reads[static_cast<std::size_t>(row)];
  const auto columns = static_cast<std::int32_t>(contig->columns.size());
  const auto laid = static_cast<std::int32_t>(read.bases.size());
  std::int32_t k = column - read.firstColumn;
  if (contig->circular && columns > 0) k = ((k % columns) + columns) % columns;
  if (k >= 0 && k < laid) return read.bases[static_cast<std::size_t>(k)];
  if (!beyond || contig->circular || laid == 0) return std::nullopt;
  // Past its laid part the read runs on with the bases outside its region, one a column.
  const std::int32_t step = read.reverse ? -1 : 1;
  const std::int32_t base =
      k < 0 ? read.bases.front() + step * k : read.bases.back() + step * (k - laid + 1);
  const auto letters =
      static_cast<std::int32_t>(state.inputs[static_cast<std::size_t>(read.input)].letters.size());
  if (base < 0 || base >= letters) return std::nullopt;
  return base;
}

char laidLetter(const ContigWindowState& state, std::int32_t row, std::int32_t base) {
  const PlacedRead& read = shownContig(state)->reads[static_cast<std::size_t>(row)];
  const std::string& letters = state.inputs[static_cast<std::size_t>(read.input)].letters;
  const auto letter = static_cast<std::uint8_t>(letters[static_cast<std::size_t>(base)]);
  const std::uint8_t laid = read.reverse ? complementOf(letter) : letter;
  return static_cast<char>(std::toupper(laid));
}

int columnWidth(const ContigViewState& view) {
  return std::max(view.charWidth * kContigColumnZooms[view.zoom] / 8, 1);
}

int nameWidth(const ContigViewState& view) {
  return 18 * view.charWidth + 6;
}

std::int32_t visibleColumns(const ContigViewState& view) {
  return std::max((view.width - nameWidth(view)) / columnWidth(view), 1);
}

std::int32_t ContigRows::visibleRows() const {
  return std::max((readsBottom - readsTop) / std::max(rowHeight, 1), 1);
}

ContigRows contigRows(const ContigWindowState& state) {
  const ContigViewState& v = state.view;
  ContigRows rows;
  rows.rowHeight = v.charHeight + 2;
  rows.positionsTop = 0;
  const Contig* contig = shownContig(state);
  rows.referenceTop = rows.rowHeight;
  rows.readsTop =
      rows.referenceTop + (contig != nullptr && contig->hasReference ? rows.rowHeight : 0) + 3;
  // The consensus rows follow the reads, or stand at the pane's foot when the reads scroll.
  const int consensusRows = 3 + rows.rowHeight + 14 + 6;
  const int pane = std::max(v.rowsHeight, rows.readsTop + rows.rowHeight + consensusRows);
  rows.readsBottom =
      std::min(rows.readsTop + readCount(state) * rows.rowHeight, pane - consensusRows);
  rows.readsBottom = std::max(rows.readsBottom, rows.readsTop + rows.rowHeight);
  rows.consensusTop = rows.readsBottom + 3;
  rows.qualityTop = rows.consensusTop + rows.rowHeight;
  rows.coverageTop = rows.qualityTop + 14;
  rows.bottom = rows.coverageTop + 6;
  return rows;
}

void scrollContigTo(ContigWindowState& state, Platform& platform, std::int32_t first) {
  const std::int32_t last = std::max(columnCount(state) - visibleColumns(state.view), 0);
  state.view.firstColumn = std::clamp(first, 0, last);
  updateScrollBar(state, platform);
  repaintAll(state, platform);
}

void selectColumn(ContigWindowState& state, Platform& platform, std::int32_t column,
                  std::int32_t row) {
  const std::int32_t columns = columnCount(state);
  if (columns == 0) return;
  state.column = std::clamp(column, 0, columns - 1);
  if (row >= 0 && row < readCount(state)) {
    state.row = row;
    showRow(state, row);
  }
  state.view.firstStrip = 0;
  const std::int32_t shown = visibleColumns(state.view);
  std::int32_t first = state.view.firstColumn;
  if (state.column < first || state.column >= first + shown) first = state.column - shown / 2;
  scrollContigTo(state, platform, first);
}

void switchContig(ContigWindowState& state, Platform& platform, int step) {
  const auto count = static_cast<std::int32_t>(state.set.contigs.size());
  const std::int32_t next = state.shownContig + step;
  if (next < 0 || next >= count) {
    platform.beep();
    return;
  }
  state.shownContig = next;
  state.column = -1;
  state.row = -1;
  state.view.firstRow = 0;
  platform.setWindowTitle(contigTitle(state));
  showFirstCovered(state, platform);
}

void nextMark(ContigWindowState& state, Platform& platform, ContigMark mark, bool forward) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr) return;
  const std::int32_t columns = columnCount(state);
  const std::int32_t step = forward ? 1 : -1;
  std::int32_t c = state.column < 0 ? (forward ? 0 : columns - 1) : state.column + step;
  for (; c >= 0 && c < columns; c += step) {
    const ContigColumn& column = contig->columns[static_cast<std::size_t>(c)];
    if (mark == ContigMark::Conflict ? column.conflict : column.difference) {
      selectColumn(state, platform, c);
      return;
    }
  }
  platform.beep();
}

void pressContigKey(ContigWindowState& state, Platform& platform, ContigKey key) {
  const std::int32_t columns = columnCount(state);
  if (columns == 0) return;
  const std::int32_t page = visibleColumns(state.view);
  const std::int32_t at = state.column < 0 ? state.view.firstColumn : state.column;
  switch (key) {
    case ContigKey::Left:
    case ContigKey::Right:
      selectColumn(state, platform, at + (key == ContigKey::Left ? -1 : 1));
      break;
    case ContigKey::Up:
    case ContigKey::Down: {
      const std::int32_t rows = readCount(state);
      if (rows == 0) return;
      const std::int32_t row = state.row < 0 ? 0 : state.row + (key == ContigKey::Up ? -1 : 1);
      selectColumn(state, platform, at, std::clamp(row, 0, rows - 1));
      break;
    }
    case ContigKey::Home:
      selectColumn(state, platform, 0);
      break;
    case ContigKey::End:
      selectColumn(state, platform, columns - 1);
      break;
    case ContigKey::PageLeft:
    case ContigKey::PageRight:
      scrollContigTo(state, platform,
                     state.view.firstColumn + (key == ContigKey::PageLeft ? -page : page));
      break;
  }
}

void typeContigLetter(ContigWindowState& state, Platform& platform, std::uint8_t character) {
  if (!std::isalpha(character)) return;
  const std::optional<std::int32_t> base = baseAt(state, state.row, state.column);
  if (!base || *base < 0) {
    platform.beep();
    return;
  }
  Contig& contig = state.set.contigs[static_cast<std::size_t>(state.shownContig)];
  const PlacedRead& read = contig.reads[static_cast<std::size_t>(state.row)];
  const auto input = static_cast<std::size_t>(read.input);
  Chromatogram& document = state.documents[input];
  BaseCalls& calls = document.shown();
  const std::uint8_t letter = read.reverse ? complementOf(character) : character;
  state.undo.push_back({state.shownContig, read.input, *base, calls.base(*base),
                        state.changed[input], state.column, state.row});
  calls.setBase(*base, letter);
  state.inputs[input].letters[static_cast<std::size_t>(*base)] = static_cast<char>(letter);
  document.modified = true;
  state.changed[input] = true;
  updateColumn(contig, state.inputs, state.column);
  selectColumn(state, platform, state.column + 1);
}

void undoContigEdit(ContigWindowState& state, Platform& platform) {
  if (state.undo.empty()) {
    platform.beep();
    return;
  }
  const ContigLetterEdit edit = state.undo.back();
  state.undo.pop_back();
  const auto input = static_cast<std::size_t>(edit.input);
  state.shownContig = edit.contig;
  state.documents[input].shown().setBase(edit.base, edit.before);
  state.inputs[input].letters[static_cast<std::size_t>(edit.base)] = static_cast<char>(edit.before);
  state.changed[input] = edit.changedBefore;
  state.documents[input].modified = edit.changedBefore;
  updateColumn(state.set.contigs[static_cast<std::size_t>(state.shownContig)], state.inputs,
               edit.column);
  selectColumn(state, platform, edit.column, edit.row);
}

void zoomContig(ContigWindowState& state, Platform& platform, int steps) {
  const int zoom = std::clamp(state.view.zoom + steps, 0, kContigZoomCount - 1);
  if (zoom == state.view.zoom) {
    platform.beep();
    return;
  }
  const std::int32_t anchor =
      state.column >= 0 ? state.column : state.view.firstColumn + visibleColumns(state.view) / 2;
  const std::int32_t offset = anchor - state.view.firstColumn;
  const int before = columnWidth(state.view);
  state.view.zoom = zoom;
  // The anchor column keeps its pixel where it can.
  scrollContigTo(state, platform, anchor - offset * before / columnWidth(state.view));
}

ContigHit contigHitAt(const ContigWindowState& state, Point point) {
  ContigHit hit;
  const ContigRows rows = contigRows(state);
  const int left = nameWidth(state.view);
  if (point.x >= left) {
    const std::int32_t column = state.view.firstColumn + (point.x - left) / columnWidth(state.view);
    if (column < columnCount(state)) hit.column = column;
  }
  if (point.y >= rows.readsTop && point.y < rows.readsBottom) {
    const std::int32_t row = state.view.firstRow + (point.y - rows.readsTop) / rows.rowHeight;
    if (row < readCount(state)) hit.row = row;
  }
  return hit;
}

bool hasUnsavedContigChanges(const ContigWindowState& state) {
  return std::find(state.changed.begin(), state.changed.end(), true) != state.changed.end();
}

bool saveContigReads(ContigWindowState& state, Platform& platform) {
  for (std::size_t i = 0; i < state.documents.size(); ++i) {
    if (!state.changed[i]) continue;
    Chromatogram& document = state.documents[i];
    std::string target = document.filePath;
    const bool saveAs = !document.isScf;
    if (saveAs) {
      auto choice = platform.chooseFileToSave({"Save " + document.fileTitle + " As",
                                               {{"SCF file", "*.scf"}},
                                               0,
                                               siblingWithSuffix(document.filePath, ".scf")});
      if (!choice) return false;
      target = choice->path;
    }
    const OutputError error = saveScf(document, target, saveAs, localDate());
    if (error) {
      platform.showMessage(
          outputErrorMessage(error, saveAs ? kCannotCreateMessage : "The file could not be opened"),
          MessageIcon::Stop, MessageOwner::MainWindow);
      return false;
    }
    document.modified = false;
    state.changed[i] = false;
    state.inputs[i].name = cleanField(document.filePath);
  }
  repaintAll(state, platform);
  return true;
}

bool exportConsensusCommand(const ContigWindowState& state, Platform& platform) {
  auto choice = platform.chooseFileToSave({"Export Consensus",
                                           {{"FASTA", "*.fasta"}, {"FASTQ", "*.fastq"}},
                                           0,
                                           exportName(state, "_consensus.fasta")});
  if (!choice) return false;
  return writeText(platform, choice->path, consensusText(state.set.contigs, choice->filter == 1));
}

bool exportConflictsCommand(const ContigWindowState& state, Platform& platform) {
  auto choice = platform.chooseFileToSave(
      {"Export Conflicts", {{"Table", "*.tsv"}}, 0, exportName(state, "_conflicts.tsv")});
  if (!choice) return false;
  return writeText(platform, choice->path, conflictsText(state.set.contigs, state.inputs));
}

bool settleContigChanges(ContigWindowState& state, Platform& platform) {
  if (!hasUnsavedContigChanges(state)) return true;
  const auto changed =
      static_cast<std::size_t>(std::count(state.changed.begin(), state.changed.end(), true));
  const std::string text = countOf(changed, "read", "reads") + " of this contig " +
                           (changed == 1 ? "has" : "have") +
                           " been modified. Do you want to save or export?";
  switch (platform.askToSaveChanges(text, false)) {
    case PromptAnswer::Save:
      return saveContigReads(state, platform);
    case PromptAnswer::Export:
      return exportConsensusCommand(state, platform);
    case PromptAnswer::DontSave:
      return true;
    case PromptAnswer::Cancel:
      return false;
  }
  return false;
}

bool openReadAt(const ContigWindowState& state, Platform& platform, std::int32_t row,
                std::int32_t column) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr || row < 0 || row >= readCount(state)) return false;
  // A gap opens at the base laid next to it.
  std::optional<std::int32_t> base;
  for (std::int32_t d = 0; d < columnCount(state) && !(base && *base >= 0); ++d) {
    base = baseAt(state, row, column + d, true);
    if (!(base && *base >= 0)) base = baseAt(state, row, column - d, true);
  }
  if (!base || *base < 0) return false;
  const PlacedRead& read = contig->reads[static_cast<std::size_t>(row)];
  const std::string& path = state.documents[static_cast<std::size_t>(read.input)].filePath;
  switch (platform.startInstance({path, "--base", std::to_string(*base + 1)})) {
    case StartResult::Started:
      return true;
    case StartResult::NoMemory:
      platform.showMessage(kNoMemoryMessage, MessageIcon::Stop, MessageOwner::MainWindow);
      return false;
    default:
      platform.showMessage("Cannot run \"VISTREL.EXE\"", MessageIcon::Stop,
                           MessageOwner::MainWindow);
      return false;
  }
}

std::string contigStatusText(const ContigWindowState& state) {
  const Contig* contig = shownContig(state);
  if (state.laying) {
    return "Laying " + countOf(state.request.files.size(), "read", "reads") + "...";
  }
  if (contig == nullptr) return {};
  if (state.column < 0 || state.column >= columnCount(state)) {
    std::size_t conflicts = 0, differences = 0;
    for (const ContigColumn& c : contig->columns) {
      conflicts += c.conflict ? 1 : 0;
      differences += c.difference ? 1 : 0;
    }
    std::string text = countOf(contig->reads.size(), "read", "reads");
    if (!state.set.unplaced.empty()) {
      text += " (" + std::to_string(state.set.unplaced.size()) + " left out)";
    }
    if (state.set.contigs.size() > 1) {
      text += ", contig " + std::to_string(state.shownContig + 1) + " of " +
              std::to_string(state.set.contigs.size());
    }
    text += ": " + countOf(conflicts, "conflict", "conflicts");
    if (contig->hasReference) text += ", " + countOf(differences, "difference", "differences");
    return text;
  }
  const ContigColumn& column = contig->columns[static_cast<std::size_t>(state.column)];
  std::string text;
  if (contig->hasReference) {
    text = column.insertion ? "After reference position " + contigPositionText(column)
                            : "Reference position " + contigPositionText(column) + " (" +
                                  std::string(1, column.reference) + ")";
  } else {
    text = "Column " + std::to_string(state.column + 1);
  }
  text += ": consensus " + std::string(1, column.consensus) + ", quality " +
          std::to_string(column.quality);
  if (column.conflict) text += ", conflict";
  if (column.difference) text += ", difference";
  const std::vector<ColumnVote> votes = columnVotes(*contig, state.inputs, state.column);
  text += "; " + countOf(votes.size(), "read", "reads");
  if (!votes.empty()) text += ": " + readNames(state, votes);
  return text;
}

void executeContigCommand(ContigWindowState& state, Platform& platform, int id) {
  switch (id) {
    case kNewContig:
      openNewContig(platform);
      break;
    case kContigSave:
      saveContigReads(state, platform);
      break;
    case kExportConsensus:
      exportConsensusCommand(state, platform);
      break;
    case kExportConflicts:
      exportConflictsCommand(state, platform);
      break;
    case kContigClose:
      platform.closeWindow();
      break;
    case kContigUndo:
      undoContigEdit(state, platform);
      break;
    case kNextConflict:
    case kPreviousConflict:
      nextMark(state, platform, ContigMark::Conflict, id == kNextConflict);
      break;
    case kContigNextDifference:
    case kContigPreviousDifference:
      nextMark(state, platform, ContigMark::Difference, id == kContigNextDifference);
      break;
    case kNextContig:
    case kPreviousContig:
      switchContig(state, platform, id == kNextContig ? 1 : -1);
      break;
    case kContigZoomIn:
    case kContigZoomOut:
      zoomContig(state, platform, id == kContigZoomIn ? 1 : -1);
      break;
    default:
      break;
  }
}

bool contigCommandEnabled(const ContigWindowState& state, int id) {
  const Contig* contig = shownContig(state);
  switch (id) {
    case kContigSave:
      return hasUnsavedContigChanges(state);
    case kContigUndo:
      return !state.undo.empty();
    case kContigNextDifference:
    case kContigPreviousDifference:
      return contig != nullptr && contig->hasReference;
    case kNextContig:
    case kPreviousContig:
      return state.set.contigs.size() > 1;
    default:
      return true;
  }
}

std::string contigTitle(const ContigWindowState& state) {
  const Contig* contig = shownContig(state);
  if (contig == nullptr || (!contig->hasReference && contig->reads.empty()))
    return "Vistrel Contig";
  const std::string& name =
      contig->hasReference
          ? contig->name
          : state.documents[static_cast<std::size_t>(contig->reads.front().input)].fileTitle;
  return "Vistrel Contig - " + cleanUtf8Field(name);
}

}  // namespace vistrel
