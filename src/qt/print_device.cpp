// Print devices over QPainter: one painter per document, a page break before every page but the
// first, and the canvas's fonts kept for the whole document.
#include "qt/print_device.h"

#include <QFile>
#include <QFontMetrics>

namespace vistrel {

QPageLayout pdfPageLayout(QPageSize::PageSizeId size) {
  return QPageLayout(QPageSize(size), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                     QPageLayout::Point);
}

namespace {

FontMetrics measureOn(QPaintDevice& device, const FontSpec& font) {
  QFontMetrics metrics(fontFor(font), &device);
  return {metrics.height(), metrics.averageCharWidth()};
}

}  // namespace

void PageCanvas::clipTo(QPaintDevice& device) {
  // Nothing lands outside the printable area, as on a printer: on a PDF page the margins around
  // it would show what the side masks do not cover. The clip keeps a fiftieth of an inch inside
  // the sides, where the masks lie.
  const int inset = device.logicalDpiX() / 50;
  painter_.setClipRect(QRect(inset, 0, device.width() - 2 * inset, device.height()));
}

void PageCanvas::fillRect(const Rect& area, Rgb colour) {
  painter_.setClipping(false);
  QtCanvas::fillRect(area, colour);
  painter_.setClipping(true);
}

int PagedPrintDevice::dpiX() {
  return device().logicalDpiX();
}

int PagedPrintDevice::dpiY() {
  return device().logicalDpiY();
}

int PagedPrintDevice::pageWidth() {
  return device().width();
}

int PagedPrintDevice::pageHeight() {
  return device().height();
}

FontMetrics PagedPrintDevice::measureFont(const FontSpec& font) {
  return measureOn(device(), font);
}

bool PagedPrintDevice::startDocument(const std::string& name) {
  // The paint device makes one document: a second would follow the first in its output.
  if (state_ != State::Unused) return false;
  nameDocument(textOf(name));
  if (!painter_.begin(&device())) return false;
  state_ = State::Open;
  canvas_.emplace(painter_);
  return true;
}

Canvas& PagedPrintDevice::startPage() {
  // Beginning the painter began the first page.
  if (pagesStarted_++ > 0) device().newPage();
  canvas_->clipTo(device());
  return *canvas_;
}

bool PagedPrintDevice::endDocument() {
  if (state_ != State::Open) return false;
  state_ = State::Done;
  canvas_.reset();
  return painter_.end() && deliver();
}

void PagedPrintDevice::abortDocument() {
  state_ = State::Done;
  canvas_.reset();
  if (painter_.isActive()) painter_.end();
}

PdfFileDevice::PdfFileDevice(std::string path, const QPageLayout& layout, int resolution)
    : path_(std::move(path)), writer_(&buffer_) {
  buffer_.open(QIODevice::WriteOnly);
  writer_.setResolution(resolution);
  writer_.setPageLayout(layout);
  writer_.setCreator("Vistrel");
}

std::string PdfFileDevice::failure() const {
  // Without an error of the write, the document itself was not completed.
  return path_ + ": " + (writeError_ ? outputErrorMessage(writeError_) : kPdfNotMadeMessage);
}

bool PdfFileDevice::deliver() {
  const QByteArray& bytes = buffer_.data();
  writeError_ = writeOutputFile(path_, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return !writeError_;
}

void RecordedPages::clear() {
  commands_.clear();
  points_.clear();
}

void RecordedPages::breakPage() {
  commands_.push_back({});
}

void RecordedPages::setLineWidth(int width) {
  commands_.push_back({.kind = Command::LineWidth, .value = width});
}

void RecordedPages::fillRect(const Rect& area, Rgb colour) {
  commands_.push_back({.kind = Command::Fill, .area = area, .colour = colour});
}

void RecordedPages::frameRect(const Rect& area, Rgb colour) {
  commands_.push_back({.kind = Command::Frame, .area = area, .colour = colour});
}

void RecordedPages::drawLine(Point from, Point to, Rgb colour) {
  commands_.push_back(
      {.kind = Command::Line, .area = {from.x, from.y, to.x, to.y}, .colour = colour});
}

void RecordedPages::drawPolyline(const Point* points, std::size_t count, Rgb colour) {
  commands_.push_back(
      {.kind = Command::Polyline, .colour = colour, .first = points_.size(), .count = count});
  points_.insert(points_.end(), points, points + count);
}

void RecordedPages::drawText(Point topLeft, std::string_view text, const FontSpec& font, Rgb colour,
                             std::optional<Rgb> background) {
  commands_.push_back({.kind = Command::Text,
                       .area = {topLeft.x, topLeft.y, topLeft.x, topLeft.y},
                       .colour = colour,
                       .text = std::string(text),
                       .font = font,
                       .background = background});
}

int RecordedPages::textWidth(std::string_view text, const FontSpec& font) {
  return QFontMetrics(fontFor(font), &measuring_).horizontalAdvance(textOf(text));
}

void RecordedPages::replay(Canvas& canvas, const std::function<void()>& nextPage) const {
  for (const Command& c : commands_) {
    const Point at{c.area.left, c.area.top};
    switch (c.kind) {
      case Command::PageBreak:
        nextPage();
        break;
      case Command::LineWidth:
        canvas.setLineWidth(c.value);
        break;
      case Command::Fill:
        canvas.fillRect(c.area, c.colour);
        break;
      case Command::Frame:
        canvas.frameRect(c.area, c.colour);
        break;
      case Command::Line:
        canvas.drawLine(at, {c.area.right, c.area.bottom}, c.colour);
        break;
      case Command::Polyline:
        canvas.drawPolyline(points_.data() + c.first, c.count, c.colour);
        break;
      case Command::Text:
        canvas.drawText(at, c.text, c.font, c.colour, c.background);
        break;
    }
  }
}

FontMetrics PrinterDevice::measureFont(const FontSpec& font) {
  return measureOn(*printer_, font);
}

bool PrinterDevice::startDocument(const std::string& name) {
  printer_->setDocName(textOf(name));
  pages_.clear();
  pagesStarted_ = 0;
  return printer_->isValid();
}

Canvas& PrinterDevice::startPage() {
  if (pagesStarted_++ > 0) pages_.breakPage();
  return pages_;
}

bool PrinterDevice::endDocument() {
  QPainter painter;
  if (!painter.begin(printer_.get())) return false;
  {
    PageCanvas canvas(painter);
    canvas.clipTo(*printer_);
    pages_.replay(canvas, [&] {
      printer_->newPage();
      canvas.clipTo(*printer_);
    });
  }
  pages_.clear();
  return painter.end() && printer_->printerState() != QPrinter::Error;
}

std::unique_ptr<PrintDevice> printDeviceFor(std::unique_ptr<QPrinter> printer) {
  if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
    return std::make_unique<PdfFileDevice>(
        QFile::encodeName(printer->outputFileName()).toStdString(), printer->pageLayout(),
        printer->resolution());
  }
  return std::make_unique<PrinterDevice>(std::move(printer));
}

}  // namespace vistrel
