// What the window keeps for a day's work, through the real window offscreen: the title naming
// the file and marking unsaved changes, the first start fitting the traces with the height kept
// for the next, and Open Recent after a restart.
#include <QAction>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <filesystem>

#include "edit/input.h"
#include "gui_fixture.h"
#include "platform/command_ids.h"
#include "view/layout.h"
#include "view/scrolling.h"

namespace vistrel {
namespace {

QMenu* menuTitled(QWidget& window, const QString& title) {
  for (QMenu* menu : window.findChildren<QMenu*>()) {
    if (menu->title() == title) return menu;
  }
  return nullptr;
}

TEST_F(Gui, TheTitleMarksUnsavedChangesAndUndoToTheSavePointTakesTheMarkAway) {
  auto s = start({sample("sample.ab1")});
  EXPECT_EQ(shownTitle(*s->window), "Vistrel - Vistrel sample (sample.ab1)");
  EditContext c = editContext(s->state, *s->platform);
  c.view.selectedBase = 10;
  typeCharacter(c, s->state.document.shown().base(10) == 'A' ? 'C' : 'A');
  render(*s);
  EXPECT_EQ(shownTitle(*s->window), "Vistrel - Vistrel sample (sample.ab1)*");
  s->window->action(kUndo)->trigger();
  EXPECT_EQ(shownTitle(*s->window), "Vistrel - Vistrel sample (sample.ab1)");
}

TEST_F(Gui, AFirstStartFitsTheTracesToTheWindowAndTheNextStartKeepsItsHeight) {
  std::filesystem::remove(settingsPath());
  int height = 0;
  {
    auto s = start({sample("sample.ab1")});
    EXPECT_EQ(s->state.settings.fitWindow, 1);
    s->window->resize(s->window->width(), 520);
    QApplication::processEvents();
    // The traces take what the rows above them leave.
    EXPECT_EQ(traceAreaHeight(s->state.settings, s->state.view),
              s->state.view.clientHeight - s->state.view.layout.neededClientHeight(0));
    height = s->window->frameGeometry().height();
    ASSERT_TRUE(s->window->close());
  }
  EXPECT_NE(settingsText().find("winsizeY=" + std::to_string(height) + "\n"), std::string::npos);
  auto again = start({sample("sample.ab1")});
  EXPECT_EQ(again->window->frameGeometry().height(), height);
}

TEST_F(Gui, OpenRecentListsTheFilesOfEarlierRunsNewestFirstAndOpensThem) {
  for (const char* name : {"sample.scf", "sample.ab1"}) {
    auto s = start({sample(name)});
    ASSERT_TRUE(s->window->close());
  }
  auto s = start({});
  QMenu* recent = menuTitled(*s->window, "Open Recent");
  ASSERT_NE(recent, nullptr);
  emit recent->aboutToShow();
  const QList<QAction*> items = recent->actions();
  ASSERT_EQ(items.size(), 2);
  const QString newest = QString::fromStdString(
      std::filesystem::absolute(sample("sample.ab1")).lexically_normal().string());
  EXPECT_EQ(items[0]->text(), "&1 " + newest);
  EXPECT_TRUE(items[1]->text().endsWith("sample.scf"));
  items[1]->trigger();
  EXPECT_EQ(s->state.document.fileTitle, "sample.scf");
}

TEST_F(Gui, SaveAsOffersTheTracesNameAsScfBesideIt) {
  auto s = start({sample("sample.ab1")});
  QStringList offered, filters;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    offered = dialog->selectedFiles();
    filters = dialog->nameFilters();
    dialog->reject();
  });
  s->window->action(kSaveAs)->trigger();
  const std::string expected =
      std::filesystem::absolute(sample("sample.scf")).lexically_normal().string();
  EXPECT_EQ(offered, QStringList{QString::fromStdString(expected)});
  EXPECT_EQ(filters, QStringList{"SCF file (*.scf)"});
}

/// The sample at pixel column `x` of the view.
int sampleAt(const Session& s, int x) {
  return s.state.view.scrollPos + xToSampleOffset(s.state.settings, x);
}

TEST_F(Gui, ZoomingKeepsTheSampleUnderThePointerWithinACharacter) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  scrollView(s->state.document, s->state.settings, s->state.view, *s->platform,
             ScrollAction::ThumbPosition, 1500);
  const int cw = s->state.view.layout.baseCharWidth;
  const int y = s->state.view.layout.traceTop() + 20;
  // Ctrl and the wheel, in, at column 300.
  const int before = sampleAt(*s, 300);
  QWheelEvent wheel(QPointF(300, y), view->mapToGlobal(QPointF(300, y)), {}, {0, 120}, Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  EXPECT_EQ(xZoomValue(s->state.settings), 1);
  EXPECT_LE(std::abs(sampleToX(s->state.settings, s->state.view.scrollPos, before) - 300), cw);
  // The zoom-out key, with the pointer moved to column 500.
  QMouseEvent move(QEvent::MouseMove, QPointF(500, y), view->mapToGlobal(QPointF(500, y)),
                   Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &move);
  const int under = sampleAt(*s, 500);
  s->window->action(kZoomOut)->trigger();
  EXPECT_EQ(xZoomValue(s->state.settings), 0);
  EXPECT_LE(std::abs(sampleToX(s->state.settings, s->state.view.scrollPos, under) - 500), cw);
}

TEST_F(Gui, HomeEndAndThePageKeysMoveThroughTheRead) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  auto press = [&](int code) {
    QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
  };
  press(Qt::Key_End);
  const BaseCalls& calls = s->state.document.shown();
  EXPECT_EQ(s->state.view.selectedBase, calls.baseCount - 1);
  EXPECT_GT(s->state.view.scrollPos, 0);
  press(Qt::Key_Home);
  EXPECT_EQ(s->state.view.selectedBase, 0);
  EXPECT_EQ(s->state.view.scrollPos, 0);
  // A page is the window's width less the overlap the scroll bar's page keeps.
  press(Qt::Key_PageDown);
  EXPECT_EQ(s->state.view.scrollPos, visibleSpan(s->state.settings, s->state.view.clientWidth) -
                                         s->state.settings.scrollStep);
  press(Qt::Key_PageUp);
  EXPECT_EQ(s->state.view.scrollPos, 0);
}

TEST_F(Gui, TheToolbarRunsItsCommandsAndViewHidesItForTheNextStartToo) {
  {
    auto s = start({sample("sample.ab1")});
    auto* toolbar = s->window->findChild<QToolBar*>("toolbar");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(toolbar->isVisible());
    QAction* zoomIn = nullptr;
    for (QAction* a : toolbar->actions()) {
      if (a->text() == "Zoom In") zoomIn = a;
    }
    ASSERT_NE(zoomIn, nullptr);
    zoomIn->trigger();
    EXPECT_EQ(xZoomValue(s->state.settings), 1);
    const int viewHeight = s->window->view()->height();
    s->window->action(kShowToolbar)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(toolbar->isVisible());
    EXPECT_EQ(s->window->view()->height(), viewHeight);
    ASSERT_TRUE(s->window->close());
  }
  auto s = start({});
  EXPECT_FALSE(s->window->findChild<QToolBar*>("toolbar")->isVisible());
}

}  // namespace
}  // namespace vistrel
