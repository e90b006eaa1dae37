// Save-changes prompt, Colors and About dialogs.
#include "qt/dialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "qt/qt_canvas.h"
#include "view/settings.h"

namespace vistrel {

bool runFormDialog(QDialog& dialog, QFormLayout* form, QDialogButtonBox* buttons) {
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(form);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted;
}

PromptAnswer runSaveChangesPrompt(QWidget* owner, const QString& text, bool saveAs) {
  QDialog dialog(owner);
  dialog.setWindowTitle("Vistrel");
  auto* layout = new QVBoxLayout(&dialog);
  auto* question = new QLabel(text);
  question->setTextFormat(Qt::PlainText);  // a file name is no markup
  // The one-line question keeps its line; the longer one about both sets wraps.
  question->setWordWrap(text.contains('\n'));
  layout->addWidget(question);
  // The buttons in this order on every desktop, unlike a button box, which sorts them by role.
  const std::pair<const char*, PromptAnswer> buttons[] = {
      {saveAs ? "Save As..." : "Save", PromptAnswer::Save},
      {"Export...", PromptAnswer::Export},
      {"Don't Save", PromptAnswer::DontSave},
      {"Cancel", PromptAnswer::Cancel}};
  auto* row = new QHBoxLayout;
  row->addStretch();
  PromptAnswer answer = PromptAnswer::Cancel;  // also Escape and the close box
  for (const auto& [label, result] : buttons) {
    auto* button = new QPushButton(label);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &answer, result] {
      answer = result;
      dialog.accept();
    });
    row->addWidget(button);
    if (result == PromptAnswer::Save) button->setDefault(true);
  }
  layout->addLayout(row);
  dialog.exec();
  return answer;
}

std::optional<std::array<int, 5>> runColoursDialog(QWidget* owner,
                                                   const std::array<int, 5>& current,
                                                   const std::array<Rgb, 9>& colours) {
  QDialog dialog(owner);
  dialog.setWindowTitle("Colors");
  auto* form = new QFormLayout;
  std::array<QComboBox*, 5> lists{};
  const char* labels[] = {"G", "A", "T", "C", "N"};
  for (int i = 0; i < 5; ++i) {
    lists[i] = new QComboBox;
    for (int c = 0; c < kColourCount; ++c) {
      QPixmap swatch(12, 12);
      swatch.fill(toQColor(colours[c]));
      lists[i]->addItem(QIcon(swatch), kColourNames[c]);
    }
    lists[i]->setCurrentIndex(current[i] >= 0 && current[i] < kColourCount ? current[i] : -1);
    form->addRow(labels[i], lists[i]);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  if (!runFormDialog(dialog, form, buttons)) return std::nullopt;
  std::array<int, 5> chosen{};
  for (int i = 0; i < 5; ++i) chosen[i] = lists[i]->currentIndex();
  return chosen;
}

namespace {

/// Closes through its Close button (or Enter), not through Esc.
class AboutDialog : public QDialog {
 public:
  using QDialog::QDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
  }
};

}  // namespace

void runAboutDialog(QWidget* owner) {
  AboutDialog dialog(owner);
  dialog.setWindowTitle("About Vistrel");
  auto* icon = new QLabel;
  icon->setPixmap(programIcon().pixmap(48, 48));
  auto* close = new QPushButton("Close");
  close->setDefault(true);
  QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(new QLabel("Vistrel 1.45"));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(row);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  dialog.exec();
}

PrintProgressDialog::PrintProgressDialog(QWidget* owner, std::function<void()> onCancel)
    : QDialog(owner) {
  setWindowTitle("Print");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(220);
  layout->addWidget(text_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(this, &QDialog::rejected, this, std::move(onCancel));
}

void PrintProgressDialog::setText(const QString& text) {
  text_->setText(text);
}

QIcon programIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor colours[] = {QColor(0, 191, 0), QColor(0, 0, 255), QColor(0, 0, 0),
                            QColor(255, 0, 0)};
  const int heights[] = {40, 28, 46, 34};
  for (int i = 0; i < 4; ++i) {
    QPainterPath peak;
    const double centre = 12 + 13.3 * i;
    peak.moveTo(centre - 9, 56);
    peak.cubicTo(centre - 3, 56, centre - 3, 56 - heights[i], centre, 56 - heights[i]);
    peak.cubicTo(centre + 3, 56 - heights[i], centre + 3, 56, centre + 9, 56);
    p.setPen(QPen(colours[i], 3));
    p.drawPath(peak);
  }
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(4, 57, 60, 57);
  return QIcon(pixmap);
}

}  // namespace vistrel
