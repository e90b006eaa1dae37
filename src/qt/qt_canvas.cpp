// QPainter drawing with the canvas's pixel rules: one-pixel pens, whole pixels, and the traces
// smoothed where the canvas is asked to.
#include "qt/qt_canvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPen>
#include <QStringDecoder>
#include <vector>

namespace vistrel {

QColor toQColor(Rgb c) {
  return QColor(c.red, c.green, c.blue);
}

Rgb fromQColor(const QColor& c) {
  return {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
          static_cast<std::uint8_t>(c.blue())};
}

QRect toQRect(const Rect& r) {
  return QRect(r.left, r.top, r.width(), r.height());
}

Rect fromQRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QString textOf(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QFont fontFor(const FontSpec& spec) {
  QFont font;
  if (spec.family == FontSpec::Interface) {
    font = QGuiApplication::font();
  } else if (spec.family == FontSpec::FixedPitch) {
    font.setFamilies({"Courier New", "Liberation Mono", "Cousine", "Courier"});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  } else {
    font.setFamilies({"Times New Roman", "Liberation Serif", "Tinos", "Times"});
    font.setStyleHint(QFont::Serif);
  }
  font.setPixelSize(spec.pixelHeight);
  font.setWeight(QFont::Normal);
  return font;
}

const QFont& QtCanvas::font(const FontSpec& spec) {
  auto key = std::make_pair(static_cast<int>(spec.family), spec.pixelHeight);
  auto found = fonts_.find(key);
  if (found == fonts_.end()) found = fonts_.emplace(key, fontFor(spec)).first;
  return found->second;
}

void QtCanvas::usePen(Rgb colour) {
  // Width 0 is Qt's cosmetic one-pixel pen, which keeps the screen's lines exact.
  painter_.setPen(QPen(toQColor(colour), lineWidth_ > 1 ? lineWidth_ : 0));
}

void QtCanvas::frameRect(const Rect& area, Rgb colour) {
  usePen(colour);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(QRectF(area.left, area.top, area.width(), area.height()));
}

void QtCanvas::fillRect(const Rect& area, Rgb colour) {
  painter_.fillRect(toQRect(area), toQColor(colour));
}

void QtCanvas::drawLine(Point from, Point to, Rgb colour) {
  usePen(colour);
  // The end point is not part of the line.
  QPoint end(to.x, to.y);
  if (from.y == to.y && to.x != from.x) end.rx() += to.x > from.x ? -1 : 1;
  if (from.x == to.x && to.y != from.y) end.ry() += to.y > from.y ? -1 : 1;
  painter_.drawLine(QPoint(from.x, from.y), end);
}

void QtCanvas::drawPolyline(const Point* points, std::size_t count, Rgb colour) {
  usePen(colour);
  if (!smoothLines_) {
    std::vector<QPoint> converted(count);
    for (std::size_t i = 0; i < count; ++i) converted[i] = QPoint(points[i].x, points[i].y);
    painter_.drawPolyline(converted.data(), static_cast<int>(count));
    return;
  }
  // Through the middle of each pixel, where an aliased line of the same points runs.
  std::vector<QPointF> converted(count);
  for (std::size_t i = 0; i < count; ++i) {
    converted[i] = QPointF(points[i].x + 0.5, points[i].y + 0.5);
  }
  painter_.setRenderHint(QPainter::Antialiasing, true);
  painter_.drawPolyline(converted.data(), static_cast<int>(count));
  painter_.setRenderHint(QPainter::Antialiasing, false);
}

void QtCanvas::drawText(Point topLeft, std::string_view text, const FontSpec& spec, Rgb colour,
                        std::optional<Rgb> background) {
  const QFont& f = font(spec);
  const QString s = textOf(text);
  // Measured on the device painted on: a printer's fonts are not the screen's.
  QFontMetrics metrics(f, painter_.device());
  if (background) {
    painter_.fillRect(QRect(topLeft.x, topLeft.y, metrics.horizontalAdvance(s), metrics.height()),
                      toQColor(*background));
  }
  painter_.setFont(f);
  usePen(colour);
  painter_.drawText(QPoint(topLeft.x, topLeft.y + metrics.ascent()), s);
}

int QtCanvas::textWidth(std::string_view text, const FontSpec& spec) {
  return QFontMetrics(font(spec), painter_.device()).horizontalAdvance(textOf(text));
}

}  // namespace vistrel
