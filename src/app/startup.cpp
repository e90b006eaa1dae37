// Start-up before the window exists.
#include "app/startup.h"

#include <algorithm>
#include <cstdint>

#include "view/layout.h"
#include "view/settings.h"

namespace vistrel {

namespace {

// A window narrower than this is of no use; one wider than this is more than any window system
// makes.
constexpr std::int64_t kNarrowestWindow = 160;
constexpr std::int64_t kWidestWindow = 32767;
// The title bar is within reach when its top rows and this many of its columns lie on the
// desktop's work area.
constexpr std::int64_t kTitleBarRows = 24;
constexpr std::int64_t kTitleBarGrip = 64;

bool titleBarReachable(std::int64_t left, std::int64_t top, std::int64_t width, const Rect& desk) {
  const std::int64_t overlap =
      std::min<std::int64_t>(left + width, desk.right) - std::max<std::int64_t>(left, desk.left);
  return top >= desk.top && top + kTitleBarRows <= desk.bottom && overlap >= kTitleBarGrip;
}

}  // namespace

void prepareStartup(AppState& app, Platform& platform, std::vector<std::string> arguments) {
  app.startup.arguments = std::move(arguments);
  app.settings = readSettings(platform.settingsPath(), platform.desktopRect().width());
  createFonts(app.view.layout, platform, app.settings.largeFonts != 0);
}

Rect initialWindowRect(const AppState& app, Platform& platform) {
  const ViewSettings& s = app.settings;
  const Rect desk = platform.desktopRect();
  // In 64 bits: the stored values may be any int, and their sums must not overflow.
  std::int64_t left = s.windowLeft;
  std::int64_t top = s.windowTop;
  std::int64_t width = s.windowWidth;
  const std::int64_t height = desk.height();
  if (width < kNarrowestWindow || width > kWidestWindow) width = desk.width();
  if (!titleBarReachable(left, top, width, desk)) {
    // Onto the work area, moved no further than needed.
    left = std::clamp<std::int64_t>(left, desk.left,
                                    std::max<std::int64_t>(desk.left, desk.right - width));
    top = std::clamp<std::int64_t>(top, desk.top,
                                   std::max<std::int64_t>(desk.top, desk.bottom - height));
  }
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
          static_cast<int>(top + height)};
}

}  // namespace vistrel
