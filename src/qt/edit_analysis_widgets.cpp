// The Edit Analysis dialog and window.
#include "qt/edit_analysis_widgets.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

#include "analysis/edit_analysis.h"
#include "app/edit_analysis_view.h"
#include "qt/dialogs.h"
#include "qt/qt_canvas.h"

namespace vistrel {

namespace {

/// A box of nucleotide letters from `alphabet` (either case).
QLineEdit* lettersBox(const std::string& text, int maxLength, const char* alphabet,
                      QWidget* parent) {
  auto* box = new QLineEdit(QString::fromStdString(text), parent);
  box->setMaxLength(maxLength);
  const QString letters = QString(alphabet) + QString(alphabet).toLower();
  box->setValidator(new QRegularExpressionValidator(QRegularExpression("[" + letters + "]*"), box));
  return box;
}

QSpinBox* numberBox(int value, int lowest, int highest, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setRange(lowest, highest);
  box->setValue(std::clamp(value, lowest, highest));
  return box;
}

}  // namespace

std::optional<EditAnalysisSetup> runEditAnalysisDialog(QWidget* owner,
                                                       const EditAnalysisSetup& last) {
  QDialog dialog(owner);
  dialog.setWindowTitle("Edit Analysis");
  auto* control = new QLineEdit(textOf(last.controlPath), &dialog);
  control->setObjectName("control");
  control->setMinimumWidth(320);
  auto* browse = new QPushButton("Browse...", &dialog);
  browse->setAutoDefault(false);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, control] {
    const QString path = QFileDialog::getOpenFileName(&dialog, "Control Trace", control->text(),
                                                      "Traces (*.ab1 *.abi *.scf);;All files (*)");
    if (!path.isEmpty()) control->setText(path);
  });
  auto* controlRow = new QHBoxLayout;
  controlRow->addWidget(control, 1);
  controlRow->addWidget(browse);
  QLineEdit* guide = lettersBox(last.guide, kMaxGuideLength, "ACGT", &dialog);
  guide->setObjectName("guide");
  QSpinBox* cut = numberBox(last.cutOffset, 0, kMaxGuideLength, &dialog);
  cut->setObjectName("cutOffset");
  QSpinBox* indel = numberBox(last.maxIndel, 1, kMaxIndelLimit, &dialog);
  indel->setObjectName("maxIndel");
  QLineEdit* donor = lettersBox(last.donor, 32767, "ACGTN", &dialog);
  donor->setObjectName("donor");

  auto* form = new QFormLayout;
  form->addRow("Control trace:", controlRow);
  form->addRow("Guide (17 to 24 letters):", guide);
  form->addRow("Cut offset from the 3' end:", cut);
  form->addRow("Largest indel:", indel);
  form->addRow("Donor (optional):", donor);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  auto complete = [control, guide, ok] {
    const auto letters = guide->text().size();
    ok->setEnabled(!control->text().isEmpty() && letters >= kMinGuideLength &&
                   letters <= kMaxGuideLength);
  };
  QObject::connect(control, &QLineEdit::textChanged, &dialog, complete);
  QObject::connect(guide, &QLineEdit::textChanged, &dialog, complete);
  complete();
  if (!runFormDialog(dialog, form, buttons)) return std::nullopt;
  return EditAnalysisSetup{QFile::encodeName(control->text()).toStdString(),
                           guide->text().toUpper().toStdString(), cut->value(), indel->value(),
                           donor->text().toUpper().toStdString()};
}

EditAnalysisWindow::EditAnalysisWindow(QWidget* owner, const AppState& app, ScreenLook& screen)
    : QWidget(owner, Qt::Window), app_(app), screen_(screen) {
  setWindowTitle("Edit Analysis");
  resize(960, 760);
}

void EditAnalysisWindow::paintEvent(QPaintEvent*) {
  if (!app_.editWindow.shown) return;
  QPainter painter(this);
  QtCanvas canvas(painter, true);
  paintEditAnalysis(*app_.editWindow.shown, app_.settings, screen_, canvas, width(), height());
}

}  // namespace vistrel
