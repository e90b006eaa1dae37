// The real window, offscreen: start-up with a file, what the view shows where the layout puts
// it, zoom and scrolling through the menu actions, the scroll bar and the wheel, the Colors
// dialog, the save-changes prompt, dropped files, and the settings that closing writes and the
// next start reads.
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/commands.h"
#include "gui_fixture.h"
#include "qt/detached_process.h"
#include "qt/main_window.h"
#include "view/scrolling.h"

namespace vistrel {
namespace {

TEST_F(Gui, StartsWithTheFileOnTheCommandLine) {
  auto s = start({sample("sample.ab1")});
  EXPECT_EQ(shownTitle(*s->window), "Vistrel - Vistrel sample (sample.ab1)");
  EXPECT_TRUE(s->state.document.loaded);
  // The window is exactly as high as the layout needs.
  EXPECT_EQ(s->window->view()->height(),
            s->state.view.layout.neededClientHeight(s->state.settings.traceHeight()));
}

TEST_F(Gui, ShowsTracesOverTheBlackBaselineWhereTheLayoutPutsThem) {
  auto s = start({sample("sample.ab1")});
  const ViewLayout& l = s->state.view.layout;
  QImage image = render(*s);
  const int baseline = l.baseline(s->state.settings.traceHeight());
  const int width = image.width();
  // The baseline is drawn over the traces across the whole width.
  EXPECT_EQ(pixelsOf(image, Qt::black, QRect(0, baseline, width, 1)), width);
  // Each dye's colour appears in the trace area, and nowhere below the baseline's row.
  const QRect traces(0, l.traceTop() - 1, width, baseline - l.traceTop() + 1);
  for (QColor colour : {QColor(0, 191, 0), QColor(0, 0, 255), QColor(255, 0, 0)}) {
    EXPECT_GT(pixelsNear(image, colour, traces), 100) << colour.name().toStdString();
    EXPECT_EQ(
        pixelsNear(image, colour, QRect(0, baseline + 1, width, image.height() - baseline - 1)), 0);
  }
  // Letters in their colours in the letter row, white around them.
  const QRect letters(0, l.letterRowTop(), width, l.baseFontHeight);
  EXPECT_GT(pixelsOf(image, QColor(0, 191, 0), letters), 20);
  EXPECT_GT(pixelsOf(image, Qt::white, letters), width * l.baseFontHeight / 2);
}

TEST_F(Gui, TheStartScreenShowsTheNameWhenNothingIsLoaded) {
  auto s = start({});
  EXPECT_EQ(shownTitle(*s->window), "Vistrel");
  QImage image = render(*s);
  // The coloured letters of the name: pure red, green and blue.
  for (QColor colour : {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)}) {
    EXPECT_GT(pixelsOf(image, colour, image.rect()), 10);
  }
}

TEST_F(Gui, ZoomAndScrollThroughTheMenusAndTheScrollBar) {
  auto s = start({sample("sample.ab1")});
  QScrollBar* bar = s->window->scrollBar();
  const int n = s->state.document.maxSampleCount;
  const int width = s->state.view.clientWidth;
  EXPECT_EQ(bar->maximum(), n - width);

  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(s->state.view.scrollPos, 16);
  EXPECT_EQ(bar->value(), 16);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(s->state.view.scrollPos, 16 + width - 16);

  s->window->action(kXZoomFirst)->trigger();  // 0.25
  EXPECT_EQ(s->state.settings.xZoomMode, kReduce);
  EXPECT_EQ(bar->maximum(), std::max(n - 4 * width, 0));
  bar->triggerAction(QAbstractSlider::SliderToMaximum);  // ignored
  EXPECT_EQ(bar->value(), s->state.view.scrollPos);

  s->window->action(kFitToWindow)->trigger();
  EXPECT_FALSE(bar->isEnabled());
  EXPECT_EQ(s->state.view.scrollPos, 0);
  EXPECT_EQ(s->state.settings.xZoomLevel, n / width + 1);
  QImage fitted = render(*s);
  const ViewLayout& l = s->state.view.layout;
  // No letters in fit mode.
  EXPECT_EQ(pixelsOf(fitted, QColor(0, 191, 0),
                     QRect(0, l.letterRowTop(), fitted.width(), l.baseFontHeight)),
            0);
}

TEST_F(Gui, YScaleAndFontSizeSetTheWindowHeight) {
  auto s = start({sample("sample.scf")});
  s->window->action(kYScaleSmall)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(s->window->view()->height(), s->state.view.layout.neededClientHeight(100));
  s->window->action(kFontLarge)->trigger();
  QApplication::processEvents();
  EXPECT_EQ(s->window->view()->height(), s->state.view.layout.neededClientHeight(100));
  EXPECT_EQ(s->state.view.layout.infoFont.pixelHeight, 17);
}

TEST_F(Gui, ColoursDialogRecoloursTheTraces) {
  auto s = start({sample("sample.scf")});
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Colors");
    QList<QComboBox*> lists = dialog->findChildren<QComboBox*>();
    ASSERT_EQ(lists.size(), 5);
    lists[1]->setCurrentIndex(3);  // A: Yellow
    dialog->accept();
  });
  s->window->action(kColours)->trigger();
  EXPECT_EQ(s->state.settings.colourA, 3);
  QImage image = render(*s);
  EXPECT_GT(pixelsNear(image, QColor(191, 191, 0), image.rect()), 100);
  // No green is left, smoothed or not: green with at most a little red or blue.
  int green = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      green += c.green() > 120 && c.red() < 100 && c.blue() < 100 ? 1 : 0;
    }
  }
  EXPECT_EQ(green, 0);
}

TEST_F(Gui, ClosingWritesTheSettingsThatTheNextStartReads) {
  {
    auto s = start({sample("sample.ab1"), "/s"});
    s->window->action(kXZoomFirst + 1)->trigger();  // 0.5
    s->window->action(kYZoomFirst + 2)->trigger();  // 4
    s->window->close();
    QApplication::processEvents();
  }
  const std::string written = settingsText();
  EXPECT_NE(written.find("X Zoom=-1"), std::string::npos) << written;
  EXPECT_NE(written.find("Y Zoom=2"), std::string::npos);
  EXPECT_NE(written.find("Y scale=4"), std::string::npos);
  EXPECT_NE(written.find("winsizeX="), std::string::npos);

  auto again = start({});
  EXPECT_EQ(again->state.settings.xZoomMode, kReduce);
  EXPECT_EQ(again->state.settings.xZoomLevel, 1);
  EXPECT_EQ(again->state.settings.yZoom, 2);
  EXPECT_EQ(again->state.settings.traceHeight(), 100);
}

TEST_F(Gui, ADroppedFileGoesThroughTheLoadingFlow) {
  auto s = start({sample("sample.ab1")});
  s->state.document.modified = true;
  answerPrompt("Cancel");
  dropFile(s->window->view(), sample("sample.scf"));
  EXPECT_EQ(s->state.document.fileTitle, "sample.ab1");

  answerPrompt("Don't Save");
  dropFile(s->window->view(), sample("sample.scf"));
  EXPECT_EQ(s->state.document.fileTitle, "sample.scf");
  render(*s);  // the load's repaint, after which the title drops the mark
  EXPECT_EQ(shownTitle(*s->window), "Vistrel - sample.scf");
}

TEST_F(Gui, TheThumbStandsWhereTheViewDoes) {
  auto s = start({sample("sample.ab1")});
  ViewScrollBar* bar = s->window->scrollBar();
  const int& scrollPos = s->state.view.scrollPos;
  auto thumbFollows = [&](const char* after) {
    EXPECT_EQ(bar->value(), scrollPos) << after;
    EXPECT_EQ(bar->sliderPosition(), scrollPos) << after;
  };
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);  // ignored: the thumb stays
  thumbFollows("a jump to the end");
  dropFile(s->window->view(), sample("sample.scf"));
  EXPECT_EQ(scrollPos, 0);
  thumbFollows("loading another file");

  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  s->window->action(kFitToWindow)->trigger();
  s->window->action(kXZoomFirst + 3)->trigger();  // x2
  thumbFollows("fit, then a zoom");

  // At the end of the trace, a wider window leaves the view past the range's end.
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  const int position = bar->maximum();
  scrollView(s->state.document, s->state.settings, s->state.view, *s->platform,
             ScrollAction::ThumbPosition, position);
  s->window->resize(s->window->width() + 300, s->window->height());
  QApplication::processEvents();
  EXPECT_EQ(scrollPos, position);
  thumbFollows("a resize");

  // The wheel over the bar scrolls the view, three line steps a notch.
  s->window->action(kXZoomFirst + 2)->trigger();  // x1
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  const int before = scrollPos;
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar, &wheel);
  EXPECT_EQ(scrollPos, std::max(before - 48, 0));
  thumbFollows("the wheel");
}

TEST_F(Gui, ThePromptShowsItsButtonsInItsOwnOrderAndEscapeCancels) {
  auto s = start({sample("sample.ab1")});
  s->state.document.modified = true;
  QStringList order;
  QTimer::singleShot(0, [&order] {
    auto* prompt = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(prompt, nullptr);
    QList<QPushButton*> buttons = prompt->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (QPushButton* button : buttons) order << button->text();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(prompt, &escape);
  });
  EXPECT_FALSE(s->window->close());
  EXPECT_EQ(order, (QStringList{"Save As...", "Export...", "Don't Save", "Cancel"}));
  EXPECT_TRUE(s->window->isVisible());
}

TEST_F(Gui, AFileNameThatIsNotUtf8OpensFromTheCommandLineAndByDrop) {
  QTemporaryDir folder;
  const std::string latin1 = folder.path().toStdString() + "/run \xe9.ab1";
  const std::string other = folder.path().toStdString() + "/run \xe8.scf";
  std::filesystem::copy_file(sample("sample.ab1"), latin1);
  std::filesystem::copy_file(sample("sample.scf"), other);
  auto s = start({latin1});
  EXPECT_TRUE(s->state.document.loaded);
  EXPECT_EQ(s->state.document.filePath, latin1);
  dropFile(s->window->view(), other);
  EXPECT_EQ(s->state.document.filePath, other);
  EXPECT_TRUE(s->state.document.isScf);
}

TEST(DetachedProcess, PassesArgumentsAsBytesAndTellsWhyItCouldNotStart) {
  QTemporaryDir folder;
  const std::string out = folder.path().toStdString() + "/out";
  const std::string latin1 = "/data/run \xe9.ab1";
  EXPECT_EQ(startDetachedProcess(
                "/bin/sh", {"-c", "printf %s \"$1\" > \"$2.part\" && mv \"$2.part\" \"$2\"", "sh",
                            latin1, out}),
            StartResult::Started);
  QElapsedTimer waited;
  waited.start();
  while (!std::filesystem::exists(out) && waited.elapsed() < 10000) QThread::msleep(10);
  std::ifstream written(out, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), latin1);

  EXPECT_EQ(startDetachedProcess(folder.path().toStdString() + "/missing", {}),
            StartResult::NotFound);
  EXPECT_EQ(startDetachedProcess(folder.path().toStdString(), {}), StartResult::Failed);
}

TEST_F(Gui, MenusGrayWhatCannotApply) {
  auto s = start({});
  auto* file = qobject_cast<QMenu*>(s->window->action(kSave)->parent());
  ASSERT_NE(file, nullptr);
  emit file->aboutToShow();
  EXPECT_FALSE(s->window->action(kSave)->isEnabled());
  EXPECT_FALSE(s->window->action(kSaveAs)->isEnabled());
  EXPECT_TRUE(s->window->action(kOpen)->isEnabled());
  emit file->aboutToHide();
  // Accelerators reach the commands again once the menu is closed.
  EXPECT_TRUE(s->window->action(kSave)->isEnabled());
}

}  // namespace
}  // namespace vistrel
