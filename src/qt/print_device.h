// The print devices over Qt: a printer chosen in the print dialog, and PDF pages built in memory
// and written whole once the document is complete.
#pragma once

#include <QBuffer>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "output/output_error.h"
#include "platform/platform.h"
#include "qt/qt_canvas.h"

namespace vistrel {

/// The resolution of the PDF pages written from the command line: that of Qt's PDF printer, so
/// that they match a print to file from the print dialog.
inline constexpr int kPdfResolution = 1200;

/// Why a PDF file was not written when its document, not the write, failed.
inline constexpr const char* kPdfNotMadeMessage = "The PDF document could not be made";

/// The layout of those pages: `size` in portrait with the margins of Qt's PDF printer (10 points),
/// the printable area being the rest.
QPageLayout pdfPageLayout(QPageSize::PageSizeId size);

/// A page of a print device: a QtCanvas clipped to the printable area, a little inside its
/// sides. Filled rectangles (the side masks) are drawn unclipped, so that they also cover the
/// edge of the clip, which a viewer may widen to whole pixels of its own.
class PageCanvas final : public QtCanvas {
 public:
  explicit PageCanvas(QPainter& painter) : QtCanvas(painter), painter_(painter) {}
  /// Clips what follows to the printable area of `device`.
  void clipTo(QPaintDevice& device);

  void fillRect(const Rect& area, Rgb colour) override;

 private:
  QPainter& painter_;
};

/// Pages drawn with QPainter on a paged Qt device, in device pixels with (0, 0) at the top-left
/// corner of the printable area. Fonts are measured on the device itself. The device prints one
/// document: once that has ended or been aborted it refuses another, and nothing more is
/// delivered.
class PagedPrintDevice : public PrintDevice {
 public:
  int dpiX() override;
  int dpiY() override;
  int pageWidth() override;
  int pageHeight() override;
  FontMetrics measureFont(const FontSpec& font) override;
  /// False when painting on the device cannot begin, or it has had its document.
  bool startDocument(const std::string& name) override;
  Canvas& startPage() override;
  void endPage() override {}
  /// Delivers the document when its painting ended well; false when it did not, when delivery
  /// failed, or when no document was open.
  bool endDocument() override;
  void abortDocument() override;

 protected:
  virtual QPagedPaintDevice& device() = 0;
  /// Before painting begins: the device takes the document's name.
  virtual void nameDocument(const QString& name) = 0;
  /// After the painter has ended well: the document goes where it belongs. False when it cannot.
  virtual bool deliver() = 0;

 private:
  enum class State { Unused, Open, Done };
  State state_ = State::Unused;
  QPainter painter_;
  std::optional<PageCanvas> canvas_;
  int pagesStarted_ = 0;
};

/// The pages of a document kept as drawing commands, to be painted on a device later. Text is
/// measured on `measuring`, the device the pages will be painted on.
class RecordedPages final : public Canvas {
 public:
  explicit RecordedPages(QPaintDevice& measuring) : measuring_(measuring) {}

  void clear();
  /// Ends the page being recorded and begins the next.
  void breakPage();
  /// Paints the pages in order on `canvas`, calling `nextPage` between two pages.
  void replay(Canvas& canvas, const std::function<void()>& nextPage) const;

  void setLineWidth(int width) override;
  void fillRect(const Rect& area, Rgb colour) override;
  void frameRect(const Rect& area, Rgb colour) override;
  void drawLine(Point from, Point to, Rgb colour) override;
  void drawPolyline(const Point* points, std::size_t count, Rgb colour) override;
  void drawText(Point topLeft, std::string_view text, const FontSpec& font, Rgb colour,
                std::optional<Rgb> background) override;
  int textWidth(std::string_view text, const FontSpec& font) override;

 private:
  struct Command {
    enum Kind { PageBreak, LineWidth, Fill, Frame, Line, Polyline, Text };
    Kind kind = PageBreak;
    Rect area = {};  ///< Fill and Frame; a Line from (left, top) to (right, bottom)
    Rgb colour = {};
    int value = 0;          ///< LineWidth
    std::size_t first = 0;  ///< Polyline: its points in `points_`
    std::size_t count = 0;
    std::string text = {};  ///< Text at (area.left, area.top)
    FontSpec font = {};
    std::optional<Rgb> background = {};
  };

  QPaintDevice& measuring_;
  std::vector<Command> commands_;
  std::vector<Point> points_;
};

/// A printer. The pages are recorded as the job draws them and sent to the printer only when
/// the document completes, so that Cancel sends nothing: Qt's abort cannot withdraw pages on
/// every system (its PDF and CUPS engines ignore it).
class PrinterDevice final : public PrintDevice {
 public:
  explicit PrinterDevice(std::unique_ptr<QPrinter> printer)
      : printer_(std::move(printer)), pages_(*printer_) {}

  int dpiX() override { return printer_->logicalDpiX(); }
  int dpiY() override { return printer_->logicalDpiY(); }
  int pageWidth() override { return printer_->width(); }
  int pageHeight() override { return printer_->height(); }
  FontMetrics measureFont(const FontSpec& font) override;
  /// False when no printer is selected.
  bool startDocument(const std::string& name) override;
  Canvas& startPage() override;
  void endPage() override {}
  /// Sends the recorded pages; false when the printer refuses them.
  bool endDocument() override;
  void abortDocument() override { pages_.clear(); }

 private:
  std::unique_ptr<QPrinter> printer_;
  RecordedPages pages_;
  int pagesStarted_ = 0;
};

/// PDF pages written into memory; the file at `path` is created or replaced only when the
/// document completes, through the safe whole-file write. An aborted or failed document, or one
/// whose file cannot be written, leaves the path as it was.
class PdfFileDevice final : public PagedPrintDevice {
 public:
  PdfFileDevice(std::string path, const QPageLayout& layout, int resolution);
  /// The file and why it was not written, after `endDocument` returned false.
  std::string failure() const override;

 private:
  QPagedPaintDevice& device() override { return writer_; }
  void nameDocument(const QString& name) override { writer_.setTitle(name); }
  bool deliver() override;

  std::string path_;
  QBuffer buffer_;
  QPdfWriter writer_;
  OutputError writeError_;
};

/// The device for a printer set up by the print dialog: a print to a PDF file goes through
/// memory (so that Cancel leaves no half-written file), anything else to the printer.
std::unique_ptr<PrintDevice> printDeviceFor(std::unique_ptr<QPrinter> printer);

}  // namespace vistrel
