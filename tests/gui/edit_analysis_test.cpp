// Tools > Edit Analysis in the real window, offscreen: the dialog answered, the analysis window
// shown with its spectrum drawn, and the trace window left as it was.
#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "gui_fixture.h"
#include "planted_edits.h"
#include "platform/command_ids.h"
#include "qt/edit_analysis_widgets.h"

namespace vistrel {
namespace {

/// Fills the Edit Analysis dialog shown next with `control` and `guide` and presses OK.
void answerEditDialog(const std::string& control, const std::string& guide) {
  QTimer::singleShot(0, [control, guide] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("control")->setText(QString::fromStdString(control));
    dialog->findChild<QLineEdit*>("guide")->setText(QString::fromStdString(guide));
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ASSERT_TRUE(ok->isEnabled());
    ok->click();
  });
}

QString statusOf(Session& s) {
  return s.window->statusBar()->findChild<QLabel*>()->text();
}

TEST_F(Gui, EditAnalysisShowsItsWindowAndLeavesTheTraceWindowAlone) {
  const std::string file = std::string(VISTREL_TEST_DATA "/abi/3730.ab1");
  Chromatogram control;
  if (!testing::readReal("3730.ab1", control)) GTEST_SKIP() << "the test traces were not fetched";
  auto s = start({file});
  ASSERT_TRUE(s->state.document.loaded);
  const testing::Site site = testing::guideOf(control, 200, false);
  testing::plantMixture(control, site.cut, {{0, 0.5}, {-3, 0.5}}, s->state.document);
  render(*s);
  const QString status = statusOf(*s);
  ASSERT_FALSE(status.isEmpty());

  QStringList menus;
  for (QAction* menu : s->window->menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus.indexOf("&Tools"), menus.indexOf("&View") + 1);
  answerEditDialog(file, site.guide);
  s->window->action(kEditAnalysis)->trigger();
  QApplication::processEvents();

  EditAnalysisWindow* window = s->platform->editAnalysisWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Edit Analysis");
  EXPECT_EQ(window->parentWidget(), s->window.get());
  const QImage image = window->grab().toImage();
  // The deletion's bar, half the plot's height, in the indel colour; the cut line in magenta.
  EXPECT_GT(pixelsOf(image, QColor(70, 110, 180), image.rect()), 400);
  EXPECT_GT(pixelsOf(image, QColor(255, 0, 255), image.rect()), 200);

  render(*s);
  EXPECT_EQ(statusOf(*s), status);
  // A second run fills the same window.
  answerEditDialog(file, site.guide);
  s->window->action(kEditAnalysis)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(s->platform->editAnalysisWindow(), window);
}

}  // namespace
}  // namespace vistrel
