// One running window of the program: its state, the Qt window and the platform over it.
#pragma once

#include <QStringList>
#include <memory>

#include "app/app_state.h"
#include "platform/qt/main_window.h"
#include "platform/qt/qt_platform.h"

namespace vistrel {

struct Session {
  AppState state;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<QtPlatform> platform;
};

/// Start-up with a QApplication in place: reads the settings, creates, places and shows the
/// window, and applies the command line (`arguments` include the program itself).
std::unique_ptr<Session> startSession(const QStringList& arguments);

/// The desktop program: start-up, then the event loop until the window closes.
int runVistrel(int argc, char** argv);

}  // namespace vistrel
