// The only way the core reaches the outside world: windows, drawing, dialogs, the scroll bar,
// the clipboard, the settings file, other processes and help. The desktop program implements it
// over Qt; the tests implement it with a fake that records every request.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace vistrel {

/// A font by its family and its character (em) height in pixels. `Interface` is the face the
/// desktop's menus and dialogs use.
struct FontSpec {
  enum Family { Serif, FixedPitch, Interface };
  Family family = Serif;
  int pixelHeight = 12;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct FontMetrics {
  int height = 0;  ///< full cell height
  int averageCharWidth = 0;
};

/// Drawing on a screen or printer page, in device pixels. A line covers its start point and
/// not its end point; a filled rectangle covers its left and top edges and not its right and
/// bottom ones; text is placed by its top-left corner.
class Canvas {
 public:
  virtual ~Canvas() = default;
  /// The width of the lines drawn from now on (1 at first; 0 draws as 1). A vertical line of
  /// width w at column x covers columns x - w/2 to x - w/2 + w - 1; a horizontal one, rows alike.
  virtual void setLineWidth(int width) = 0;
  virtual void fillRect(const Rect& area, Rgb colour) = 0;
  /// The outline of `area`, centred on its edges, nothing filled.
  virtual void frameRect(const Rect& area, Rgb colour) = 0;
  virtual void drawLine(Point from, Point to, Rgb colour) = 0;
  /// Joined lines through `count` points.
  virtual void drawPolyline(const Point* points, std::size_t count, Rgb colour) = 0;
  /// Draws `text` (bytes as the document holds them) with its cell filled in `background`, or
  /// transparent without one.
  virtual void drawText(Point topLeft, std::string_view text, const FontSpec& font, Rgb colour,
                        std::optional<Rgb> background) = 0;
  virtual int textWidth(std::string_view text, const FontSpec& font) = 0;
};

/// A printer, or a sequence of PDF pages, for one print job.
class PrintDevice {
 public:
  virtual ~PrintDevice() = default;
  virtual int dpiX() = 0;
  virtual int dpiY() = 0;
  /// The printable width and height of a page, in device pixels.
  virtual int pageWidth() = 0;
  virtual int pageHeight() = 0;
  virtual FontMetrics measureFont(const FontSpec& font) = 0;
  /// Starts the document under `name`; false when the device refuses it.
  virtual bool startDocument(const std::string& name) = 0;
  /// Starts a page; its canvas is valid until `endPage`.
  virtual Canvas& startPage() = 0;
  virtual void endPage() = 0;
  /// Completes the document; false when it could not be delivered.
  virtual bool endDocument() = 0;
  /// After `endDocument` returned false: the file or printer and why, as a message; empty when
  /// the device has nothing to tell.
  virtual std::string failure() const { return {}; }
  /// Abandons the document: nothing of it reaches the printer or the file.
  virtual void abortDocument() = 0;
};

/// What the print dialog chose: a device, and all pages or a range of them.
struct PrintChoice {
  std::unique_ptr<PrintDevice> device;
  bool allPages = true;
  int fromPage = 1;
  int toPage = 1;
};

enum class MessageIcon { Stop, Exclamation };

/// How a message box is shown: with the main window as owner and the caption "Vistrel", or
/// without an owner and without a caption of its own.
enum class MessageOwner { MainWindow, None };

/// The answers of the save-changes prompt, by the results of its buttons.
enum class PromptAnswer { Save = 102, Export = 104, DontSave = 7, Cancel = 2 };

struct FileFilter {
  std::string name;     ///< "SCF file"
  std::string pattern;  ///< "*.scf"
};

/// A save dialog: title, filters and the one selected at first (0-based). The dialog confirms
/// before replacing an existing file and appends no extension.
struct SaveDialog {
  std::string title;
  std::vector<FileFilter> filters;
  int selectedFilter = 0;
  std::string suggested;  ///< the full path the dialog starts with; empty for none
};

struct SaveChoice {
  std::string path;
  int filter = 0;  ///< the filter chosen (0-based)
};

/// What the Edit Analysis dialog asks: the control trace, the guide and its cut, the largest
/// indel fitted and an optional donor sequence.
struct EditAnalysisSetup {
  std::string controlPath;
  std::string guide;
  int cutOffset = 0;
  int maxIndel = 0;
  std::string donor;
  friend bool operator==(const EditAnalysisSetup&, const EditAnalysisSetup&) = default;
};

enum class ScrollAction { LineLeft, LineRight, PageLeft, PageRight, ThumbPosition };

enum class CursorShape { Arrow, IBeam, Wait };

/// Result of starting another instance of this program.
enum class StartResult { Started, NotFound, NoMemory, Failed };

/// What painting the view needs of the screen: its fonts' sizes and the menu bar's colours.
class ScreenLook {
 public:
  virtual ~ScreenLook() = default;
  /// Measures `font` as the screen shows it.
  virtual FontMetrics measureFont(const FontSpec& font) = 0;
  /// The colours of the menu bar, used behind the info band.
  virtual Rgb menuColour() = 0;
  virtual Rgb menuTextColour() = 0;
};

class Platform : public ScreenLook {
 public:
  virtual void showMessage(const std::string& text, MessageIcon icon, MessageOwner owner) = 0;

  // Dialogs. Each returns nothing when the user cancels.
  /// The open dialog of trace files, starting in `folder` (the current one when empty): one or
  /// more full paths.
  virtual std::vector<std::string> chooseFilesToOpen(const std::string& folder) = 0;
  virtual std::optional<SaveChoice> chooseFileToSave(const SaveDialog& dialog) = 0;
  /// The open dialog of a reference sequence (FASTA, GenBank or bare letters), titled `title`:
  /// one full path.
  virtual std::optional<std::string> chooseReferenceFile(const std::string& title) = 0;
  /// One of a reference file's several sequences, by its place in `headers`; nothing when the
  /// user cancels.
  virtual std::optional<std::size_t> chooseReferenceRecord(
      const std::vector<std::string>& headers) = 0;
  /// Go to Base: a base number from 1 to `count`, offered at `current`; nothing when cancelled.
  virtual std::optional<int> askBaseNumber(int current, int count) = 0;
  /// The save-changes prompt with its text; the first button reads "Save As..." when `saveAs`.
  virtual PromptAnswer askToSaveChanges(const std::string& text, bool saveAs) = 0;
  /// The print dialog, opening with the page range 1 to 1 chosen, pages 1 to 65534 allowed.
  virtual std::optional<PrintChoice> choosePrinter() = 0;
  /// The Colours dialog over the indices of G, A, T, C and N; the new indices on OK.
  virtual std::optional<std::array<int, 5>> chooseColours(const std::array<int, 5>& current) = 0;
  virtual void showAbout() = 0;
  /// Shows the modeless Find dialog, a child of the main window, with an empty box and both
  /// search buttons disabled; it forwards its text and buttons to the core's Find rules.
  virtual void showFindDialog() = 0;
  /// The Edit Analysis dialog, opening with `last`; the answers on OK.
  virtual std::optional<EditAnalysisSetup> askEditAnalysisSetup(const EditAnalysisSetup& last) = 0;
  /// Shows the modeless "Edit Analysis" window, a child of the main window that paints the
  /// window state's analysis; when it is open already, raises and repaints it.
  virtual void showEditAnalysisWindow() = 0;

  /// The system's default beep.
  virtual void beep() = 0;

  // The client area (the view) and the window around it.
  virtual void invalidate(const Rect& area) = 0;
  /// Shifts the pixels of `area` by `dx` and invalidates the strip that it uncovers.
  virtual void scroll(int dx, const Rect& area) = 0;
  virtual void setWindowTitle(const std::string& title) = 0;
  virtual void setCursor(CursorShape shape) = 0;
  /// The window's outer rectangle in screen coordinates, and moving it there.
  virtual Rect windowRect() = 0;
  virtual void moveWindow(const Rect& outer) = 0;
  virtual Rect clientRect() = 0;
  virtual bool isMinimized() = 0;
  virtual int screenHeight() = 0;
  /// The desktop's work area, where windows are placed.
  virtual Rect desktopRect() = 0;

  // The horizontal scroll bar.
  virtual void setScrollRange(int maximum, bool redraw) = 0;
  virtual void setScrollPosition(int position, bool redraw) = 0;
  virtual void enableScrollBar(bool enabled) = 0;

  // Services.
  virtual void setClipboardText(std::string_view text) = 0;
  /// Where the settings file lives.
  virtual std::string settingsPath() = 0;
  /// Starts this program again with `arguments` (without the program itself).
  virtual StartResult startInstance(const std::vector<std::string>& arguments) = 0;
  /// Shows the help contents; false when help cannot be shown.
  virtual bool showHelp() = 0;
  virtual void closeHelp() = 0;
  // The modal "Print" progress dialog: shown by the first call, its text replaced by each.
  virtual void showPrintProgress(const std::string& text) = 0;
  virtual void closePrintProgress() = 0;
  /// True once the progress dialog's Cancel has been pressed.
  virtual bool printCancelled() = 0;
  /// Serves the events waiting (repaints, the progress dialog's Cancel) and returns.
  virtual void processPendingEvents() = 0;

  /// Runs command `id` of the main window later, once the current event is handled.
  virtual void postCommand(int id) = 0;
  /// Runs `work` on a thread of its own, away from the window, and then what it returns on the
  /// window's thread, later, as a posted command runs. The work may use only what it owns or
  /// what nothing changes while it runs. Works run one at a time, in the order given; what one
  /// returns is dropped when the window is gone by then.
  virtual void runInBackground(std::function<std::function<void()>()> work) = 0;
  /// Asks the main window to close, later, as the window manager would.
  virtual void closeWindow() = 0;
  /// Ends the event loop once the current event is handled.
  virtual void quit() = 0;
};

}  // namespace vistrel
