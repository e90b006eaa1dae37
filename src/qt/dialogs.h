// The program's own dialogs: the save-changes prompt, Colors, About and the print progress.
#pragma once

#include <QDialog>
#include <QLabel>
#include <array>
#include <functional>
#include <optional>

#include "platform/platform.h"

class QDialogButtonBox;
class QFormLayout;

namespace vistrel {

/// Stacks `form` over `buttons` (OK and Cancel) in `dialog`, which they accept and reject, and
/// runs it; true when it was accepted.
bool runFormDialog(QDialog& dialog, QFormLayout* form, QDialogButtonBox* buttons);

PromptAnswer runSaveChangesPrompt(QWidget* owner, const QString& text, bool saveAs);

/// The five lists G, A, T, C and N over the nine colour names; the chosen positions on OK (-1
/// for a list left without a selection).
std::optional<std::array<int, 5>> runColoursDialog(QWidget* owner,
                                                   const std::array<int, 5>& current,
                                                   const std::array<Rgb, 9>& colours);

void runAboutDialog(QWidget* owner);

/// The modal "Print" dialog: a line of text and Cancel. Cancel, Escape and closing the dialog
/// all report to `onCancel`.
class PrintProgressDialog : public QDialog {
 public:
  PrintProgressDialog(QWidget* owner, std::function<void()> onCancel);
  void setText(const QString& text);

 private:
  QLabel* text_;
};

/// The program's icon: four coloured peaks over a baseline.
QIcon programIcon();

}  // namespace vistrel
