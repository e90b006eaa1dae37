// The loading flow. Until the old document is discarded every failure leaves it intact; after
// that a failure leaves no document and the window as start-up leaves it.
#include "app/load_flow.h"

#include "app/new_window.h"
#include "app/save_commands.h"
#include "document/trace_file.h"
#include "platform/files.h"
#include "view/scrolling.h"

namespace vistrel {

namespace {

void showLoadError(Platform& platform, const LoadError& error) {
  platform.showMessage(loadErrorMessage(error), MessageIcon::Stop,
                       isOwnerlessMessage(error) ? MessageOwner::None : MessageOwner::MainWindow);
}

bool openOrReport(InputFile& file, const std::string& path, Platform& platform) {
  if (file.open(path)) return true;
  showLoadError(platform, {LoadError::OpenFailed, file.openErrorCode()});
  return false;
}

/// Releases the document; the channel colours stay, as a channel of an unknown letter keeps
/// its colour into the next document.
void discard(Chromatogram& document) {
  std::array<Rgb, 4> colours;
  for (int c = 0; c < 4; ++c) colours[c] = document.channels[c].colour;
  document = Chromatogram{};
  for (int c = 0; c < 4; ++c) document.channels[c].colour = colours[c];
}

/// A load that ends without a document leaves the window as start-up does.
bool failWithoutDocument(AppState& app, Platform& platform, const LoadError& error) {
  showLoadError(platform, error);
  platform.setWindowTitle(windowTitleFor({}));
  clearScrolling(app.view, platform);
  return false;
}

void resetMarks(AppState& app) {
  app.view.selectedBase = -1;
  app.view.insertCaret = 0;
  app.view.positionTickX = -1;
  app.edit = EditState{};
}

bool loadPath(AppState& app, Platform& platform, const std::string& path) {
  InputFile file;
  if (!openOrReport(file, path, platform)) return false;
  if (app.document.loaded && app.document.modified) {
    if (!settleUnsavedChanges(app, platform)) return false;
    // A save may have replaced the file at this path: read what is there now.
    if (!openOrReport(file, path, platform)) return false;
  }
  if (app.document.loaded) {
    discard(app.document);
    platform.invalidate(app.view.clientArea());
  }

  Block image;
  switch (file.readAll(image)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::NoMemory:
      return failWithoutDocument(app, platform, {LoadError::NoMemory});
    default:
      return failWithoutDocument(app, platform, {LoadError::Unreadable});
  }
  file.close();

  platform.setCursor(CursorShape::Wait);
  Chromatogram read;
  std::string sampleName;
  LoadError error =
      readTraceImage(std::move(image), app.settings.showOriginalSequence != 0, read, sampleName);
  if (error) return failWithoutDocument(app, platform, error);
  platform.setWindowTitle(windowTitleFor(sampleName));

  for (int c = 0; c < 4; ++c) read.channels[c].colour = app.document.channels[c].colour;
  app.document = std::move(read);
  recomputeChannelColours(app.document, app.settings);
  nameDocumentAfter(app.document, path);
  resetMarks(app);
  resetScrolling(app.document, app.settings, app.view, platform);
  platform.invalidate(app.view.clientArea());
  return true;
}

}  // namespace

bool loadFiles(AppState& app, Platform& platform, const std::vector<std::string>& paths) {
  if (paths.empty()) return false;
  for (std::size_t i = 1; i < paths.size(); ++i) {
    if (!openNewWindow(app, platform, &paths[i])) break;
  }
  return loadPath(app, platform, paths.front());
}

bool loadTrace(AppState& app, Platform& platform, bool askUser) {
  if (!askUser) {
    const std::string path = app.document.filePath;  // a copy: loading discards the document
    return loadPath(app, platform, path);
  }
  return loadFiles(app, platform, platform.chooseFilesToOpen());
}

}  // namespace vistrel
