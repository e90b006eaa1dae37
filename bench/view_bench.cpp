// Painting the whole view in fit mode (16,000 samples across 1,600 pixels) beside the same four
// polylines drawn straight with QPainter, in the same run. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/app_state.h"
#include "document/trace_file.h"
#include "qt/application.h"
#include "qt/qt_canvas.h"
#include "trace_builder.h"
#include "view/scrolling.h"
#include "view/trace_view.h"

namespace {

using namespace vistrel;

constexpr int kWidth = 1600;

/// A session with a 16,000-sample trace in fit mode, 1,600 pixels wide.
std::unique_ptr<Session> fittedSession() {
  auto session = startSession({"vistrel"});
  testing::AbiTrace trace = testing::syntheticTrace(5, 1400, 11);
  for (auto& channel : trace.channels) channel.resize(16000, 50);
  Chromatogram& document = session->state.document;
  std::string name;
  readTraceImage(testing::toBlock(testing::abiBuilderFor(trace).build()), false, document, name);
  recomputeChannelColours(document, session->state.settings);
  session->state.view.clientWidth = kWidth;
  session->state.view.clientHeight = 300;
  fitToWindow(session->state.document, session->state.settings, session->state.view,
              *session->platform);
  return session;
}

void paintFittedView(benchmark::State& state) {
  auto session = fittedSession();
  QImage image(kWidth, 300, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    paintView(session->state.document, session->state.settings, session->state.view,
              *session->platform, canvas, {0, 0, kWidth, 300});
  }
}

void drawPolylinesDirectly(benchmark::State& state) {
  auto session = fittedSession();
  const AppState& app = session->state;
  std::vector<std::vector<QPoint>> lines(4);
  const int baseline = app.view.layout.baseline(app.settings.traceHeight());
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < app.document.channels[c].sampleCount; ++i) {
      lines[c].emplace_back(sampleToX(app.settings, 0, i),
                            baseline - sampleHeight(app.settings, app.document.sample(c, i)));
    }
  }
  QImage image(kWidth, 300, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int c = 0; c < 4; ++c) {
      painter.setPen(QPen(toQColor(app.document.channels[c].colour), 0));
      painter.drawPolyline(lines[c].data(), static_cast<int>(lines[c].size()));
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
  QApplication application(argc, argv);
  benchmark::RegisterBenchmark("paint_fitted_view", paintFittedView)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("qpainter_polylines", drawPolylinesDirectly)
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
