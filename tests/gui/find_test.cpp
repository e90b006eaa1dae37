// The Find dialog on the real window, offscreen: opened from the Edit menu, a pattern typed into
// its box, the match selected and shown 16 pixels from the left edge in the selection's grey,
// and the ways the dialog closes.
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/commands.h"
#include "gui_fixture.h"
#include "qt/find_dialog.h"
#include "qt/main_window.h"
#include "view/layout.h"

namespace vistrel {
namespace {

/// Opens Find from the Edit menu; the dialog on screen, or nullptr.
QDialog* openFind(Session& s) {
  s.window->action(kFind)->trigger();
  for (auto* dialog : s.window->findChildren<FindDialog*>()) {
    if (dialog->isVisible()) return dialog;
  }
  return nullptr;
}

QPushButton* buttonOf(QDialog* dialog, const QString& text) {
  for (auto* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

TEST_F(Gui, FindSelectsATypedPatternAndShowsIt16PixelsFromTheLeftEdge) {
  auto s = start({sample("sample.ab1")});
  const BaseCalls& calls = s->state.document.shown();
  const std::string sequence(reinterpret_cast<const char*>(calls.bases.data()),
                             static_cast<std::size_t>(calls.baseCount));
  // Plain bases far right of the view, as many as it takes to occur once; a plain base in a
  // pattern matches only itself.
  std::size_t from = 400;
  while (sequence.substr(from, 8).find_first_not_of("ACGT") != std::string::npos) ++from;
  std::size_t length = 8;
  while (sequence.find(sequence.substr(from, length)) != from ||
         sequence.find(sequence.substr(from, length), from + 1) != std::string::npos) {
    ++length;
  }
  const std::string pattern = sequence.substr(from, length);
  ASSERT_EQ(pattern.find_first_not_of("ACGT"), std::string::npos);

  QDialog* dialog = openFind(*s);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(s->state.find.dialogOpen);
  EXPECT_EQ(dialog->windowTitle(), "Find");
  EXPECT_EQ(dialog->findChild<QLabel*>()->text(), "Find:");
  QPushButton* find = buttonOf(dialog, "Find");
  QPushButton* again = buttonOf(dialog, "Find Again");
  ASSERT_TRUE(find != nullptr && again != nullptr && buttonOf(dialog, "Close") != nullptr);
  EXPECT_TRUE(find->isDefault());
  EXPECT_FALSE(find->isEnabled());
  EXPECT_FALSE(again->isEnabled());
  auto* box = dialog->findChild<QLineEdit*>();
  EXPECT_EQ(box->maxLength(), 49);

  // Letters typed while the dialog has the focus go into its box, not to the selected base.
  s->state.view.selectedBase = 0;
  dialog->activateWindow();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), box);
  const QString typed = QString::fromStdString(pattern).toLower();
  for (QChar c : typed) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c.unicode() - 'a'), Qt::NoModifier, c);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
  }
  EXPECT_EQ(box->text(), typed);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(calls.bases.data()), sequence.size()),
            sequence);

  find->click();
  QApplication::processEvents();  // the posted search runs
  const int expected = static_cast<int>(from);
  EXPECT_EQ(s->state.view.selectedBase, expected);
  EXPECT_TRUE(again->isEnabled());
  const int x = sampleToX(s->state.settings, s->state.view.scrollPos, calls.peak(expected));
  EXPECT_EQ(x, 16);
  EXPECT_EQ(s->window->scrollBar()->value(), s->state.view.scrollPos);

  // The selection's grey stands over the whole match; without it the view differs nowhere
  // else.
  const ViewLayout& l = s->state.view.layout;
  const QImage image = render(*s);
  const int last = expected + static_cast<int>(pattern.size()) - 1;
  const int lastX = sampleToX(s->state.settings, s->state.view.scrollPos, calls.peak(last));
  const QRect cell(x - l.baseCharWidth, l.letterRowTop(), lastX - x + 2 * l.baseCharWidth,
                   l.baseFontHeight);
  EXPECT_GT(pixelsOf(image, QColor(191, 191, 191),
                     QRect(lastX - l.baseCharWidth / 2, l.letterRowTop(), l.baseCharWidth,
                           l.baseFontHeight)),
            0);
  EXPECT_GT(pixelsOf(image, QColor(191, 191, 191), cell), l.baseCharWidth * l.baseFontHeight / 4);
  s->state.view.selectedBase = -1;
  const QImage unselected = render(*s);
  int changedOutside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int i = 0; i < image.width(); ++i) {
      changedOutside += image.pixel(i, y) != unselected.pixel(i, y) && !cell.contains(i, y);
    }
  }
  EXPECT_EQ(changedOutside, 0);

  buttonOf(dialog, "Close")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(s->state.find.dialogOpen);
}

TEST_F(Gui, TheFindDialogClosesByEscapeAndWithTheMainWindow) {
  auto s = start({sample("sample.ab1")});
  QDialog* dialog = openFind(*s);
  ASSERT_NE(dialog, nullptr);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(dialog, &escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(s->state.find.dialogOpen);

  // Opened again, it starts empty with its search buttons disabled.
  dialog = openFind(*s);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->findChild<QLineEdit*>()->text().isEmpty());
  EXPECT_FALSE(buttonOf(dialog, "Find")->isEnabled());
  EXPECT_TRUE(s->window->close());
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(s->state.find.dialogOpen);
}

}  // namespace
}  // namespace vistrel
