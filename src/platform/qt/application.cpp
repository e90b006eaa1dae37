// Start-up of the desktop program.
#include "platform/qt/application.h"

#include <QApplication>
#include <QFile>

#include "app/command_line.h"
#include "app/startup.h"
#include "platform/qt/dialogs.h"

namespace vistrel {

std::unique_ptr<Session> startSession(const QStringList& arguments) {
  auto session = std::make_unique<Session>();
  session->window = std::make_unique<MainWindow>(session->state);
  session->platform = std::make_unique<QtPlatform>(*session->window, session->state);
  session->window->attach(*session->platform);

  std::vector<std::string> args;
  for (const QString& a : arguments) args.push_back(QFile::encodeName(a).toStdString());
  prepareStartup(session->state, *session->platform, std::move(args));
  const Rect placed = initialWindowRect(session->state, *session->platform);
  session->window->move(placed.left, placed.top);
  session->window->resize(placed.width(), placed.height());
  session->platform->enableScrollBar(false);
  session->window->show();
  applyCommandLine(session->state, *session->platform);
  return session;
}

int runVistrel(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Vistrel");
  QApplication::setWindowIcon(programIcon());
  std::unique_ptr<Session> session = startSession(QApplication::arguments());
  return QApplication::exec();
}

}  // namespace vistrel
