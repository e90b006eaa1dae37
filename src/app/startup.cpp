// Start-up before the window exists.
#include "app/startup.h"

#include "view/layout.h"
#include "view/settings.h"

namespace vistrel {

void prepareStartup(AppState& app, Platform& platform, std::vector<std::string> arguments) {
  app.startup.arguments = std::move(arguments);
  app.settings = readSettings(platform.settingsPath(), platform.desktopRect().width());
  createFonts(app.view.layout, platform, app.settings.largeFonts != 0);
}

Rect initialWindowRect(const AppState& app, Platform& platform) {
  const ViewSettings& s = app.settings;
  const int height = platform.desktopRect().height();
  return {s.windowLeft, s.windowTop, s.windowLeft + s.windowWidth, s.windowTop + height};
}

}  // namespace vistrel
