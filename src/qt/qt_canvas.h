// The canvas over QPainter, for the screen and (later) the printer, and the conversions between
// the core's plain values and Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <map>
#include <string_view>

#include "platform/platform.h"

namespace vistrel {

QColor toQColor(Rgb colour);
Rgb fromQColor(const QColor& colour);
QRect toQRect(const Rect& r);
Rect fromQRect(const QRect& r);

/// Bytes from a file or a path as text: UTF-8 when they are valid UTF-8, else Latin-1, so that
/// every byte shows as some character.
QString textOf(std::string_view bytes);

/// A serif ("Times") or fixed-pitch ("Courier New") face, or the desktop's interface face, at the
/// given character height; where those faces are missing, their metric twins or any face of the
/// kind.
QFont fontFor(const FontSpec& spec);

class QtCanvas : public Canvas {
 public:
  /// With `smoothLines`, polylines (the traces) are drawn anti-aliased; everything else stays
  /// on whole pixels, so rows and marks keep their exact places.
  explicit QtCanvas(QPainter& painter, bool smoothLines = false)
      : painter_(painter), smoothLines_(smoothLines) {}

  void setLineWidth(int width) override { lineWidth_ = width; }
  void fillRect(const Rect& area, Rgb colour) override;
  void frameRect(const Rect& area, Rgb colour) override;
  void drawLine(Point from, Point to, Rgb colour) override;
  void drawPolyline(const Point* points, std::size_t count, Rgb colour) override;
  void drawText(Point topLeft, std::string_view text, const FontSpec& font, Rgb colour,
                std::optional<Rgb> background) override;
  int textWidth(std::string_view text, const FontSpec& font) override;

 private:
  const QFont& font(const FontSpec& spec);
  void usePen(Rgb colour);

  QPainter& painter_;
  bool smoothLines_ = false;
  int lineWidth_ = 1;
  std::map<std::pair<int, int>, QFont> fonts_;
};

}  // namespace vistrel
