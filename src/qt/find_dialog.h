// The modeless Find dialog: a box for the pattern and the buttons "Find", "Find Again" and
// "Close". Its rules live in the core (edit/navigation.h); the dialog forwards its text and its
// buttons there and shows the buttons as the core leaves them.
#pragma once

#include <QDialog>
#include <string>

#include "edit/navigation.h"

class QLineEdit;
class QPushButton;

namespace vistrel {

class FindDialog : public QDialog {
 public:
  /// A child window of `owner` that closes when `owner` closes.
  FindDialog(QWidget* owner, FindState& find, Platform& platform);

  /// Every way of closing ends here: the Close button, Esc, the close box, the owner closing.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::string pattern() const;
  void showButtons();

  FindState& find_;
  Platform& platform_;
  FindButtons buttons_;
  QLineEdit* box_ = nullptr;
  QPushButton* findButton_ = nullptr;
  QPushButton* findAgainButton_ = nullptr;
};

}  // namespace vistrel
