// Save, Save As, Export, Export Raw Data and the save-changes prompt.
#include "app/save_commands.h"

#include <algorithm>

#include "app/status_text.h"
#include "edit/edit_model.h"
#include "output/raw_export.h"
#include "output/scf_writer.h"
#include "output/sequence_export.h"
#include "platform/local_date.h"
#include "platform/paths.h"

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
    auto choice = platform.chooseFileToSave(
        {"Save As", {{"SCF file", "*.scf"}}, 0, siblingWithSuffix(app.document.filePath, ".scf")});
    if (!choice) return false;
    target = choice->path;
  }
  OutputError error = saveScf(app.document, target, saveAs, localDate());
  if (!report(platform, error, saveAs ? kCannotCreateMessage : "The file could not be opened")) {
    return false;
  }
  markSaved(app.edit);
  if (saveAs) {
    platform.invalidate(app.view.infoBand());
    platform.setWindowTitle(traceWindowTitle(app));
  }
  return true;
}

bool exportSequenceCommand(AppState& app, Platform& platform,
                           const std::optional<TrimRegion>& trimmed) {
  if (const char* refusal = exportRefusal(app.document, kExportText)) {
    platform.showMessage(refusal, MessageIcon::Exclamation, MessageOwner::MainWindow);
    return false;
  }
  SaveDialog dialog{trimmed ? "Export Trimmed" : "Export",
                    {{"Text", "*.seq"}, {"FASTA", "*.seq"}},
                    app.settings.exportFormat,
                    {}};
  // FASTQ is offered only where there are qualities to write; a stored FASTQ choice then opens
  // at FASTA.
  if (exportRefusal(app.document, kExportFastq) == nullptr) {
    dialog.filters.push_back({"FASTQ", "*.fastq"});
  } else {
    dialog.selectedFilter = std::min(dialog.selectedFilter, int{kExportFasta});
  }
  dialog.suggested = siblingWithSuffix(
      app.document.filePath,
      dialog.selectedFilter == kExportFastq ? ".fastq" : (trimmed ? ".trimmed.seq" : ".seq"));
  auto choice = platform.chooseFileToSave(dialog);
  if (!choice) return false;
  const int filterCount = static_cast<int>(dialog.filters.size());
  const int format =
      choice->filter > 0 && choice->filter < filterCount ? choice->filter : kExportText;
  OutputError error = exportSequence(app.document, choice->path, format, trimmed);
  // The choice is remembered once the file could be created.
  if (error.kind != OutputError::CreateFailed) app.settings.exportFormat = format;
  return report(platform, error, kCannotCreateMessage);
}

bool exportRawDataCommand(AppState& app, Platform& platform) {
  auto choice = platform.chooseFileToSave({"Export Trace Data",
                                           {{"Text", "*.txt"}},
                                           0,
                                           siblingWithSuffix(app.document.filePath, ".txt")});
  if (!choice) return false;
  return report(platform, exportRawData(app.document, choice->path), kCannotCreateMessage);
}

std::string saveChangesText(const Chromatogram& document, bool otherSetModified) {
  std::string text;
  if (document.modified) {
    text = "The sequence of " + document.fileTitle +
           " has been modified. Do you want to save or export it?";
  }
  if (!otherSetModified) return text;
  // Saving and exporting write the set shown: say so, and how to keep the other one.
  const std::string shown = document.originalShown ? "original" : "edited";
  const std::string hidden = document.originalShown ? "edited" : "original";
  if (document.modified) {
    text += "\n\nThe " + hidden + " sequence, which is not shown, has unsaved changes too.";
  } else {
    text = "The " + hidden + " sequence of " + document.fileTitle +
           ", which is not shown, has unsaved changes.";
  }
  text += "\n\nSave and Export write only the " + shown + " sequence shown";
  if (document.isScf) return text + ".";
  return text + "; to keep the changes to the " + hidden +
         " sequence, choose Cancel and show it first.";
}

bool hasUnsavedChanges(const AppState& app) {
  return app.document.loaded && (app.document.modified || app.edit.otherSetModified != 0);
}

bool settleUnsavedChanges(AppState& app, Platform& platform) {
  if (!hasUnsavedChanges(app)) return true;
  const std::string text = saveChangesText(app.document, app.edit.otherSetModified != 0);
  switch (platform.askToSaveChanges(text, !app.document.isScf)) {
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
