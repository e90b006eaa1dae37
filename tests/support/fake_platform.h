// A platform that records what the core asked of it and answers dialogs from a script, and a
// canvas that records what was drawn.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace vistrel::testing {

struct RecordedMessage {
  std::string text;
  MessageIcon icon;
  MessageOwner owner;
};

struct RecordedScroll {
  int dx;
  Rect area;
};

/// Window frame of the fake: 40 pixels above the client area (caption and menu bar) and 16
/// below it (the scroll bar).
inline constexpr int kFakeFrameTop = 40;
inline constexpr int kFakeFrameBottom = 16;

class FakePlatform : public Platform {
 public:
  // What the core asked for.
  std::vector<RecordedMessage> messages;
  std::vector<Rect> invalidated;
  std::vector<RecordedScroll> scrolls;
  std::string title = "Vistrel";
  std::optional<CursorShape> cursor;
  int scrollMaximum = 0;
  int scrollPosition = 0;
  bool scrollEnabled = true;
  std::string clipboard;
  std::vector<std::vector<std::string>> startedInstances;
  std::vector<SaveDialog> saveDialogs;
  std::vector<std::string> prompts;
  int helpShown = 0;
  int helpClosed = 0;
  int closeRequests = 0;
  int beeps = 0;
  std::vector<std::string> printProgress;  ///< the progress texts shown, in order
  int printProgressClosed = 0;
  int findDialogsShown = 0;
  std::vector<EditAnalysisSetup> editSetupsAsked;  ///< what each Edit Analysis dialog opened with
  int editWindowsShown = 0;
  std::vector<int> postedCommands;
  std::vector<std::function<std::function<void()>()>> backgroundWork;
  int quits = 0;

  // The window.
  Rect outer{0, 0, 800, 600};
  bool minimized = false;
  int screen = 768;
  Rect desktop{0, 0, 1024, 740};
  std::string settingsFile;

  // Scripted answers, taken in order; an empty script cancels.
  std::deque<std::vector<std::string>> openAnswers;
  std::vector<std::string> openFolders;  ///< the folder each open dialog started in
  std::deque<std::optional<SaveChoice>> saveAnswers;
  std::deque<std::string> referenceAnswers;
  std::vector<std::string> referenceTitles;        ///< the title of each reference dialog shown
  std::deque<std::optional<int>> baseAnswers;      ///< Go to Base's answers
  std::vector<std::pair<int, int>> baseQuestions;  ///< what it offered and the base count
  /// The record chosen at each question of a reference file with several, and the questions.
  std::deque<std::optional<std::size_t>> recordAnswers;
  std::vector<std::vector<std::string>> recordChoices;
  std::deque<PromptAnswer> promptAnswers;
  std::deque<std::optional<std::array<int, 5>>> colourAnswers;
  std::deque<EditAnalysisSetup> editSetupAnswers;
  StartResult startResult = StartResult::Started;
  /// The print dialog's answer (taken once), and at which question about Cancel it is found
  /// pressed (-1: never); it stays pressed after.
  std::optional<PrintChoice> printAnswer;
  int cancelAfter = -1;
  bool helpAvailable = true;

  void showMessage(const std::string& text, MessageIcon icon, MessageOwner owner) override;
  std::vector<std::string> chooseFilesToOpen(const std::string& folder) override;
  std::optional<SaveChoice> chooseFileToSave(const SaveDialog& dialog) override;
  std::optional<std::string> chooseReferenceFile(const std::string& title) override;
  std::optional<int> askBaseNumber(int current, int count) override {
    baseQuestions.push_back({current, count});
    if (baseAnswers.empty()) return std::nullopt;
    const std::optional<int> answer = baseAnswers.front();
    baseAnswers.pop_front();
    return answer;
  }
  std::optional<std::size_t> chooseReferenceRecord(
      const std::vector<std::string>& headers) override {
    recordChoices.push_back(headers);
    if (recordAnswers.empty()) return std::nullopt;
    const std::optional<std::size_t> answer = recordAnswers.front();
    recordAnswers.pop_front();
    return answer;
  }
  PromptAnswer askToSaveChanges(const std::string& text, bool saveAs) override;
  std::optional<std::array<int, 5>> chooseColours(const std::array<int, 5>& current) override;
  void showAbout() override {}
  std::optional<PrintChoice> choosePrinter() override { return std::exchange(printAnswer, {}); }
  void showPrintProgress(const std::string& text) override { printProgress.push_back(text); }
  void closePrintProgress() override { ++printProgressClosed; }
  bool printCancelled() override;
  void processPendingEvents() override {}
  void showFindDialog() override { ++findDialogsShown; }
  std::optional<EditAnalysisSetup> askEditAnalysisSetup(const EditAnalysisSetup& last) override {
    editSetupsAsked.push_back(last);
    if (editSetupAnswers.empty()) return std::nullopt;
    EditAnalysisSetup answer = std::move(editSetupAnswers.front());
    editSetupAnswers.pop_front();
    return answer;
  }
  void showEditAnalysisWindow() override { ++editWindowsShown; }
  void beep() override { ++beeps; }
  void invalidate(const Rect& area) override { invalidated.push_back(area); }
  void scroll(int dx, const Rect& area) override { scrolls.push_back({dx, area}); }
  void setWindowTitle(const std::string& text) override { title = text; }
  void setCursor(CursorShape shape) override { cursor = shape; }
  Rect windowRect() override { return outer; }
  void moveWindow(const Rect& to) override { outer = to; }
  Rect clientRect() override;
  bool isMinimized() override { return minimized; }
  int screenHeight() override { return screen; }
  Rect desktopRect() override { return desktop; }
  void setScrollRange(int maximum, bool) override { scrollMaximum = maximum; }
  void setScrollPosition(int position, bool) override { scrollPosition = position; }
  void enableScrollBar(bool enabled) override { scrollEnabled = enabled; }
  FontMetrics measureFont(const FontSpec& font) override;
  Rgb menuColour() override { return {212, 208, 200}; }
  Rgb menuTextColour() override { return {0, 0, 1}; }
  void setClipboardText(std::string_view text) override { clipboard = text; }
  std::string settingsPath() override { return settingsFile; }
  StartResult startInstance(const std::vector<std::string>& arguments) override;
  bool showHelp() override;
  void closeHelp() override { ++helpClosed; }
  void postCommand(int id) override { postedCommands.push_back(id); }
  void runInBackground(std::function<std::function<void()>()> work) override {
    backgroundWork.push_back(std::move(work));
  }
  /// Runs the background works given so far, each with what it hands back, as the window's
  /// event loop would; those they give in turn too.
  void finishBackgroundWork() {
    while (!backgroundWork.empty()) {
      std::function<std::function<void()>()> work = std::move(backgroundWork.front());
      backgroundWork.erase(backgroundWork.begin());
      work()();
    }
  }
  void closeWindow() override { ++closeRequests; }
  void quit() override { ++quits; }

  /// The fake's font metrics: cell height and average width from the character height.
  static FontMetrics metricsOf(const FontSpec& font);
};

struct DrawnText {
  Point at;
  std::string text;
  FontSpec font;
  Rgb colour;
  std::optional<Rgb> background;
};

struct DrawnLine {
  std::vector<Point> points;  ///< two for a line, more for a polyline
  Rgb colour;
  int width = 1;
};

struct FilledRect {
  Rect area;
  Rgb colour;
};

class RecordingCanvas : public Canvas {
 public:
  std::vector<DrawnText> texts;
  std::vector<DrawnLine> lines;
  std::vector<FilledRect> fills;
  std::vector<DrawnLine> frames;  ///< each rectangle as its corners, top left and bottom right
  int lineWidth = 1;

  void setLineWidth(int width) override { lineWidth = width; }
  void fillRect(const Rect& area, Rgb colour) override { fills.push_back({area, colour}); }
  void frameRect(const Rect& area, Rgb colour) override {
    frames.push_back({{{area.left, area.top}, {area.right, area.bottom}}, colour, lineWidth});
  }
  void drawLine(Point from, Point to, Rgb colour) override {
    lines.push_back({{from, to}, colour, lineWidth});
  }
  void drawPolyline(const Point* points, std::size_t count, Rgb colour) override {
    lines.push_back({std::vector<Point>(points, points + count), colour, lineWidth});
  }
  void drawText(Point topLeft, std::string_view text, const FontSpec& font, Rgb colour,
                std::optional<Rgb> background) override {
    texts.push_back({topLeft, std::string(text), font, colour, background});
  }
  int textWidth(std::string_view text, const FontSpec& font) override {
    return static_cast<int>(text.size()) * FakePlatform::metricsOf(font).averageCharWidth;
  }

  /// The texts drawn in `font`'s family and size, in order.
  std::vector<DrawnText> textsIn(const FontSpec& font) const;
  /// The polylines drawn in `colour`.
  std::vector<DrawnLine> polylinesIn(Rgb colour) const;
};

}  // namespace vistrel::testing
