// The main window: the menu bar, the view (the client area) and the horizontal scroll bar under
// it. Qt's events go to the core, which owns all behaviour.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QToolBar>
#include <functional>
#include <map>

#include "app/app_state.h"
#include "platform/platform.h"
#include "qt/platform_window.h"
#include "qt/view_scroll_bar.h"

namespace vistrel {

/// The client area: painting, resizes, the wheel and dropped files; the mouse and the keys go to
/// the core's editing.
class TraceWidget : public QWidget {
 public:
  TraceWidget(AppState& app, QWidget* parent);
  void attach(Platform& platform) { platform_ = &platform; }

  /// A wheel turn over the view or its scroll bar: scrolls, or with Ctrl zooms.
  void wheel(QWheelEvent* event);

  /// Called after every paint.
  std::function<void()> onPainted;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  /// Home and End go to the first and last base, Page Up and Page Down scroll a window's width;
  /// false for any other key.
  bool moveKey(int key);

  /// Hands a mouse event to the core: a press or release of the left button to `leftButton`
  /// (when given), anything else as a move.
  void forwardMouse(QMouseEvent* event, void (*leftButton)(EditContext&, Point));

  AppState& app_;
  Platform* platform_ = nullptr;
};

class MainWindow : public PlatformWindow {
 public:
  explicit MainWindow(AppState& app);

  /// Connects the window to the platform that the core uses; before this no event reaches
  /// the core.
  void attach(Platform& platform);

  /// Shows the toolbar when the settings read at start-up say so, before the window is sized.
  void applyToolbarSetting();

  TraceWidget* view() const override { return view_; }
  ViewScrollBar* scrollBar() const override { return scrollBar_; }
  int scrollPage() const override;
  /// The action of menu command `command`, or nullptr.
  QAction* action(int command) const;

  /// Runs a command as its menu item or accelerator does.
  void dispatch(int command) override;

  /// Places the window by its outer rectangle, frame included. Until the window manager has
  /// framed the window the frame is not known; its width is then taken off once it is.
  void placeFrame(const Rect& outer) override;

  /// Called once, when a window manager has framed the window.
  std::function<void()> onFramed;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void buildMenus();
  void refreshMenu(QMenu* menu);
  /// The status bar and the title's modified mark, after anything that may change them.
  void refreshStatus();
  void fillRecentFiles();
  void buildToolbar();
  /// Shows or hides the toolbar as the settings say, the window growing or shrinking by its
  /// height so that the view keeps its size.
  void followToolbarSetting();

  AppState& app_;
  Platform* platform_ = nullptr;
  TraceWidget* view_ = nullptr;
  ViewScrollBar* scrollBar_ = nullptr;
  QMenu* copyMenu_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<int, QAction*> actions_;
  int wantedFrameWidth_ = 0;  ///< the outer width last asked for
  bool framed_ = false;
};

}  // namespace vistrel
