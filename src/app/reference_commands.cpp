// The reference commands: reading the file, and the row that comes and goes with it.
#include "app/reference_commands.h"

#include <string>

#include "app/app_state.h"
#include "app/shown_read.h"
#include "view/scrolling.h"

namespace vistrel {

void alignToReferenceCommand(AppState& app, Platform& platform) {
  const std::optional<std::string> path = platform.chooseReferenceFile("Align to Reference");
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
  takeReference(app.reference, std::move(reference));
  showReferenceRow(app.view, platform, true);
  followShownRead(app, platform);
}

void clearReferenceCommand(AppState& app, Platform& platform) {
  if (!app.reference.current) return;
  takeReference(app.reference, std::nullopt);
  showReferenceRow(app.view, platform, false);
  followShownRead(app, platform);
}

}  // namespace vistrel
