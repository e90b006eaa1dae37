// Command-line switches and the file named at start-up.
#include "app/command_line.h"

#include <filesystem>

#include "app/load_flow.h"
#include "platform/files.h"
#include "view/ini_file.h"

namespace vistrel {

bool pathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

bool isSwitch(const std::string& argument) {
  return !argument.empty() && argument[0] == '/' && !pathExists(argument);
}

std::optional<Placement> placementSwitch(const std::string& argument) {
  if (argument.size() <= 2 || pathExists(argument)) return std::nullopt;
  return Placement{argument[1] == 'a', leadingInt(argument.substr(2))};
}

void applySwitches(AppState& app, Platform& platform) {
  const std::vector<std::string>& args = app.startup.arguments;
  bool switchSeen = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (!isSwitch(args[i])) continue;
    switchSeen = true;
    std::optional<Placement> placement;
    if (i + 1 < args.size()) placement = placementSwitch(args[i + 1]);
    setYScale(app.settings, app.view, platform, args[i].size() > 1 && args[i][1] == 's', placement);
    if (placement) ++i;  // consumed: not examined again
  }
  if (!switchSeen) setYScale(app.settings, app.view, platform, app.settings.yScaleShift == 4);
}

std::string openCommandLineFile(AppState& app, Platform& platform) {
  const std::vector<std::string>& args = app.startup.arguments;
  if (args.size() < 2 || isSwitch(args[1])) return {};
  std::error_code error;
  const auto status = std::filesystem::status(args[1], error);
  if (!std::filesystem::exists(status)) {
    // In the words of the file-open error table where it has them.
    const char* reason = fileOpenErrorText(fileOpenErrorCode(error.value(), args[1]));
    return args[1] + ": " + (reason != nullptr ? reason : error.message());
  }
  if (error || std::filesystem::is_directory(status)) return {};
  app.document.filePath = args[1];
  loadTrace(app, platform, false);
  return {};
}

}  // namespace vistrel
