// The Print command around the print job: dialogs, colours, progress and messages.
#include "app/print_command.h"

#include "output/output_error.h"
#include "view/print_job.h"

namespace vistrel {

namespace {

constexpr std::size_t kGreen = 1;

/// The job's observer: progress texts, Cancel, and events served with the screen's colours.
class PrintSession : public PrintObserver {
 public:
  PrintSession(AppState& app, Platform& platform) : app_(app), platform_(platform) {}

  void useColours(Rgb green) {
    app_.settings.colourTable[kGreen] = green;
    recomputeChannelColours(app_.document, app_.settings);
  }

  void pageStarted(int page) override {
    platform_.showPrintProgress("Printing page " + std::to_string(page));
  }
  bool cancelled() override { return platform_.printCancelled(); }
  void serveEvents() override {
    useColours(kScreenGreen);
    platform_.processPendingEvents();
    useColours(kPrintGreen);
  }

 private:
  AppState& app_;
  Platform& platform_;
};

void showStop(Platform& platform, const std::string& text) {
  platform.showMessage(text, MessageIcon::Stop, MessageOwner::MainWindow);
}

}  // namespace

void printDocument(AppState& app, Platform& platform) {
  if (!app.document.loaded) return;
  std::optional<PrintChoice> choice = platform.choosePrinter();
  if (!choice || !choice->device) return;
  PrintGeometry geometry;
  if (!computePrintGeometry(*choice->device, app.settings, app.document.maxSampleCount, geometry)) {
    showStop(platform, kPageTooSmallMessage);
    return;
  }
  PageRange range{choice->allPages, choice->fromPage, choice->toPage};
  PageRange settled = range;
  if (!settlePageRange(settled, geometry.pageCount)) {
    showStop(platform, "There is no page " + std::to_string(settled.from));
    return;
  }

  PrintSession session(app, platform);
  platform.showPrintProgress("Printing...");
  session.useColours(kPrintGreen);
  const PrintOutcome outcome =
      printChromatogram(app.document, app.settings, *choice->device, range, session);
  session.useColours(kScreenGreen);
  platform.closePrintProgress();
  if (outcome == PrintOutcome::Failed) showStop(platform, kCannotWriteMessage);
}

}  // namespace vistrel
