// What the program takes from the desktop without a window of its own: the screen's fonts, the
// menu bar's colours, and where the settings file lives.
#pragma once

#include <string>

#include "platform/platform.h"

namespace vistrel {

/// The screen as the view's painting sees it: fonts measured on the screen, and the colours of
/// the application's menu bars.
class DesktopLook final : public ScreenLook {
 public:
  FontMetrics measureFont(const FontSpec& font) override;
  Rgb menuColour() override;
  Rgb menuTextColour() override;
};

/// $XDG_CONFIG_HOME/vistrel.ini, by default ~/.config/vistrel.ini.
std::string settingsFilePath();

}  // namespace vistrel
