// The desktop's fonts, colours and settings folder, read through Qt.
#include "qt/desktop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPalette>

#include "qt/qt_canvas.h"

namespace vistrel {

FontMetrics DesktopLook::measureFont(const FontSpec& font) {
  QFontMetrics metrics(fontFor(font));
  return {metrics.height(), metrics.averageCharWidth()};
}

Rgb DesktopLook::menuColour() {
  return fromQColor(QApplication::palette("QMenuBar").color(QPalette::Window));
}

Rgb DesktopLook::menuTextColour() {
  return fromQColor(QApplication::palette("QMenuBar").color(QPalette::WindowText));
}

std::string settingsFilePath() {
  QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (folder.isEmpty()) folder = QDir::homePath() + "/.config";
  return QFile::encodeName(folder + "/vistrel.ini").toStdString();
}

}  // namespace vistrel
