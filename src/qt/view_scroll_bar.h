// The horizontal scroll bar under the view. It shows the range and position that the core
// sets and never moves on its own: every input (arrows, page clicks, the thumb, its context
// menu) becomes a scroll action of the core, or does nothing.
#pragma once

#include <QScrollBar>
#include <functional>

#include "platform/platform.h"

namespace vistrel {

class ViewScrollBar : public QScrollBar {
 public:
  explicit ViewScrollBar(QWidget* parent);

  /// Called with each scroll action; the position is the thumb's for ThumbPosition.
  std::function<void(ScrollAction, int)> onScroll;
  /// Called with the wheel events that reach the bar, so that they scroll as over the view.
  std::function<void(QWheelEvent*)> onWheel;

  /// The range 0 to `maximum` and the view's position; the range grows to hold the position
  /// when a wider window leaves the view past the range's end.
  void showRange(int maximum);
  void showPosition(int position);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void onAction(int action);
  void apply();

  int maximum_ = 0;
  int position_ = 0;
};

}  // namespace vistrel
