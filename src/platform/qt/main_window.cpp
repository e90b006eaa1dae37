// Main window and view widget: they translate Qt events into calls of the core.
#include "platform/qt/main_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>
#include <optional>

#include "app/commands.h"
#include "app/load_flow.h"
#include "app/menu_table.h"
#include "platform/qt/qt_canvas.h"
#include "view/scrolling.h"
#include "view/trace_view.h"

namespace vistrel {

namespace {

/// Items whose menu entry can carry a check mark.
bool checkable(int command) {
  return (command >= kPrintXZoomFirst && command <= kPrintYZoomLast) ||
         command == kReverseComplement || (command >= kYScaleSmall && command <= kFontLarge) ||
         (command >= kYZoomFirst && command <= kYZoomLast) ||
         (command >= kContinuousEdit && command <= kEditedSequence);
}

std::optional<ScrollAction> lineOrPage(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollAction::LineRight;
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollAction::LineLeft;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollAction::PageRight;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollAction::PageLeft;
    default:
      return std::nullopt;
  }
}

}  // namespace

MainWindow::MainWindow(AppState& app) : app_(app) {
  setWindowTitle("Vistrel");
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  view_ = new TraceWidget(app, client);
  scrollBar_ = new QScrollBar(Qt::Horizontal, client);
  scrollBar_->setTracking(false);
  layout->addWidget(view_, 1);
  layout->addWidget(scrollBar_);
  setCentralWidget(client);
  buildMenus();
  connect(scrollBar_, &QScrollBar::actionTriggered, this, [this](int a) { onScrollAction(a); });
  connect(scrollBar_, &QScrollBar::sliderReleased, this, [this] {
    if (platform_ != nullptr) {
      scrollView(app_, *platform_, ScrollAction::ThumbPosition, scrollBar_->sliderPosition());
    }
  });
}

void MainWindow::attach(Platform& platform) {
  platform_ = &platform;
  view_->attach(platform);
}

QAction* MainWindow::action(int command) const {
  auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::dispatch(int command) {
  if (platform_ != nullptr) executeCommand(app_, *platform_, command);
}

void MainWindow::buildMenus() {
  std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
      [&](QMenu* menu, const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& entry : entries) {
          if (entry.kind == MenuEntry::Separator) {
            menu->addSeparator();
          } else if (entry.kind == MenuEntry::Submenu) {
            QMenu* sub = menu->addMenu(entry.text);
            if (entry.entries.size() == 2 && entry.entries[0].command == kCopyPlainText) {
              copyMenu_ = sub;
            }
            fill(sub, entry.entries);
          } else {
            QAction* action = menu->addAction(entry.text);
            QList<QKeySequence> keys;
            for (const char* shortcut : entry.shortcuts) keys.append(QKeySequence(shortcut));
            action->setShortcuts(keys);
            action->setCheckable(checkable(entry.command));
            action->setData(entry.command);
            const int command = entry.command;
            connect(action, &QAction::triggered, this, [this, command] { dispatch(command); });
            actions_[command] = action;
          }
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { refreshMenu(menu); });
        // Accelerators work whatever the menu showed last; the commands check the state.
        connect(menu, &QMenu::aboutToHide, this, [menu] {
          for (QAction* action : menu->actions()) action->setEnabled(true);
        });
      };
  for (const MenuEntry& top : menuTable()) fill(menuBar()->addMenu(top.text), top.entries);
}

void MainWindow::refreshMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    // Submenus refresh when they open; separators carry no command.
    if (action->menu() != nullptr || !action->data().isValid()) continue;
    MenuItemState state = menuItemState(app_, action->data().toInt());
    action->setEnabled(state.enabled);
    action->setChecked(state.checked);
  }
  if (copyMenu_ != nullptr) copyMenu_->setEnabled(copySubmenuEnabled(app_));
}

void MainWindow::onScrollAction(int action) {
  if (platform_ == nullptr) return;
  // The thumb follows a drag and the view moves when it is released; the jumps to the ends are
  // ignored.
  if (action == QAbstractSlider::SliderMove) return;
  if (std::optional<ScrollAction> step = lineOrPage(action)) scrollView(app_, *platform_, *step);
  // The core decides where the thumb goes, not the slider's own step.
  scrollBar_->setSliderPosition(app_.view.scrollPos);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (platform_ == nullptr || !closeRequested(app_, *platform_)) {
    event->ignore();
    return;
  }
  windowDestroyed(app_, *platform_);
  event->accept();
}

TraceWidget::TraceWidget(AppState& app, QWidget* parent) : QWidget(parent), app_(app) {
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setMouseTracking(true);
  setAcceptDrops(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TraceWidget::paintEvent(QPaintEvent* event) {
  if (platform_ == nullptr) return;
  QPainter painter(this);
  QtCanvas canvas(painter);
  paintView(app_, *platform_, canvas, fromQRect(event->rect()));
}

void TraceWidget::resizeEvent(QResizeEvent* event) {
  if (platform_ != nullptr) {
    resizeClient(app_, *platform_, event->size().width(), event->size().height());
  }
}

void TraceWidget::mouseMoveEvent(QMouseEvent* event) {
  if (platform_ != nullptr) platform_->setCursor(cursorAt(app_, event->position().toPoint().y()));
}

void TraceWidget::mousePressEvent(QMouseEvent* event) {
  mouseMoveEvent(event);
}

void TraceWidget::mouseReleaseEvent(QMouseEvent* event) {
  mouseMoveEvent(event);
}

void TraceWidget::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void TraceWidget::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  if (platform_ == nullptr || paths.empty()) return;
  event->acceptProposedAction();
  loadFiles(app_, *platform_, paths);
}

}  // namespace vistrel
