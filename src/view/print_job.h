// The print job: the chromatogram as rows of numbers, letters and traces, several rows to a
// framed page under a header line, at the print zooms.
#pragma once

#include <array>
#include <string>

#include "document/chromatogram.h"
#include "platform/platform.h"
#include "view/quality_marks.h"
#include "view/read_marks.h"
#include "view/settings.h"

namespace vistrel {

inline constexpr const char* kPrintDocumentName = "Vistrel Chromatogram";
inline constexpr const char* kPageTooSmallMessage =
    "The page is too small for the chosen print zoom";
inline constexpr const char* kPageTooShortMessage = "The page is too short for one row of traces";
/// The brighter green of printed pages.
inline constexpr Rgb kPrintGreen{0, 255, 0};

/// The colours of printed pages: the screen's colour table with the print green in it, and the
/// trace colours that follow from it.
struct PrintPalette {
  std::array<Rgb, kColourCount> table{};
  std::array<Rgb, 4> channels{};  ///< in channel order
  MarkColours marks = kPrintMarkColours;
};

/// The palette for `document` under the colour choices of `settings`.
PrintPalette printPalette(const Chromatogram& document, const ViewSettings& settings);

/// The page geometry of a job, in device pixels.
struct PrintGeometry {
  int dpiX = 0, dpiY = 0;
  int pageWidth = 0, pageHeight = 0;
  int bottom = 0;
  int u = 0, hu = 0;  ///< line width and small gap, and its half
  int margin = 0, rowWidth = 0, right = 0;
  FontSpec baseFont{FontSpec::FixedPitch, 0};
  FontSpec headerFont{FontSpec::Serif, 0};
  int ch = 0, cw = 0;  ///< the base font's character height and average width
  int th = 0;          ///< the header font's character height
  int headerHeight = 0;
  int traceHeight = 0;
  int rowHeight = 0, rowPitch = 0;
  int scale10 = 0;  ///< tenths of a pixel per sample
  int labelStep = 10;
  int yDivisor = 1600;
  int samplesPerRow = 0;
  int rowCount = 0, rowsPerPage = 0, pageCount = 0;
};

/// Whether the pages of a device take the rows: TooSmall when a sample takes no room at the
/// print zoom or none fits across a row, TooShort when not one row fits under the header.
enum class PageFit { Fits, TooSmall, TooShort };

/// The geometry for `device` at the print zooms of `settings`. Unless it Fits nothing can be
/// printed, and nothing has been divided by zero.
PageFit computePrintGeometry(PrintDevice& device, const ViewSettings& settings,
                             std::int32_t maxSampleCount, PrintGeometry& g);

struct PageRange {
  bool all = true;
  int from = 1;
  int to = 1;
};

/// What the job reports to, and asks of, the one who runs it.
class PrintObserver {
 public:
  virtual ~PrintObserver() = default;
  /// A page has begun (numbered from 1).
  virtual void pageStarted(int page) = 0;
  /// True when the job should stop.
  virtual bool cancelled() = 0;
  /// A point at which waiting events may be served.
  virtual void serveEvents() = 0;
};

enum class PrintOutcome {
  Printed,
  NoSuchPage,
  PageTooSmall,
  PageTooShort,
  NotStarted,
  Cancelled,
  Failed
};

/// Prints the pages of `range` of `document`, with its good region from `marks`, on `device` at
/// the print zooms of `settings`, in the
/// colours of `palette`. Nothing is printed on PageTooSmall or PageTooShort (the geometry does
/// not fit) nor on NoSuchPage (the range starts past the last page); Cancelled when the observer
/// asked to stop (the document is aborted); Failed when the device could not complete it.
PrintOutcome printChromatogram(const Chromatogram& document, const ReadMarks& marks,
                               const ViewSettings& settings, const PrintPalette& palette,
                               PrintDevice& device, PageRange range, PrintObserver& observer);

/// The page range as printed: a from-page above the to-page swaps the two, 0 becomes 1, a
/// to-page past the last becomes the last. False when the range starts past the last page.
bool settlePageRange(PageRange& range, int pageCount);

}  // namespace vistrel
