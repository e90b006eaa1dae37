// The Edit and Options menus' commands on the real window: Copy Sequence to the real
// clipboard, Reverse Complement with its check mark and Undo, and the switch between the
// original and the edited base calls.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include "app/commands.h"
#include "gui_fixture.h"
#include "qt/main_window.h"

namespace vistrel {
namespace {

std::string shownLetters(const Session& s) {
  const BaseCalls& calls = s.state.document.shown();
  return {reinterpret_cast<const char*>(calls.bases.data()),
          static_cast<std::size_t>(calls.baseCount)};
}

TEST_F(Gui, CopySequencePutsTheShownLettersOnTheClipboard) {
  auto s = start({sample("sample.ab1")});
  s->state.document.modified = true;
  s->window->action(kCopyFasta)->trigger();
  const std::string letters = shownLetters(*s);
  const QString text = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(text.startsWith(">sample sequence exported from chromatogram file\r\n" +
                              QString::fromLatin1(letters.substr(0, 60)) + "\r\n"))
      << text.left(130).toStdString();
  EXPECT_EQ(text.count("\r\n"), 1 + static_cast<int>((letters.size() - 1) / 60));
  EXPECT_TRUE(s->state.document.modified);  // the clipboard is no save
}

TEST_F(Gui, ReverseComplementIsCheckedUntilUndone) {
  auto s = start({sample("sample.ab1")});
  const std::string before = shownLetters(*s);
  QAction* reverse = s->window->action(kReverseComplement);
  reverse->trigger();
  auto* edit = qobject_cast<QMenu*>(reverse->parent());
  ASSERT_NE(edit, nullptr);
  emit edit->aboutToShow();
  EXPECT_TRUE(reverse->isChecked());
  EXPECT_NE(shownLetters(*s), before);
  s->window->action(kUndo)->trigger();
  emit edit->aboutToShow();
  EXPECT_FALSE(reverse->isChecked());
  EXPECT_FALSE(s->window->action(kUndo)->isEnabled());
  EXPECT_EQ(shownLetters(*s), before);
}

TEST_F(Gui, TheSetSwitchShowsTheOtherBaseCalls) {
  auto s = start({sample("sample.ab1")});
  const Chromatogram& d = s->state.document;
  s->window->action(kOriginalSequence)->trigger();
  EXPECT_TRUE(d.originalShown);
  EXPECT_EQ(d.shown().baseCount, d.original.baseCount);
  s->window->action(kEditedSequence)->trigger();
  EXPECT_FALSE(d.originalShown);
  EXPECT_EQ(s->state.settings.showOriginalSequence, 0);
}

}  // namespace
}  // namespace vistrel
