// The loading flow. The new document is read aside and takes the old one's place only when it is
// complete, so a failure leaves the window as it was, unsaved changes included.
#include "app/load_flow.h"

#include <filesystem>

#include "app/new_window.h"
#include "app/save_commands.h"
#include "app/status_text.h"
#include "document/trace_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "view/scrolling.h"

namespace vistrel {

namespace {

/// A failed load's message, naming the file: a drop or a multiple selection may name several.
void showLoadError(Platform& platform, const std::string& path, const LoadError& error) {
  platform.showMessage("Could not open " + path + "\n\n" + loadErrorMessage(error),
                       MessageIcon::Stop,
                       isOwnerlessMessage(error) ? MessageOwner::None : MessageOwner::MainWindow);
}

bool openOrReport(InputFile& file, const std::string& path, Platform& platform) {
  if (file.open(path)) return true;
  showLoadError(platform, path, {LoadError::OpenFailed, file.openErrorCode()});
  return false;
}

/// Reads the open file into a document of its own. The shown document is not touched, so a
/// failure leaves it as it was.
LoadError readDocument(InputFile& file, bool showOriginal, Chromatogram& read,
                       std::string& sampleName) {
  Block image;
  switch (file.readAll(image)) {
    case FileReadStatus::Ok:
      break;
    case FileReadStatus::NoMemory:
      return {LoadError::NoMemory};
    default:
      return {LoadError::Unreadable};
  }
  file.close();
  LoadError error = readTraceImage(std::move(image), showOriginal, read, sampleName);
  if (error) return error;
  // Every letter gets a peak of its own, so that edits, clicks and a reverse complement keep
  // the two arrays in step.
  if (!matchPeaksToBases(read.edited) || !matchPeaksToBases(read.original)) {
    return {LoadError::NoMemory};
  }
  return {};
}

/// Puts `read` in place of the shown document. The channel colours carry over, as a channel of
/// an unknown letter keeps its colour into the next document.
void publish(AppState& app, Platform& platform, Chromatogram read, const std::string& path) {
  for (int c = 0; c < 4; ++c) read.channels[c].colour = app.document.channels[c].colour;
  app.document = std::move(read);
  recomputeChannelColours(app.document, app.settings);
  nameDocumentAfter(app.document, path);
  app.view.selectedBase = -1;
  app.view.insertCaret = 0;
  app.view.selectionAnchor = -1;
  app.view.positionTickX = -1;
  app.edit = EditState{};
  app.view.documentNumber += 1;
  resetScrolling(app.document, app.settings, app.view, platform);
  platform.invalidate(app.view.clientArea());
}

bool loadPath(AppState& app, Platform& platform, const std::string& path) {
  InputFile file;
  if (!openOrReport(file, path, platform)) return false;
  if (hasUnsavedChanges(app)) {
    if (!settleUnsavedChanges(app, platform)) return false;
    // A save may have replaced the file at this path: read what is there now.
    if (!openOrReport(file, path, platform)) return false;
  }
  platform.setCursor(CursorShape::Wait);
  Chromatogram read;
  std::string sampleName;
  const LoadError error =
      readDocument(file, app.settings.showOriginalSequence != 0, read, sampleName);
  if (error) {
    showLoadError(platform, path, error);
    return false;
  }
  publish(app, platform, std::move(read), path);
  app.sampleName = sampleName;
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  app.settings.lastFolder = parentFolderOf(failed ? path : absolute.lexically_normal().string());
  platform.setWindowTitle(traceWindowTitle(app));
  rememberRecentFile(platform.settingsPath(), path);
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
  return loadFiles(app, platform, platform.chooseFilesToOpen(app.settings.lastFolder));
}

bool openRecentFile(AppState& app, Platform& platform, int index) {
  const std::vector<std::string> files = readRecentFiles(platform.settingsPath());
  if (index < 0 || static_cast<std::size_t>(index) >= files.size()) return false;
  return loadFiles(app, platform, {files[static_cast<std::size_t>(index)]});
}

}  // namespace vistrel
