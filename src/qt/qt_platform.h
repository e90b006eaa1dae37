// The platform interface over Qt, for one main window.
#pragma once

#include <QPointer>
#include <QTextBrowser>
#include <QThreadPool>

#include "app/app_state.h"
#include "platform/platform.h"
#include "qt/dialogs.h"
#include "qt/edit_analysis_widgets.h"
#include "qt/find_dialog.h"
#include "qt/platform_window.h"

namespace vistrel {

class QtPlatform : public Platform {
 public:
  QtPlatform(PlatformWindow& window, AppState& app);
  ~QtPlatform() override;

  void showMessage(const std::string& text, MessageIcon icon, MessageOwner owner) override;
  std::vector<std::string> chooseFilesToOpen(const std::string& folder) override;
  std::optional<SaveChoice> chooseFileToSave(const SaveDialog& dialog) override;
  std::optional<std::string> chooseReferenceFile(const std::string& title) override;
  std::optional<int> askBaseNumber(int current, int count) override;
  std::optional<std::size_t> chooseReferenceRecord(
      const std::vector<std::string>& headers) override;
  PromptAnswer askToSaveChanges(const std::string& text, bool saveAs) override;
  std::optional<std::array<int, 5>> chooseColours(const std::array<int, 5>& current) override;
  void showAbout() override;
  std::optional<PrintChoice> choosePrinter() override;
  void showPrintProgress(const std::string& text) override;
  void closePrintProgress() override;
  bool printCancelled() override;
  void processPendingEvents() override;
  void showFindDialog() override;
  std::optional<EditAnalysisSetup> askEditAnalysisSetup(const EditAnalysisSetup& last) override;
  void showEditAnalysisWindow() override;
  /// The Edit Analysis window, or nullptr while none is open.
  EditAnalysisWindow* editAnalysisWindow() const { return editAnalysis_; }
  void beep() override;
  void invalidate(const Rect& area) override;
  void scroll(int dx, const Rect& area) override;
  void setWindowTitle(const std::string& title) override;
  void setCursor(CursorShape shape) override;
  Rect windowRect() override;
  void moveWindow(const Rect& outer) override;
  Rect clientRect() override;
  bool isMinimized() override;
  int screenHeight() override;
  Rect desktopRect() override;
  void setScrollRange(int maximum, bool redraw) override;
  void setScrollPosition(int position, bool redraw) override;
  void enableScrollBar(bool enabled) override;
  FontMetrics measureFont(const FontSpec& font) override;
  Rgb menuColour() override;
  Rgb menuTextColour() override;
  void setClipboardText(std::string_view text) override;
  std::string settingsPath() override;
  StartResult startInstance(const std::vector<std::string>& arguments) override;
  bool showHelp() override;
  void closeHelp() override;
  void postCommand(int id) override;
  void runInBackground(std::function<std::function<void()>()> work) override;
  void closeWindow() override;
  void quit() override;

 private:
  PlatformWindow& window_;
  AppState& app_;
  QPointer<QTextBrowser> help_;
  QPointer<FindDialog> find_;
  QPointer<EditAnalysisWindow> editAnalysis_;
  QPointer<PrintProgressDialog> printProgress_;
  bool printCancelled_ = false;
  /// One thread, so that background works run in the order given.
  QThreadPool background_;
  /// Shared with what the works hand back: false once this platform is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vistrel
