// New Window and its cascade of placements.
#include "app/new_window.h"

namespace vistrel {

namespace {

constexpr int kCascadeStep = 30;

/// True when the instance started; else its failure's message is shown.
bool reportStart(Platform& platform, StartResult result) {
  switch (result) {
    case StartResult::Started:
      return true;
    case StartResult::NotFound:
      platform.showMessage("Cannot find \"VISTREL.EXE\"", MessageIcon::Stop,
                           MessageOwner::MainWindow);
      return false;
    case StartResult::NoMemory:
      platform.showMessage("Insufficient memory", MessageIcon::Stop, MessageOwner::MainWindow);
      return false;
    case StartResult::Failed:
      platform.showMessage("Cannot run \"VISTREL.EXE\"", MessageIcon::Stop,
                           MessageOwner::MainWindow);
      return false;
  }
  return false;
}

}  // namespace

std::vector<std::string> newWindowArguments(const AppState& app, Platform& platform,
                                            const std::string* path) {
  std::vector<std::string> arguments;
  if (path != nullptr) arguments.push_back(*path);
  const std::string scale = app.settings.yScaleShift == 3 ? "/l" : "/s";
  const Rect outer = platform.windowRect();
  const int screen = platform.screenHeight();
  const int k = app.startup.newWindowCount;
  std::string placement;
  if (k == 0) {
    // The first window goes where there is more room: above this one or below it.
    placement = screen - outer.bottom < outer.top ? "/a" + std::to_string(outer.top)
                                                  : "/b" + std::to_string(outer.bottom);
  } else {
    const int top = outer.top + kCascadeStep * k;
    placement = top + 10 >= screen ? "/a" + std::to_string(outer.top) : "/b" + std::to_string(top);
  }
  arguments.push_back(scale);
  arguments.push_back(placement);
  return arguments;
}

bool openNewWindow(AppState& app, Platform& platform, const std::string* path) {
  if (!reportStart(platform, platform.startInstance(newWindowArguments(app, platform, path)))) {
    return false;
  }
  int& count = app.startup.newWindowCount;
  count += 1;
  if (kCascadeStep * count > platform.screenHeight() - 100) count = 0;
  return true;
}

bool openNewContig(Platform& platform) {
  const std::vector<std::string> files = platform.chooseFilesToOpen({});
  if (files.empty()) return false;
  std::vector<std::string> arguments = {"--contig"};
  if (const std::optional<std::string> reference =
          platform.chooseReferenceFile(kContigReferenceTitle)) {
    arguments.insert(arguments.end(), {"--ref", *reference});
  }
  // Whatever a file is named, it is never taken for an option.
  arguments.push_back("--");
  arguments.insert(arguments.end(), files.begin(), files.end());
  return reportStart(platform, platform.startInstance(arguments));
}

}  // namespace vistrel
