// The Print command around the print job: dialogs, colours, progress and messages.
#include "app/print_command.h"

#include <algorithm>

#include "output/output_error.h"
#include "view/print_job.h"

namespace vistrel {

namespace {

/// The job's observer: progress texts, Cancel, and events served with the screen's colours.
class PrintSession : public PrintObserver {
 public:
  PrintSession(AppState& app, Platform& platform) : app_(app), platform_(platform) {}

  void pageStarted(int page) override {
    platform_.showPrintProgress("Printing page " + std::to_string(page));
  }
  bool cancelled() override { return platform_.printCancelled(); }
  void serveEvents() override {
    useGreen(app_.document, app_.settings, kScreenGreen);
    platform_.processPendingEvents();
    useGreen(app_.document, app_.settings, kPrintGreen);
  }

 private:
  AppState& app_;
  Platform& platform_;
};

}  // namespace

void printDocument(AppState& app, Platform& platform) {
  if (!app.document.loaded) return;
  std::optional<PrintChoice> choice = platform.choosePrinter();
  if (!choice || !choice->device) return;
  const PageRange range{choice->allPages, choice->fromPage, choice->toPage};
  PrintSession session(app, platform);
  platform.showPrintProgress("Printing...");
  useGreen(app.document, app.settings, kPrintGreen);
  const PrintOutcome outcome =
      printChromatogram(app.document, app.settings, *choice->device, range, session);
  useGreen(app.document, app.settings, kScreenGreen);
  platform.closePrintProgress();
  std::string message;
  switch (outcome) {
    case PrintOutcome::PageTooSmall:
      message = kPageTooSmallMessage;
      break;
    case PrintOutcome::NoSuchPage:
      // The first page asked for, whichever end of the range it was given at.
      message = "There is no page " + std::to_string(std::min(range.from, range.to));
      break;
    case PrintOutcome::Failed:
      message = kCannotWriteMessage;
      break;
    default:
      return;
  }
  platform.showMessage(message, MessageIcon::Stop, MessageOwner::MainWindow);
}

}  // namespace vistrel
