// What the platform over Qt needs of a window of the program, the trace window or the contig
// window: the widget it paints and scrolls, its horizontal scroll bar and its commands.
#pragma once

#include <QMainWindow>

#include "platform/types.h"
#include "qt/view_scroll_bar.h"

namespace vistrel {

class PlatformWindow : public QMainWindow {
 public:
  using QMainWindow::QMainWindow;

  /// The widget that the core's invalidate, scroll and cursor requests reach.
  virtual QWidget* view() const = 0;
  virtual ViewScrollBar* scrollBar() const = 0;
  /// The scroll bar's page, in the units of its range.
  virtual int scrollPage() const = 0;
  /// Runs a command as its menu item or accelerator does.
  virtual void dispatch(int command) = 0;
  /// Places the window by its outer rectangle, frame included.
  virtual void placeFrame(const Rect& outer) = 0;
};

}  // namespace vistrel
