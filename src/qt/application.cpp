// Start-up of the desktop program.
#include "qt/application.h"

#include <QApplication>
#include <iostream>

#include "app/command_line.h"
#include "app/startup.h"
#include "qt/dialogs.h"

namespace vistrel {

std::unique_ptr<Session> startSession(std::vector<std::string> arguments) {
  auto session = std::make_unique<Session>();
  session->window = std::make_unique<MainWindow>(session->state);
  session->platform = std::make_unique<QtPlatform>(*session->window, session->state);
  session->window->attach(*session->platform);

  prepareStartup(session->state, *session->platform, std::move(arguments));
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

}  // namespace vistrel
