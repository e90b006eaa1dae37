// The scroll bar's inputs mapped onto the core's scroll actions.
#include "qt/view_scroll_bar.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>
#include <optional>

namespace vistrel {

ViewScrollBar::ViewScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  // The view moves when a dragged thumb is released, not while it is dragged.
  setTracking(false);
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int a) { onAction(a); });
}

void ViewScrollBar::showRange(int maximum) {
  maximum_ = maximum;
  apply();
}

void ViewScrollBar::showPosition(int position) {
  position_ = position;
  apply();
}

void ViewScrollBar::apply() {
  setRange(0, std::max(maximum_, position_));
  setValue(position_);
}

void ViewScrollBar::onAction(int action) {
  // The slider has already moved its thumb for the action; it goes back to where the core
  // puts the view, which is where the slider's own update then leaves it.
  std::optional<ScrollAction> scroll;
  switch (action) {
    case SliderSingleStepAdd:
      scroll = ScrollAction::LineRight;
      break;
    case SliderSingleStepSub:
      scroll = ScrollAction::LineLeft;
      break;
    case SliderPageStepAdd:
      scroll = ScrollAction::PageRight;
      break;
    case SliderPageStepSub:
      scroll = ScrollAction::PageLeft;
      break;
    case SliderMove:  // a dragged thumb let go
      scroll = ScrollAction::ThumbPosition;
      break;
    default:  // the jumps to either end, as the keys Home and End give them
      break;
  }
  if (scroll && onScroll) onScroll(*scroll, sliderPosition());
  setSliderPosition(position_);
}

void ViewScrollBar::wheelEvent(QWheelEvent* event) {
  if (onWheel) onWheel(event);
  event->accept();
}

void ViewScrollBar::contextMenuEvent(QContextMenuEvent* event) {
  // The entries of a scroll bar's menu that are scroll actions of the view; the jumps to either
  // edge are left out, as the view ignores them.
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove =
      style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
  const QRect thumb =
      style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
  // The value whose thumb would be centred under the pointer.
  const int here = QStyle::sliderValueFromPosition(
      minimum(), maximum(), event->pos().x() - groove.left() - thumb.width() / 2,
      std::max(groove.width() - thumb.width(), 1));
  QMenu menu(this);
  QAction* scrollHere = menu.addAction("Scroll here");
  menu.addSeparator();
  QAction* pageLeft = menu.addAction("Page left");
  QAction* pageRight = menu.addAction("Page right");
  menu.addSeparator();
  QAction* lineLeft = menu.addAction("Scroll left");
  QAction* lineRight = menu.addAction("Scroll right");
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == nullptr || !onScroll) return;
  if (chosen == scrollHere) onScroll(ScrollAction::ThumbPosition, here);
  if (chosen == pageLeft) onScroll(ScrollAction::PageLeft, 0);
  if (chosen == pageRight) onScroll(ScrollAction::PageRight, 0);
  if (chosen == lineLeft) onScroll(ScrollAction::LineLeft, 0);
  if (chosen == lineRight) onScroll(ScrollAction::LineRight, 0);
}

}  // namespace vistrel
