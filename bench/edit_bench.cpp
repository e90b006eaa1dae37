// Editing: a base inserted and deleted at the front of a 100,000-base set beside memmove of the
// same bytes, and a typed letter up to its repainted letter row beside a full repaint of the
// view, each pair measured in the same run. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstring>

#include "document/trace_file.h"
#include "edit/edit_model.h"
#include "edit/input.h"
#include "fake_platform.h"
#include "qt/application.h"
#include "qt/qt_canvas.h"
#include "ratio_reporter.h"
#include "trace_builder.h"
#include "view/layout.h"
#include "view/trace_view.h"

namespace {

using namespace vistrel;

constexpr int kBases = 100000;
constexpr int kWidth = 1600;
constexpr int kHeight = 300;

/// A set of `kBases` letters, each block with room for one more, as after a first insertion.
Chromatogram longSet() {
  Chromatogram d;
  d.loaded = true;
  d.isScf = true;
  d.maxSampleCount = 32000;
  BaseCalls& calls = d.edited;
  calls.bases.allocate(kBases + 16);
  calls.peaks.allocate(2 * (kBases + 8));
  calls.baseCount = calls.peakCount = kBases;
  for (int i = 0; i < kBases; ++i) {
    calls.setBase(i, static_cast<std::uint8_t>("ACGT"[i % 4]));
    calls.setPeak(i, static_cast<std::int16_t>(i / 4 + 1));
  }
  return d;
}

void insertAndDeleteAtFront(benchmark::State& state) {
  AppState app;
  testing::FakePlatform platform;
  createFonts(app.view.layout, platform, false);
  app.view.clientWidth = kWidth;
  app.document = longSet();
  EditContext c = editContext(app, platform);
  for (auto _ : state) {
    app.view.insertCaret = 1;
    app.edit.insertIndex = 0;
    insertBase(c, 'A');
    deleteBase(c, false);
    platform.invalidated.clear();
    benchmark::DoNotOptimize(app.document.edited.bases.data());
  }
}

/// The same bytes moved as the insertion and the deletion move them.
void memmoveSameBytes(benchmark::State& state) {
  std::vector<std::uint8_t> letters(kBases + 1, 'A'), peaks(2 * (kBases + 1), 1);
  for (auto _ : state) {
    std::memmove(letters.data() + 1, letters.data(), kBases);
    std::memmove(peaks.data() + 2, peaks.data(), 2 * kBases);
    std::memmove(letters.data(), letters.data() + 1, kBases);
    std::memmove(peaks.data(), peaks.data() + 2, 2 * kBases);
    benchmark::DoNotOptimize(letters.data());
    benchmark::DoNotOptimize(peaks.data());
    benchmark::ClobberMemory();
  }
}

/// A window on a 16,000-sample trace at X zoom 1, 1,600 pixels wide, with a base selected in
/// the middle of the view.
std::unique_ptr<Session> editingSession() {
  auto session = startSession({"vistrel"});
  testing::AbiTrace trace = testing::syntheticTrace(5, 1400, 11);
  for (auto& channel : trace.channels) channel.resize(16000, 50);
  std::string name;
  readTraceImage(testing::toBlock(testing::abiBuilderFor(trace).build()), false,
                 session->state.document, name);
  recomputeChannelColours(session->state.document, session->state.settings);
  session->state.view.clientWidth = kWidth;
  session->state.view.clientHeight = kHeight;
  session->state.view.selectedBase = 60;
  return session;
}

void paintArea(Session& s, QImage& image, const Rect& area) {
  QPainter painter(&image);
  painter.setClipRect(toQRect(area));
  QtCanvas canvas(painter);
  paintView(s.state.document, s.state.settings, s.state.view, *s.platform, canvas, area);
}

void keyToLetterRow(benchmark::State& state) {
  auto session = editingSession();
  testing::FakePlatform recorder;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  EditContext c = editContext(session->state, recorder);
  char letter = 'A';
  for (auto _ : state) {
    letter = letter == 'A' ? 'C' : 'A';
    typeCharacter(c, static_cast<std::uint8_t>(letter));
    for (const Rect& area : recorder.invalidated) paintArea(*session, image, area);
    recorder.invalidated.clear();
  }
}

void fullRepaint(benchmark::State& state) {
  auto session = editingSession();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    paintArea(*session, image, session->state.view.clientArea());
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
  QApplication application(argc, argv);
  benchmark::RegisterBenchmark("memmove_same_bytes", memmoveSameBytes)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("insert_delete_at_front", insertAndDeleteAtFront)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("full_repaint", fullRepaint)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("key_to_letter_row", keyToLetterRow)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to the floor of the same run", [](const std::string& name) {
    if (name == "insert_delete_at_front") return std::string("memmove_same_bytes");
    if (name == "key_to_letter_row") return std::string("full_repaint");
    return std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
