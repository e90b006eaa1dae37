// Start-up to the first painted frame, as a whole process: `first_paint empty` shows an empty
// window that paints nothing, `first_paint vistrel ARGS...` starts the program's window with
// ARGS; either exits as soon as its window (the view, for the program) has painted once.
// bench/startup.sh times both.
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "qt/application.h"

namespace {

/// Quits the application after the first paint event of `target`.
class QuitOnFirstPaint : public QObject {
 public:
  QWidget* target = nullptr;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched == target) {
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  QApplication application(argc, argv);
  QuitOnFirstPaint quit;
  application.installEventFilter(&quit);
  std::unique_ptr<QWidget> empty;
  std::unique_ptr<vistrel::Session> session;
  if (std::strcmp(argv[1], "empty") == 0) {
    empty = std::make_unique<QWidget>();
    empty->resize(1280, 300);
    empty->show();
    quit.target = empty.get();
  } else {
    std::vector<std::string> arguments(argv, argv + argc);
    arguments.erase(arguments.begin() + 1);
    session = vistrel::startSession(arguments);
    quit.target = session->window->view();
  }
  return QApplication::exec();
}
