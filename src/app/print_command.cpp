// The Print command around the print job: dialogs, colours, progress and messages.
#include "app/print_command.h"

#include <algorithm>

#include "edit/view_updates.h"
#include "output/output_error.h"
#include "view/print_job.h"

namespace vistrel {

namespace {

/// The job's observer: progress texts, Cancel, and the window served while pages are drawn.
class PrintSession : public PrintObserver {
 public:
  explicit PrintSession(Platform& platform) : platform_(platform) {}

  void pageStarted(int page) override {
    platform_.showPrintProgress("Printing page " + std::to_string(page));
  }
  bool cancelled() override { return platform_.printCancelled(); }
  void serveEvents() override { platform_.processPendingEvents(); }

 private:
  Platform& platform_;
};

}  // namespace

void printDocument(AppState& app, Platform& platform) {
  if (!app.document.loaded) return;
  std::optional<PrintChoice> choice = platform.choosePrinter();
  if (!choice || !choice->device) return;
  const PageRange range{choice->allPages, choice->fromPage, choice->toPage};
  PrintSession session(platform);
  platform.showPrintProgress("Printing...");
  const PrintOutcome outcome =
      printChromatogram(app.document, readMarksOf(app.document, app.settings), app.settings,
                        printPalette(app.document, app.settings), *choice->device, range, session);
  platform.closePrintProgress();
  std::string message;
  switch (outcome) {
    case PrintOutcome::PageTooSmall:
      message = kPageTooSmallMessage;
      break;
    case PrintOutcome::PageTooShort:
      message = kPageTooShortMessage;
      break;
    case PrintOutcome::NoSuchPage:
      // The first page asked for, whichever end of the range it was given at.
      message = "There is no page " + std::to_string(std::min(range.from, range.to));
      break;
    case PrintOutcome::Failed:
      message = choice->device->failure();
      if (message.empty()) message = kCannotWriteMessage;
      break;
    default:
      return;
  }
  platform.showMessage(message, MessageIcon::Stop, MessageOwner::MainWindow);
}

}  // namespace vistrel
