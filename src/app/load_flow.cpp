// The loading flow. Until the old document is discarded every failure leaves it intact; after
// that a failure leaves no document and the start screen.
#include "app/load_flow.h"

#include "app/new_window.h"
#include "document/trace_file.h"
#include "output/save_commands.h"
#include "platform/files.h"
#include "view/scrolling.h"

namespace vistrel {

namespace {

void showLoadError(Platform& platform, const LoadError& error) {
  platform.showMessage(loadErrorMessage(error), MessageIcon::Stop,
                       isOwnerlessMessage(error) ? MessageOwner::None : MessageOwner::MainWindow);
}

/// Releases the document; the channel colours stay, as a channel of an unknown letter keeps
/// its colour into the next document.
void discard(Chromatogram& document) {
  std::array<Rgb, 4> colours;
  for (int c = 0; c < 4; ++c) colours[c] = document.channels[c].colour;
  document = Chromatogram{};
  for (int c = 0; c < 4; ++c) document.channels[c].colour = colours[c];
}

bool loadPath(AppState& app, Platform& platform, const std::string& path) {
  InputFile file;
  if (!file.open(path)) {
    showLoadError(platform, {LoadError::OpenFailed, file.openErrorCode()});
    return false;
  }
  if (!settleUnsavedChanges(app, platform)) return false;
  if (app.document.loaded) {
    discard(app.document);
    platform.invalidate(app.view.clientArea());
  }

  Block image;
  switch (file.readAll(image)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::NoMemory:
      showLoadError(platform, {LoadError::NoMemory});
      return false;
    default:
      showLoadError(platform, {LoadError::Unreadable});
      return false;
  }
  file.close();

  platform.setCursor(CursorShape::Wait);
  Chromatogram read;
  std::string sampleName;
  LoadError error =
      readTraceImage(std::move(image), app.settings.showOriginalSequence != 0, read, sampleName);
  if (error) {
    showLoadError(platform, error);
    return false;
  }
  platform.setWindowTitle(windowTitleFor(sampleName));

  for (int c = 0; c < 4; ++c) read.channels[c].colour = app.document.channels[c].colour;
  app.document = std::move(read);
  recomputeChannelColours(app.document, app.settings);
  app.view.scrollPos = 0;
  nameDocumentAfter(app.document, path);
  app.edit = EditState{};
  resetScrolling(app, platform);
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
