// What the window keeps for a day's work, through the real window offscreen: the title naming
// the file and marking unsaved changes, the first start fitting the traces with the height kept
// for the next, and Open Recent after a restart.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "edit/input.h"
#include "gui_fixture.h"
#include "platform/command_ids.h"

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

}  // namespace
}  // namespace vistrel
