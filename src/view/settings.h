// The display and output options that survive from one run to the next, the nine named
// colours they index, and the settings file that keeps them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "document/chromatogram.h"
#include "platform/platform.h"

namespace vistrel {

inline constexpr int kColourCount = 9;
inline constexpr int kBlack = 8;
/// The colour index of every base letter other than G, A, T, C and N.
inline constexpr int kOtherBaseColour = kBlack;
/// The colour index of green.
inline constexpr int kGreen = 1;
inline constexpr Rgb kScreenGreen{0, 191, 0};

/// "Red", "Green", ... "Black": the names of the colour table, in index order.
extern const std::array<const char*, kColourCount> kColourNames;

enum XZoomMode { kMagnify = 0, kReduce = 1, kFit = 2 };

struct ViewSettings {
  std::int32_t colourG = 8;
  std::int32_t colourA = 1;
  std::int32_t colourT = 0;
  std::int32_t colourC = 2;
  std::int32_t colourN = 4;
  std::int32_t printXZoom = 0;
  std::int32_t printYZoom = 0;
  std::int32_t exportFormat = 1;  ///< the export dialog's last choice: 0 text, 1 FASTA, 2 FASTQ
  std::int32_t xZoomMode = kMagnify;
  std::int32_t xZoomLevel = 0;
  std::int32_t scrollStep = 16;
  std::int32_t yScaleShift = 3;
  std::int32_t yZoom = 0;
  std::int32_t largeFonts = 0;
  std::int32_t continuousEdit = 0;
  std::int32_t showOriginalSequence = 0;
  std::int32_t qualityValues = 1;  ///< draw each base's quality as a bar
  std::int32_t showTrimmed = 1;    ///< shade the ends outside the good region
  std::int32_t trimCutoff = 50;    ///< the trimming error probability, in thousandths
  std::int32_t fitPeaks = 0;       ///< the tallest sample fills the trace area (a Y zoom)
  std::int32_t fitWindow = 0;      ///< the trace area takes the window's height (a Y scale)
  std::int32_t mixedRatio = 33;    ///< percent of its own peak a second channel must reach
  std::int32_t showMixed = 1;      ///< mark the mixed bases under their letters
  std::int32_t showToolbar = 1;    ///< the window's toolbar is shown
  std::string lastFolder;          ///< where the open dialog starts: the last file's folder
  // Window placement, used when the main window is created.
  std::int32_t windowLeft = 0;
  std::int32_t windowTop = 0;
  std::int32_t windowWidth = 0;
  std::int32_t windowHeight = 0;  ///< the outer height; 0 when none is stored

  /// Red, Green, Blue, Yellow, Violet, Cyan, Brown, Gray, Black, as the screen shows them.
  std::array<Rgb, kColourCount> colourTable{Rgb{255, 0, 0},   kScreenGreen,       Rgb{0, 0, 255},
                                            Rgb{191, 191, 0}, Rgb{255, 0, 255},   Rgb{0, 255, 255},
                                            Rgb{127, 0, 0},   Rgb{127, 127, 127}, Rgb{0, 0, 0}};

  double trimCutoffProbability() const { return trimCutoff / 1000.0; }
  int traceHeight() const { return yScaleShift == 4 ? 100 : 200; }
  /// The colour index of a base letter (folded to upper case for the choice).
  int letterColourIndex(std::uint8_t letter) const;
  Rgb letterColour(std::uint8_t letter) const {
    return colourTable[static_cast<std::size_t>(letterColourIndex(letter))];
  }
  /// The colour index chosen for 'A', 'C', 'G' or 'T', or -1 for any other letter.
  int channelColourIndex(char letter) const;
};

/// Sets the zoom fields from an "X Zoom" value: 0 to 2 magnify, -1 and -2 reduce, below fit.
void applyXZoomValue(ViewSettings& settings, int value);
/// The "X Zoom" value that stands for the current zoom.
int xZoomValue(const ViewSettings& settings);

/// Reads the settings file at `path` (missing or unreadable: every default, Fit Window chosen
/// when there is no file). `desktopWidth` is the default window width.
ViewSettings readSettings(const std::string& path, int desktopWidth);

/// Writes every setting back into the file at `path`, keeping its other lines. The placement
/// is written only when `placement` is given (a minimized window keeps the stored one).
/// Failures pass silently.
void writeSettings(const ViewSettings& settings, const std::string& path, const Rect* placement);

/// How many files File > Open Recent lists.
inline constexpr int kRecentFileCount = 8;

/// The files opened last, newest first, as the settings file at `path` keeps them.
std::vector<std::string> readRecentFiles(const std::string& path);

/// Puts `file` (made absolute) first among the recent files of the settings file at `path`,
/// at once, so that every window and the next start see it. Failures pass silently.
void rememberRecentFile(const std::string& path, const std::string& file);

/// The colour of `channel` in `table`: the one `settings` choose for its letter when that is A,
/// C, G or T, else the channel's own.
Rgb channelColour(const TraceChannel& channel, const ViewSettings& settings,
                  const std::array<Rgb, kColourCount>& table);

/// Each channel whose letter is A, C, G or T takes the colour chosen for that letter; any other
/// channel keeps its colour.
void recomputeChannelColours(Chromatogram& document, const ViewSettings& settings);

}  // namespace vistrel
