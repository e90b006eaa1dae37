// The view on a 16,000-sample trace, each beside a floor measured in the same run: painting the
// whole view in fit mode (1,600 pixels) beside the same four polylines drawn straight with
// QPainter, anti-aliased as the view draws them, and a typed letter up to its repainted letter row
// beside a full repaint at X zoom 1. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/app_state.h"
#include "document/trace_file.h"
#include "edit/input.h"
#include "edit/view_updates.h"
#include "fake_platform.h"
#include "qt/application.h"
#include "qt/qt_canvas.h"
#include "ratio_reporter.h"
#include "trace_builder.h"
#include "view/scrolling.h"
#include "view/trace_view.h"

namespace {

using namespace vistrel;

constexpr int kWidth = 1600;
constexpr int kHeight = 300;

/// A session with a 16,000-sample trace in a view 1,600 pixels wide.
std::unique_ptr<Session> traceSession() {
  auto session = startSession({"vistrel"});
  testing::AbiTrace trace = testing::syntheticTrace(5, 1400, 11);
  for (auto& channel : trace.channels) channel.resize(16000, 50);
  Chromatogram& document = session->state.document;
  std::string name;
  readTraceImage(testing::toBlock(testing::abiBuilderFor(trace).build()), false, document, name);
  recomputeChannelColours(document, session->state.settings);
  session->state.view.clientWidth = kWidth;
  session->state.view.clientHeight = kHeight;
  return session;
}

std::unique_ptr<Session> fittedSession() {
  auto session = traceSession();
  fitToWindow(session->state.document, session->state.settings, session->state.view,
              *session->platform);
  return session;
}

/// Paints `area` of the view into `image`, as a repaint of that area does: the marks follow
/// the document first.
void paintArea(Session& s, QImage& image, const Rect& area) {
  followShownRead(s.state, *s.platform);
  QPainter painter(&image);
  painter.setClipRect(toQRect(area));
  QtCanvas canvas(painter, true);
  paintView(s.state.document, s.state.settings, s.state.view, *s.platform, canvas, area);
}

void paintWholeView(benchmark::State& state, Session& session) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    paintArea(session, image, session.state.view.clientArea());
  }
}

void paintFittedView(benchmark::State& state) {
  paintWholeView(state, *fittedSession());
}

void drawPolylinesDirectly(benchmark::State& state) {
  auto session = fittedSession();
  const AppState& app = session->state;
  std::vector<std::vector<QPointF>> lines(4);
  const int baseline = app.view.layout.baseline(app.settings.traceHeight());
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < app.document.channels[c].sampleCount; ++i) {
      lines[c].emplace_back(sampleToX(app.settings, 0, i) + 0.5,
                            baseline - sampleHeight(app.settings, app.document.sample(c, i)) + 0.5);
    }
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    // The hints the view's traces are drawn with.
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int c = 0; c < 4; ++c) {
      painter.setPen(QPen(toQColor(app.document.channels[c].colour), 0));
      painter.drawPolyline(lines[c].data(), static_cast<int>(lines[c].size()));
    }
  }
}

/// A letter typed on a base selected in the middle of the view, then the areas the edit asks to
/// repaint painted.
void keyToLetterRow(benchmark::State& state) {
  auto session = traceSession();
  session->state.view.selectedBase = 60;
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
  paintWholeView(state, *traceSession());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
  QApplication application(argc, argv);
  benchmark::RegisterBenchmark("qpainter_polylines", drawPolylinesDirectly)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("paint_fitted_view", paintFittedView)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("full_repaint", fullRepaint)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("key_to_letter_row", keyToLetterRow)->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("ratio to the floor of the same run", [](const std::string& name) {
    if (name == "paint_fitted_view") return std::string("qpainter_polylines");
    if (name == "key_to_letter_row") return std::string("full_repaint");
    return std::string();
  });
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
