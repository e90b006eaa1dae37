// The contig window: the rows of the reads over the reference with the consensus under them,
// the stacked traces of the selected column below, a horizontal scroll bar and a status bar.
// Qt's events go to the core's contig commands.
#pragma once

#include <QLabel>
#include <QScrollBar>
#include <functional>
#include <map>

#include "app/contig_window.h"
#include "qt/platform_window.h"

namespace vistrel {

/// The rows pane: clicks select a column and a read, a double click opens the read, keys move
/// and type, the wheel scrolls (with Ctrl zooms).
class ContigRowsWidget : public QWidget {
 public:
  ContigRowsWidget(ContigWindowState& state, const ViewSettings& settings, QWidget* parent);
  void attach(Platform& platform, std::function<void()> changed);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  ContigWindowState& state_;
  const ViewSettings& settings_;
  Platform* platform_ = nullptr;
  std::function<void()> changed_;
  int wheelRest_ = 0;
};

class ContigTracesWidget : public QWidget {
 public:
  ContigTracesWidget(ContigWindowState& state, const ViewSettings& settings, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  ContigWindowState& state_;
  const ViewSettings& settings_;
};

class ContigWindow : public PlatformWindow {
 public:
  ContigWindow(ContigWindowState& state, const ViewSettings& settings);
  void attach(Platform& platform);

  ContigRowsWidget* view() const override { return rows_; }
  ContigTracesWidget* traces() const { return traces_; }
  ViewScrollBar* scrollBar() const override { return scrollBar_; }
  int scrollPage() const override;
  void dispatch(int command) override;
  void placeFrame(const Rect& outer) override;
  QAction* action(int command) const;
  QString statusText() const { return status_->text(); }

  /// Brings both panes, the scroll bars and the status bar up to date with the state.
  void refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();

  ContigWindowState& state_;
  Platform* platform_ = nullptr;
  ContigRowsWidget* rows_ = nullptr;
  ContigTracesWidget* traces_ = nullptr;
  QScrollBar* rowsBar_ = nullptr;
  QScrollBar* stripsBar_ = nullptr;
  ViewScrollBar* scrollBar_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<int, QAction*> actions_;
};

}  // namespace vistrel
