// The contig window through the real widgets, offscreen: a real read and its reverse complement
// laid on a reference with one planted difference, walked to it, the stacked traces drawn in
// the trace colours, a letter typed and undone, and the close guarded while a read is changed.
#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <fstream>

#include "app/app_state.h"
#include "app/contig_painting.h"
#include "document/trace_file.h"
#include "edit/reverse_complement.h"
#include "fake_platform.h"
#include "gui_fixture.h"
#include "output/scf_writer.h"
#include "platform/command_ids.h"

namespace vistrel {
namespace {

class ContigGui : public Gui {
 protected:
  void SetUp() override {
    Gui::SetUp();
    ASSERT_TRUE(folder_.isValid());
    AppState app;
    testing::FakePlatform fake;
    std::string sample;
    if (readTraceFile(read_, false, app.document, sample)) GTEST_SKIP() << "no test traces";
    const ContigInput forward = contigInputOf(app.document, "");
    EditContext c = editContext(app, fake);
    reverseComplement(c);
    ASSERT_FALSE(saveScf(app.document, file("reverse.scf"), true, {2026, 12, 9}));
    std::string reference =
        forward.letters.substr(static_cast<std::size_t>(forward.region.start),
                               static_cast<std::size_t>(forward.region.end - forward.region.start));
    for (char& letter : reference) letter = static_cast<char>(std::toupper(letter));
    planted_ = static_cast<int>(reference.size()) / 2;
    reference[static_cast<std::size_t>(planted_)] =
        reference[static_cast<std::size_t>(planted_)] == 'G' ? 'T' : 'G';
    std::ofstream(file("clone.fa")) << ">clone\n" << reference << "\n";
  }

  std::string file(const char* name) const { return (folder_.path() + "/" + name).toStdString(); }

  std::unique_ptr<ContigSession> open() {
    auto session = startContigSession({{read_, file("reverse.scf")}, file("clone.fa"), "", false});
    QElapsedTimer waited;
    waited.start();
    while (session->state.laying && waited.elapsed() < 20000) QApplication::processEvents();
    QApplication::processEvents();
    return session;
  }

  const std::string read_ = VISTREL_TEST_DATA "/abi/3730.ab1";
  QTemporaryDir folder_;
  int planted_ = 0;
};

/// The pixels of `image` in the three trace colours other than black.
int colouredPixels(const QImage& image) {
  return pixelsNear(image, QColor(0, 191, 0), image.rect()) +
         pixelsNear(image, QColor(255, 0, 0), image.rect()) +
         pixelsNear(image, QColor(0, 0, 255), image.rect());
}

TEST_F(ContigGui, WalksToTheDifferenceShowsBothTracesAndTypesWithUndo) {
  auto s = open();
  ASSERT_NE(shownContig(s->state), nullptr);
  EXPECT_EQ(shownTitle(*s->window), "Vistrel Contig - clone");
  EXPECT_TRUE(s->window->statusText().startsWith("2 reads: "))
      << s->window->statusText().toStdString();

  s->window->action(kContigNextDifference)->trigger();
  QApplication::processEvents();
  EXPECT_TRUE(
      s->window->statusText().startsWith(QString("Reference position %1 (").arg(planted_ + 1)))
      << s->window->statusText().toStdString();
  // Both strands' traces under the column, each in colour (black G aside).
  s->window->traces()->repaint();
  const QImage traces = s->window->traces()->grab().toImage();
  const int strip = contigStripHeight(s->state.view);
  EXPECT_GT(colouredPixels(traces.copy(0, 0, traces.width(), strip)), 200);
  EXPECT_GT(colouredPixels(traces.copy(0, strip, traces.width(), strip)), 200);

  // A letter typed over the first read, then undone by its menu item.
  const std::int32_t column = s->state.column;
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(s->window->view(), &down);
  const char consensus = shownContig(s->state)->columns[static_cast<std::size_t>(column)].consensus;
  const char typed = consensus == 'A' ? 'C' : 'A';
  QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(QChar(typed)));
  QApplication::sendEvent(s->window->view(), &key);
  EXPECT_TRUE(hasUnsavedContigChanges(s->state));
  EXPECT_EQ(s->state.column, column + 1);
  s->window->action(kContigUndo)->trigger();
  EXPECT_FALSE(hasUnsavedContigChanges(s->state));
  EXPECT_EQ(s->state.column, column);
}

TEST_F(ContigGui, ClosingWithAChangedReadAsksFirst) {
  auto s = open();
  ASSERT_NE(shownContig(s->state), nullptr);
  s->window->action(kContigNextDifference)->trigger();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(s->window->view(), &down);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n");
  QApplication::sendEvent(s->window->view(), &key);
  ASSERT_TRUE(hasUnsavedContigChanges(s->state));
  answerPrompt("Cancel");
  EXPECT_FALSE(s->window->close());
  EXPECT_TRUE(s->window->isVisible());
  answerPrompt("Don't Save");
  EXPECT_TRUE(s->window->close());
}

}  // namespace
}  // namespace vistrel
