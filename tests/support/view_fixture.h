// A window state over the fake platform, with a synthetic document of regular peaks, for the
// tests of painting, scrolling and the commands.
#pragma once

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "edit/view_updates.h"
#include "fake_platform.h"
#include "reading.h"
#include "view/layout.h"
#include "view/settings.h"

namespace vistrel::testing {

/// An SCF document of `samples` samples per channel (channel c holds 100·c + i % 100 at
/// sample i, and the last sample of T is 1600 so that reading keeps the values as they are)
/// with one base every 10 samples, peaks at 10·i + 5, its letters cycling `letters`.
inline Chromatogram regularDocument(int samples, const std::string& letters = "ACGT") {
  ScfSpec spec;
  for (int c = 0; c < 4; ++c) {
    for (int i = 0; i < samples; ++i) {
      spec.channels[c].push_back(static_cast<std::uint16_t>(100 * c + i % 100));
    }
  }
  spec.channels[3].back() = 1600;
  for (int i = 0; i < samples / 10; ++i) {
    spec.bases += letters[static_cast<std::size_t>(i) % letters.size()];
    spec.peaks.push_back(static_cast<std::uint32_t>(10 * i + 5));
  }
  ReadOutcome r = readImage(buildScf(spec));
  EXPECT_FALSE(r.error) << r.message();
  return std::move(r.document);
}

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override { createFonts(app.view.layout, platform, false); }

  /// Shows `document` in a client area of `width` by `height` pixels, with the marks the
  /// window's first paint works out.
  void show(Chromatogram document, int width = 800, int height = 265) {
    app.document = std::move(document);
    recomputeChannelColours(app.document, app.settings);
    followShownRead(app, platform);
    app.view.clientWidth = width;
    app.view.clientHeight = height;
  }

  AppState app;
  FakePlatform platform;
};

}  // namespace vistrel::testing
