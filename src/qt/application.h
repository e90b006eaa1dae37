// One running window of the program: its state, the Qt window and the platform over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/contig_window.h"
#include "qt/contig_window.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

namespace vistrel {

struct Session {
  AppState state;
  std::unique_ptr<MainWindow> window;
  std::unique_ptr<QtPlatform> platform;
};

/// Start-up with a QApplication in place: reads the settings, creates, places and shows the
/// window, and applies the command line (`arguments` include the program itself, as bytes).
std::unique_ptr<Session> startSession(std::vector<std::string> arguments);

/// The desktop program: start-up, then the event loop until the window closes.
int runVistrel(int argc, char** argv);

/// One contig window: the settings (for the letters' colours), the contig and the Qt window.
struct ContigSession {
  AppState app;
  ContigWindowState state;
  std::unique_ptr<ContigWindow> window;
  std::unique_ptr<QtPlatform> platform;
};

/// With a QApplication in place: shows the contig window of `request` and lays its reads in the
/// background; when nothing can be laid, the message says why and the event loop ends with 1.
std::unique_ptr<ContigSession> startContigSession(const ContigWindowRequest& request);

/// `vistrel --contig ...`: the contig window until it closes; 2 for a command line that cannot
/// be run, 1 when nothing could be laid.
int runContigProgram(int argc, char** argv);

}  // namespace vistrel
