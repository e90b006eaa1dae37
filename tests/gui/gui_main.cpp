// The GUI tests' entry point and shared helpers: the real window, offscreen.
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "gui_fixture.h"

namespace vistrel {

std::string sampleFolder;

int pixelsOf(const QImage& image, QColor colour, QRect area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixelColor(x, y) == colour) ++count;
    }
  }
  return count;
}

/// Presses the button labelled `text` of the save-changes prompt once it is shown.
/// How many pixels of `area` are nearer to `colour` than to white: the body of a smoothed letter.
int pixelsNear(const QImage& image, QColor colour, QRect area) {
  auto distance = [](QColor a, QColor b) {
    const int r = a.red() - b.red(), g = a.green() - b.green(), bl = a.blue() - b.blue();
    return r * r + g * g + bl * bl;
  };
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (distance(pixel, colour) < distance(pixel, Qt::white)) ++count;
    }
  }
  return count;
}

void answerPrompt(const QString& text) {
  QTimer::singleShot(0, [text] {
    auto* prompt = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(prompt, nullptr);
    for (QPushButton* button : prompt->findChildren<QPushButton*>()) {
      if (button->text() == text) button->click();
    }
  });
}

void dropFile(QWidget* target, const std::string& file) {
  QMimeData mime;
  // As file managers do: the name's bytes, percent-encoded.
  const std::string path = std::filesystem::absolute(file).string();
  mime.setUrls(
      {QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"))});
  // As a drag does: the drop goes to the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

}  // namespace vistrel

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) vistrel::sampleFolder = argv[1];
  return RUN_ALL_TESTS();
}
