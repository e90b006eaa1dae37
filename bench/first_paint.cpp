// Start-up to the first painted frame, as a whole process: `first_paint empty` shows an empty
// window that paints nothing, `first_paint vistrel ARGS...` starts the program's window with
// ARGS, `first_paint contig FILE...` the contig window of FILE... (the first a FASTA reference)
// and `first_paint contig-laid FILE...` the same until its rows are painted laid; each exits as
// soon as its window (the view, for the program) has painted so. bench/startup.sh and
// bench/contig_window.sh time them.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "qt/application.h"

namespace {

/// Quits the application after the first paint event of `target`.
class QuitOnFirstPaint : public QObject {
 public:
  QWidget* target = nullptr;
  /// Until this says so, a paint does not count.
  std::function<bool()> ready = [] { return true; };
  /// Ends the process at once, not waiting for work still running in the background.
  bool exitAtOnce = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched == target && ready()) {
      if (exitAtOnce) std::_Exit(0);
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
  std::unique_ptr<vistrel::ContigSession> contig;
  const bool laid = std::strcmp(argv[1], "contig-laid") == 0;
  if (laid || std::strcmp(argv[1], "contig") == 0) {
    if (argc < 4) return 2;
    contig = vistrel::startContigSession({{argv + 3, argv + argc}, argv[2], "", false});
    quit.target = contig->window->view();
    vistrel::ContigSession* shown = contig.get();
    if (laid) quit.ready = [shown] { return !shown->state.laying; };
    quit.exitAtOnce = !laid;
  } else if (std::strcmp(argv[1], "empty") == 0) {
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
