// Start-up of the desktop program.
#include "qt/application.h"

#include <QApplication>
#include <iostream>

#include "app/command_line.h"
#include "app/contig_painting.h"
#include "app/program_options.h"
#include "app/startup.h"
#include "qt/dialogs.h"

namespace vistrel {

std::unique_ptr<Session> startSession(std::vector<std::string> arguments) {
  auto session = std::make_unique<Session>();
  session->window = std::make_unique<MainWindow>(session->state);
  session->platform = std::make_unique<QtPlatform>(*session->window, session->state);
  session->window->attach(*session->platform);

  prepareStartup(session->state, *session->platform, std::move(arguments));
  session->window->applyToolbarSetting();
  session->window->placeFrame(initialWindowRect(session->state, *session->platform));
  session->platform->enableScrollBar(false);
  // Sized before it is shown, so that a window manager never sees a window as high as the
  // screen and moves it to fit.
  applySwitches(session->state, *session->platform);
  Session* placed = session.get();
  session->window->onFramed = [placed] { applySwitches(placed->state, *placed->platform); };
  session->window->show();
  const std::string notOpened = openCommandLineFile(session->state, *session->platform);
  if (!notOpened.empty()) std::cerr << "vistrel: " << notOpened << '\n';
  goToCommandLineBase(session->state, *session->platform);
  return session;
}

int runVistrel(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Vistrel");
  QApplication::setWindowIcon(programIcon());
  // The arguments as the system gave them (Qt has taken out its own): a path is bytes, and a
  // name that is not valid UTF-8 must reach the file system unchanged.
  std::unique_ptr<Session> session = startSession({argv, argv + argc});
  return QApplication::exec();
}

std::unique_ptr<ContigSession> startContigSession(const ContigWindowRequest& request) {
  auto session = std::make_unique<ContigSession>();
  session->window = std::make_unique<ContigWindow>(session->state, session->app.settings);
  session->platform = std::make_unique<QtPlatform>(*session->window, session->app);
  session->window->attach(*session->platform);
  prepareStartup(session->app, *session->platform, {});
  const FontMetrics font = session->platform->measureFont(kContigFont);
  session->state.view.charWidth = std::max(font.averageCharWidth, 1);
  session->state.view.charHeight = std::max(font.height, 1);
  const Rect desk = session->platform->desktopRect();
  session->window->resize(std::min(desk.width() * 9 / 10, 1280),
                          std::min(desk.height() * 9 / 10, 860));
  session->window->show();
  ContigWindow* window = session->window.get();
  window->view()->setCursor(Qt::BusyCursor);
  openContigInBackground(session->state, *session->platform, request, [window](bool laid) {
    window->view()->unsetCursor();
    // Nothing to show: the message has said why, and the program ends.
    if (!laid) QCoreApplication::exit(1);
    window->refresh();
  });
  window->refresh();
  return session;
}

int runContigProgram(int argc, char** argv) {
  std::string error;
  const std::optional<ContigWindowRequest> request =
      parseContigArguments({argv, argv + argc}, error);
  if (!request) {
    std::cerr << "vistrel: " << error << '\n' << kHelpText;
    return 2;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName("Vistrel");
  QApplication::setWindowIcon(programIcon());
  std::unique_ptr<ContigSession> session = startContigSession(*request);
  return QApplication::exec();
}

}  // namespace vistrel
