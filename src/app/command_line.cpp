// Command-line switches and the file named at start-up.
#include "app/command_line.h"

#include <filesystem>

#include "app/load_flow.h"
#include "edit/navigation.h"
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
  if (switchSeen) return;
  if (app.settings.fitWindow != 0) {
    setFittedWindowHeight(app.settings, app.view, platform);
  } else {
    setYScale(app.settings, app.view, platform, app.settings.yScaleShift == 4);
  }
}

namespace {

/// "NAME: reason", in the words of the file-open error table where it has them.
std::string notFound(const std::string& name, const std::error_code& error) {
  const char* reason = fileOpenErrorText(fileOpenErrorCode(error.value(), name));
  return name + ": " + (reason != nullptr ? reason : error.message());
}

/// A missing absolute path reads as a switch; one with a folder in it was meant as a file.
bool meantAsPath(const std::string& argument) {
  return argument.find('/', 1) != std::string::npos;
}

}  // namespace

std::string openCommandLineFile(AppState& app, Platform& platform) {
  const std::vector<std::string>& args = app.startup.arguments;
  if (args.size() < 2) return {};
  std::error_code error;
  const auto status = std::filesystem::status(args[1], error);
  if (isSwitch(args[1])) return meantAsPath(args[1]) ? notFound(args[1], error) : std::string();
  if (!std::filesystem::exists(status)) return notFound(args[1], error);
  if (error || std::filesystem::is_directory(status)) return {};
  app.document.filePath = args[1];
  loadTrace(app, platform, false);
  return {};
}

void goToCommandLineBase(AppState& app, Platform& platform) {
  const std::vector<std::string>& args = app.startup.arguments;
  for (std::size_t i = 2; i + 1 < args.size(); ++i) {
    if (args[i] != "--base") continue;
    const int base = leadingInt(args[i + 1]);
    EditContext c = editContext(app, platform);
    if (base > 0) goToBase(c, base - 1);
    return;
  }
}

}  // namespace vistrel
