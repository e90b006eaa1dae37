// The reference commands: reading the file, and the row that comes and goes with it.
#include "app/reference_commands.h"

#include <string>

#include "app/reference_row.h"
#include "view/scrolling.h"

namespace vistrel {

void alignToReferenceCommand(AppState& app, Platform& platform) {
  const std::optional<std::string> path = platform.chooseReferenceFile();
  if (!path) return;
  std::string record;
  const std::vector<std::string> headers = referenceRecordsInFile(*path);
  if (headers.size() > 1) {
    const std::optional<std::size_t> chosen = platform.chooseReferenceRecord(headers);
    if (!chosen) return;
    record = headers[*chosen];
  }
  std::string error;
  Reference reference = readReferenceFile(*path, record, error);
  if (!error.empty()) {
    platform.showMessage("Could not use " + *path + " as the reference\n\n" + error,
                         MessageIcon::Stop, MessageOwner::MainWindow);
    return;
  }
  app.reference.reference = std::move(reference);
  app.reference.number += 1;
  showReferenceRow(app.view, platform, true);
  followReference(app, platform);
}

void clearReferenceCommand(AppState& app, Platform& platform) {
  if (!app.reference.reference) return;
  app.reference.reference.reset();
  app.reference.number += 1;
  showReferenceRow(app.view, platform, false);
  followReference(app, platform);
}

}  // namespace vistrel
