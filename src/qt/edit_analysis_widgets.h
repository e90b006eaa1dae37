// The Edit Analysis dialog and the modeless window that shows an analysis. The window's painting
// is the core's; the widget forwards its paints and its size.
#pragma once

#include <QDialog>
#include <QWidget>
#include <optional>

#include "app/app_state.h"
#include "platform/platform.h"

namespace vistrel {

/// The dialog over `last`: the control file (typed or browsed), the guide, the cut offset, the
/// largest indel and the donor. OK is enabled once a control is named and the guide has 17 to
/// 24 letters. The answers on OK.
std::optional<EditAnalysisSetup> runEditAnalysisDialog(QWidget* owner,
                                                       const EditAnalysisSetup& last);

/// "Edit Analysis": a child window of `owner` painting `app`'s shown analysis.
class EditAnalysisWindow : public QWidget {
 public:
  EditAnalysisWindow(QWidget* owner, const AppState& app, ScreenLook& screen);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const AppState& app_;
  ScreenLook& screen_;
};

}  // namespace vistrel
