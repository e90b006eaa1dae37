// The Find dialog over Qt widgets; what its buttons do is decided by the core.
#include "qt/find_dialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel {

FindDialog::FindDialog(QWidget* owner, FindState& find, Platform& platform)
    : QDialog(owner), find_(find), platform_(platform) {
  setWindowTitle("Find");
  setModal(false);
  auto* label = new QLabel("Find:");
  box_ = new QLineEdit;
  box_->setMaxLength(kFindTextLimit);
  label->setBuddy(box_);
  findButton_ = new QPushButton("Find");
  findButton_->setDefault(true);
  findAgainButton_ = new QPushButton("Find Again");
  auto* close = new QPushButton("Close");
  close->setAutoDefault(false);
  findAgainButton_->setAutoDefault(false);

  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(box_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(findButton_);
  buttons->addWidget(findAgainButton_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addLayout(buttons);

  connect(box_, &QLineEdit::textChanged, this, [this](const QString&) {
    findTextChanged(buttons_, pattern());
    showButtons();
  });
  connect(findButton_, &QPushButton::clicked, this, [this] {
    pressFind(find_, buttons_, pattern(), platform_);
    showButtons();
  });
  connect(findAgainButton_, &QPushButton::clicked, this, [this] {
    pressFindAgain(find_, buttons_, pattern(), platform_);
    showButtons();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  showButtons();
  if (owner != nullptr) owner->installEventFilter(this);
}

void FindDialog::done(int result) {
  closeFindDialog(find_);
  QDialog::done(result);
}

bool FindDialog::eventFilter(QObject* watched, QEvent* event) {
  // The owner hidden by a program request is the owner closing; a minimized owner hides by
  // the window system's doing and keeps its dialog.
  if (watched == parent() && event->type() == QEvent::Hide && !event->spontaneous() &&
      isVisible()) {
    reject();
  }
  return QDialog::eventFilter(watched, event);
}

std::string FindDialog::pattern() const {
  // As the view shows letters: bytes that are UTF-8 read as such.
  return box_->text().toUtf8().toStdString();
}

void FindDialog::showButtons() {
  findButton_->setEnabled(buttons_.find);
  findAgainButton_->setEnabled(buttons_.findAgain);
}

}  // namespace vistrel
