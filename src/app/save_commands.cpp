// Save, Save As, Export, Export Raw Data and the save-changes prompt.
#include "app/save_commands.h"

#include "output/raw_export.h"
#include "output/scf_writer.h"
#include "output/sequence_export.h"
#include "platform/local_date.h"

namespace vistrel {

namespace {

bool report(Platform& platform, const OutputError& error, const char* createFallback) {
  if (!error) return true;
  platform.showMessage(outputErrorMessage(error, createFallback), MessageIcon::Stop,
                       MessageOwner::MainWindow);
  return false;
}

}  // namespace

bool saveDocument(AppState& app, Platform& platform, bool saveAs) {
  std::string target = app.document.filePath;
  if (saveAs) {
    auto choice = platform.chooseFileToSave({"Save As", {{"SCF file", "*.scf"}}, 0});
    if (!choice) return false;
    target = choice->path;
  }
  OutputError error = saveScf(app.document, target, saveAs, localDate());
  if (!report(platform, error, saveAs ? kCannotCreateMessage : "The file could not be opened")) {
    return false;
  }
  if (saveAs) platform.invalidate(app.view.infoBand());
  return true;
}

bool exportSequenceCommand(AppState& app, Platform& platform) {
  auto choice = platform.chooseFileToSave(
      {"Export", {{"Text", "*.seq"}, {"FASTA", "*.seq"}}, app.settings.exportFormat});
  if (!choice) return false;
  const int format = choice->filter == kExportFasta ? kExportFasta : kExportText;
  OutputError error = exportSequence(app.document, choice->path, format);
  // The choice is remembered once the file could be created.
  if (error.kind != OutputError::CreateFailed) app.settings.exportFormat = format;
  return report(platform, error, kCannotCreateMessage);
}

bool exportRawDataCommand(AppState& app, Platform& platform) {
  auto choice = platform.chooseFileToSave({"Export Trace Data", {{"Text", "*.txt"}}, 0});
  if (!choice) return false;
  return report(platform, exportRawData(app.document, choice->path), kCannotCreateMessage);
}

std::string saveChangesText(const Chromatogram& document) {
  return "The sequence of " + document.fileTitle +
         " has been modified. Do you want to save or export it?";
}

bool settleUnsavedChanges(AppState& app, Platform& platform) {
  if (!app.document.loaded || !app.document.modified) return true;
  switch (platform.askToSaveChanges(saveChangesText(app.document), !app.document.isScf)) {
    case PromptAnswer::Save:
      return saveDocument(app, platform, !app.document.isScf);
    case PromptAnswer::Export:
      return exportSequenceCommand(app, platform);
    case PromptAnswer::DontSave:
      return true;
    case PromptAnswer::Cancel:
      return false;
  }
  return false;
}

}  // namespace vistrel
