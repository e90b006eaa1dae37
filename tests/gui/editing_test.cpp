// Editing in the real window, offscreen: clicks and keys as the window system delivers them,
// what the letter row shows afterwards, the accelerators beside typing, the keyboard focus, the
// position tick, and edits that reach the file or are given up when the window closes.
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <filesystem>

#include "document/trace_file.h"
#include "gui_fixture.h"
#include "qt/main_window.h"
#include "view/layout.h"

// The entry through which QTest offers a key to the shortcuts before the focus widget sees it,
// as the window system's key events do.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace vistrel {
namespace {

const QColor kSelectionCell(191, 191, 191);
const QColor kCaret(64, 64, 64);

/// Pixels of `area` drawn in the colour of N, violet, blended a little with the cell's grey.
int violetPixels(const QImage& image, QRect area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() - c.green() > 150 && c.blue() - c.green() > 150) ++count;
    }
  }
  return count;
}

void sendMouse(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, held, modifiers);
  QApplication::sendEvent(view, &event);
}

void click(QWidget* view, QPoint at) {
  sendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

/// A key as the keyboard gives it: the accelerators first, then the widget.
void key(QWidget* target, int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {}) {
  if (qt_sendShortcutOverrideEvent(target, 0, code, modifiers, text, false, 1)) return;
  QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, code, modifiers, text);
  QApplication::sendEvent(target, &release);
}

void typeText(QWidget* target, const QString& text) {
  // The key codes of printable ASCII characters are those of their upper-case forms.
  for (QChar c : text) key(target, c.toUpper().unicode(), Qt::NoModifier, c);
}

class Editing : public Gui {
 protected:
  const BaseCalls& calls(Session& s) { return s.state.document.shown(); }
  std::string letters(Session& s) {
    const BaseCalls& b = calls(s);
    return std::string(reinterpret_cast<const char*>(b.bases.data()),
                       static_cast<std::size_t>(b.baseCount));
  }
  /// The pixel column of sample `p` in the view.
  int columnOf(Session& s, int p) { return sampleToX(s.state.settings, s.state.view.scrollPos, p); }
  /// The middle of base `i`'s letter.
  QPoint letterPoint(Session& s, int i) {
    const ViewLayout& l = s.state.view.layout;
    return {columnOf(s, calls(s).peak(i)), l.letterRowTop() + l.baseFontHeight / 2};
  }
  /// The cell of base `i`'s letter.
  QRect cellOf(Session& s, int i) {
    const ViewLayout& l = s.state.view.layout;
    return {letterPoint(s, i).x() - l.baseCharWidth / 2, l.letterRowTop(), l.baseCharWidth,
            l.baseFontHeight};
  }
  /// The first base at or after `from` whose letter is `letter`.
  int firstBase(Session& s, char letter, int from = 0) {
    const std::string all = letters(s);
    return static_cast<int>(all.find(letter, static_cast<std::size_t>(from)));
  }
  /// A copy of the SCF sample in a folder of the test's own.
  std::string scfCopy() {
    const std::string path = folder_.path().toStdString() + "/edited.scf";
    std::filesystem::copy_file(sample("sample.scf"), path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
  }
  std::string lettersInFile(const std::string& path) {
    Chromatogram read;
    std::string name;
    EXPECT_FALSE(readTraceFile(path, false, read, name));
    return std::string(reinterpret_cast<const char*>(read.shown().bases.data()),
                       static_cast<std::size_t>(read.shown().baseCount));
  }

  QTemporaryDir folder_;
};

TEST_F(Editing, AClickedLetterIsSelectedAndATypedOneReplacesItOnScreen) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  const int base = firstBase(*s, 'A', 5);
  ASSERT_GT(base, 0);
  ASSERT_LT(columnOf(*s, calls(*s).peak(base)), view->width() - 20);
  EXPECT_EQ(pixelsOf(render(*s), kSelectionCell, cellOf(*s, base)), 0);

  click(view, letterPoint(*s, base));
  EXPECT_EQ(s->state.view.selectedBase, base);
  EXPECT_TRUE(view->hasFocus());
  QImage selected = render(*s);
  EXPECT_GT(pixelsOf(selected, kSelectionCell, cellOf(*s, base)), 10);
  EXPECT_EQ(violetPixels(selected, cellOf(*s, base)), 0);

  typeText(view, "n");
  EXPECT_EQ(letters(*s)[static_cast<std::size_t>(base)], 'n');
  EXPECT_TRUE(s->state.document.modified);
  EXPECT_GT(violetPixels(render(*s), cellOf(*s, base)), 5);

  // The arrows move the grey cell.
  key(view, Qt::Key_Right);
  QImage moved = render(*s);
  EXPECT_EQ(pixelsOf(moved, kSelectionCell, cellOf(*s, base)), 0);
  EXPECT_GT(pixelsOf(moved, kSelectionCell, cellOf(*s, base + 1)), 10);
}

TEST_F(Editing, ALetterTypedBetweenTwoIsInsertedAndCtrlZTakesItBack) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  const std::string before = letters(*s);
  const int count = calls(*s).baseCount;
  const int between = (calls(*s).peak(10) + calls(*s).peak(11)) / 2;
  const QPoint caretPoint(columnOf(*s, between), letterPoint(*s, 10).y());

  click(view, caretPoint);
  EXPECT_EQ(s->state.view.insertCaret, between);
  EXPECT_GT(pixelsOf(render(*s), kCaret, QRect(caretPoint.x(), letterPoint(*s, 10).y() - 3, 1, 6)),
            0);
  typeText(view, "t");
  EXPECT_EQ(calls(*s).baseCount, count + 1);
  EXPECT_EQ(letters(*s).substr(10, 3), (std::string{before[10], 't', before[11]}));
  EXPECT_EQ(calls(*s).peak(11), between);
  EXPECT_EQ(s->state.view.selectedBase, 11);

  // The accelerator undoes and types nothing, though a caret stands again afterwards.
  key(view, Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
  EXPECT_EQ(letters(*s), before);
  EXPECT_EQ(s->state.view.insertCaret, between);
  EXPECT_FALSE(s->state.document.modified);
  key(view, Qt::Key_U, Qt::ControlModifier, QString(QChar(21)));
  // A Ctrl letter without an accelerator is no typing either, whatever text it carries.
  key(view, Qt::Key_J, Qt::ControlModifier, "j");
  key(view, Qt::Key_G, Qt::AltModifier, "g");
  EXPECT_EQ(letters(*s), before);
}

TEST_F(Editing, AShiftSelectionIsCopiedAndDeletedAsOneStepAndADragSelectsToo) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  const std::string before = letters(*s);
  click(view, letterPoint(*s, 10));
  sendMouse(view, QEvent::MouseButtonPress, letterPoint(*s, 13), Qt::LeftButton, Qt::LeftButton,
            Qt::ShiftModifier);
  sendMouse(view, QEvent::MouseButtonRelease, letterPoint(*s, 13), Qt::LeftButton, Qt::NoButton,
            Qt::ShiftModifier);
  key(view, Qt::Key_Right, Qt::ShiftModifier);
  ASSERT_EQ(s->state.view.selectedRange(), (std::pair<std::int32_t, std::int32_t>{10, 14}));
  // Every letter of the range on the selection's grey.
  const QImage image = render(*s);
  for (int i = 10; i <= 14; ++i) EXPECT_GT(pixelsOf(image, kSelectionCell, cellOf(*s, i)), 0) << i;
  EXPECT_EQ(pixelsOf(image, kSelectionCell, cellOf(*s, 15)), 0);
  key(view, Qt::Key_C, Qt::ControlModifier, QString(QChar(3)));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), before.substr(10, 5));
  key(view, Qt::Key_Delete);
  EXPECT_EQ(letters(*s), before.substr(0, 10) + before.substr(15));
  key(view, Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
  EXPECT_EQ(letters(*s), before);

  // Pressed on one letter and moved along the row to another.
  sendMouse(view, QEvent::MouseButtonPress, letterPoint(*s, 30), Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseMove, letterPoint(*s, 33), Qt::NoButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, letterPoint(*s, 33), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(s->state.view.selectedRange(), (std::pair<std::int32_t, std::int32_t>{30, 33}));
}

TEST_F(Editing, RedoByEitherKeyGivesBackWhatUndoTookAndANewEditClearsIt) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  const std::string before = letters(*s);
  click(view, letterPoint(*s, 20));
  typeText(view, before[20] == 'A' ? "c" : "a");
  const std::string typed = letters(*s);
  auto ctrl = [&](int code, Qt::KeyboardModifiers more, int controlCode) {
    key(view, code, Qt::ControlModifier | more, QString(QChar(controlCode)));
  };
  ctrl(Qt::Key_Z, Qt::NoModifier, 26);
  EXPECT_EQ(letters(*s), before);
  ctrl(Qt::Key_Z, Qt::ShiftModifier, 26);
  EXPECT_EQ(letters(*s), typed);
  EXPECT_TRUE(s->state.document.modified);
  ctrl(Qt::Key_Z, Qt::NoModifier, 26);
  ctrl(Qt::Key_Y, Qt::NoModifier, 25);
  EXPECT_EQ(letters(*s), typed);
  // Undone, then a new letter: there is nothing left to redo.
  ctrl(Qt::Key_Z, Qt::NoModifier, 26);
  click(view, letterPoint(*s, 30));
  typeText(view, "n");
  const std::string retyped = letters(*s);
  ctrl(Qt::Key_Y, Qt::NoModifier, 25);
  EXPECT_EQ(letters(*s), retyped);
}

TEST_F(Editing, TheViewTakesTheKeysBackWhenItsWindowIsActivatedOrClicked) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  // A modeless box of another window, as the Find dialog is.
  QDialog other(s->window.get());
  auto* box = new QLineEdit(&other);
  (new QVBoxLayout(&other))->addWidget(box);
  other.show();
  other.activateWindow();
  box->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), box);
  // A click on the view: the window system activates its window, and the view has the keys.
  s->window->activateWindow();
  click(view, letterPoint(*s, 3));
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), view);
  typeText(QApplication::focusWidget(), "g");
  EXPECT_EQ(letters(*s)[3], 'g');

  other.activateWindow();
  box->setFocus();
  QApplication::processEvents();
  typeText(QApplication::focusWidget(), "c");
  EXPECT_EQ(box->text(), "c");
  EXPECT_EQ(letters(*s)[3], 'g');

  s->window->activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), view);
  typeText(QApplication::focusWidget(), "a");
  EXPECT_EQ(letters(*s)[3], 'a');
}

TEST_F(Editing, HoldingTheButtonOverTheTracesShowsTheTickAndADoubleClickSelectsThePeak) {
  auto s = start({sample("sample.ab1")});
  QWidget* view = s->window->view();
  const ViewLayout& l = s->state.view.layout;
  const int y = l.traceTop() + 40;
  const QRect stroke(100, l.numberRowTop() + l.baseFontHeight, 1, 4);
  sendMouse(view, QEvent::MouseButtonPress, {60, y}, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseMove, {100, y}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(pixelsOf(render(*s), Qt::black, stroke), 4);
  sendMouse(view, QEvent::MouseButtonRelease, {100, y}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(s->state.view.positionTickX, -1);
  EXPECT_EQ(pixelsOf(render(*s), Qt::black, stroke), 0);
  EXPECT_EQ(s->state.view.selectedBase, -1);

  // A double click on a peak selects its base, and its letter turns grey.
  const int base = firstBase(*s, 'T', 5);
  const QPoint peak(columnOf(*s, calls(*s).peak(base)), y);
  click(view, peak);
  sendMouse(view, QEvent::MouseButtonDblClick, peak, Qt::LeftButton, Qt::LeftButton);
  sendMouse(view, QEvent::MouseButtonRelease, peak, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(s->state.view.selectedBase, base);
  EXPECT_GT(pixelsOf(render(*s), kSelectionCell, cellOf(*s, base)), 10);
}

TEST_F(Editing, SaveWritesTheEditedBasesIntoTheScfFile) {
  const std::string path = scfCopy();
  auto s = start({path});
  QWidget* view = s->window->view();
  click(view, letterPoint(*s, 2));
  typeText(view, "R");
  key(view, Qt::Key_Right);
  key(view, Qt::Key_Delete);  // removes base 3
  click(view, letterPoint(*s, 5));
  key(view, Qt::Key_Backspace);  // removes base 5
  std::string expected = letters(*s);
  ASSERT_EQ(expected.size(), lettersInFile(sample("sample.scf")).size() - 2);
  ASSERT_EQ(expected[2], 'R');

  key(view, Qt::Key_S, Qt::ControlModifier, QString(QChar(19)));
  EXPECT_FALSE(s->state.document.modified);
  EXPECT_EQ(lettersInFile(path), expected);
}

TEST_F(Editing, ClosingWithUnsavedEditsAsksFirst) {
  struct Case {
    const char* button;
    bool closes;
    bool saved;
  };
  for (const Case& k :
       {Case{"Cancel", false, false}, Case{"Don't Save", true, false}, Case{"Save", true, true}}) {
    SCOPED_TRACE(k.button);
    const std::string path = scfCopy();
    const std::string original = lettersInFile(path);
    auto s = start({path});
    QWidget* view = s->window->view();
    click(view, letterPoint(*s, 4));
    typeText(view, "y");
    const std::string edited = letters(*s);
    answerPrompt(k.button);
    EXPECT_EQ(s->window->close(), k.closes);
    EXPECT_EQ(s->window->isVisible(), !k.closes);
    EXPECT_EQ(lettersInFile(path), k.saved ? edited : original);
    if (!k.closes) {
      EXPECT_TRUE(s->state.document.modified);
      answerPrompt("Don't Save");
      EXPECT_TRUE(s->window->close());
    }
  }
}

}  // namespace
}  // namespace vistrel
