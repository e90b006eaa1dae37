// The Edit Analysis window's painting: the figures, the indel spectrum, the discordance plot
// and the control and edited traces around the cut, aligned there. Core code over the
// `Canvas`; the window's widget only forwards its paints and its size.
#pragma once

#include <vector>

#include "app/edit_analysis_window.h"
#include "platform/platform.h"
#include "view/settings.h"
#include "view/trace_lines.h"

namespace vistrel {

/// Bases shown on each side of the cut in the trace strips.
inline constexpr int kBasesAroundCut = 30;

/// Where the window's parts lie in a client area `width` by `height`, top to bottom.
struct EditAnalysisLayout {
  FontSpec textFont{FontSpec::Serif, 14};
  FontSpec labelFont{FontSpec::Serif, 11};
  FontSpec letterFont{FontSpec::FixedPitch, 12};
  int textHeight = 0;    ///< a line of `textFont`
  int labelHeight = 0;   ///< a line of `labelFont`
  int letterHeight = 0;  ///< a line of `letterFont`
  Rect figures;          ///< the text band
  Rect spectrum;         ///< the bars, their percents above and their labels below
  Rect discordance;
  Rect controlStrip;  ///< a trace over its letters
  Rect editedStrip;
};

EditAnalysisLayout editAnalysisLayout(ScreenLook& screen, int width, int height);

/// The spectrum's bars in `area`, one per allele in the analysis's order, each as tall as its
/// percent of the plot's height (at least a pixel, so that an empty allele still shows).
std::vector<Rect> spectrumBars(const std::vector<AlleleShare>& alleles, const Rect& area,
                               int labelHeight);

/// The two traces around the cut: the control's stretch fitted to its strip, the edited one
/// placed on the control's samples, so that both meet the cut at `cutX`.
struct CutStrips {
  TraceLines control;
  TraceLines edited;
  int cutX = 0;
};

CutStrips cutStrips(const EditAnalysisShown& shown, const EditAnalysisLayout& layout);

/// Paints the whole window.
void paintEditAnalysis(const EditAnalysisShown& shown, const ViewSettings& settings,
                       ScreenLook& screen, Canvas& canvas, int width, int height);

}  // namespace vistrel
