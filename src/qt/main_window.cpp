// Main window and view widget: they translate Qt events into calls of the core.
#include "qt/main_window.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <optional>

#include "app/commands.h"
#include "app/load_flow.h"
#include "app/menu_table.h"
#include "app/save_commands.h"
#include "app/shown_read.h"
#include "app/status_text.h"
#include "edit/input.h"
#include "edit/navigation.h"
#include "edit/view_updates.h"
#include "qt/desktop.h"
#include "qt/qt_canvas.h"
#include "view/layout.h"
#include "view/scrolling.h"
#include "view/trace_view.h"

namespace vistrel {

MainWindow::MainWindow(AppState& app) : app_(app) {
  setWindowTitle("Vistrel");
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  view_ = new TraceWidget(app, client);
  scrollBar_ = new ViewScrollBar(client);
  layout->addWidget(view_, 1);
  layout->addWidget(scrollBar_);
  setCentralWidget(client);
  // The keys belong to the view: the scroll bar, a part of the window's frame, never takes
  // them.
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  view_->setFocus();
  buildMenus();
  buildToolbar();
  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  // Whatever changes the selection, the caret or the document repaints the view, so the text
  // is brought up to date after each paint.
  view_->onPainted = [this] { refreshStatus(); };
  scrollBar_->onScroll = [this](ScrollAction action, int position) {
    if (platform_ != nullptr) {
      scrollView(app_.document, app_.settings, app_.view, *platform_, action, position);
    }
  };
  scrollBar_->onWheel = [this](QWheelEvent* event) { view_->wheel(event); };
}

void MainWindow::attach(Platform& platform) {
  platform_ = &platform;
  view_->attach(platform);
}

void MainWindow::applyToolbarSetting() {
  toolbar_->setVisible(app_.settings.showToolbar != 0);
}

QAction* MainWindow::action(int command) const {
  auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

int MainWindow::scrollPage() const {
  return std::max(visibleSpan(app_.settings, app_.view.clientWidth), 1);
}

void MainWindow::dispatch(int command) {
  if (platform_ == nullptr) return;
  executeCommand(app_, *platform_, command);
  if (command == kShowToolbar) followToolbarSetting();
  refreshStatus();
}

void MainWindow::placeFrame(const Rect& outer) {
  const int sides = frameGeometry().width() - geometry().width();
  const int ends = frameGeometry().height() - geometry().height();
  wantedFrameWidth_ = outer.width();
  // move() places the frame's corner, also while the frame is still unknown.
  move(outer.left, outer.top);
  resize(outer.width() - sides, outer.height() - ends);
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  const QEvent::Type type = event->type();
  // Typing goes to the view again whenever the window comes back from another one, such as the
  // modeless Find dialog.
  if (type == QEvent::WindowActivate) view_->setFocus(Qt::ActiveWindowFocusReason);
  if (!framed_ && (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show)) {
    // A window manager frames the window only after it is shown: the stored width is the
    // frame's, and a placement from the command line counts the frame's height.
    const int sides = frameGeometry().width() - geometry().width();
    const int ends = frameGeometry().height() - geometry().height();
    if (sides > 0 || ends > 0) {
      framed_ = true;
      resize(wantedFrameWidth_ - sides, height());
      if (onFramed) onFramed();
    }
  }
  return handled;
}

void MainWindow::buildMenus() {
  std::map<int, QActionGroup*> groups;
  std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
      [&](QMenu* menu, const std::vector<MenuEntry>& entries) {
        for (const MenuEntry& entry : entries) {
          if (entry.kind == MenuEntry::Separator) {
            menu->addSeparator();
          } else if (entry.kind == MenuEntry::Submenu) {
            QMenu* sub = menu->addMenu(entry.text);
            if (entry.name == kCopySequenceSubmenu) copyMenu_ = sub;
            if (entry.name == kRecentFilesSubmenu) {
              recentMenu_ = sub;
              connect(sub, &QMenu::aboutToShow, this, [this] { fillRecentFiles(); });
            }
            fill(sub, entry.entries);
          } else {
            QAction* action = menu->addAction(entry.text);
            QList<QKeySequence> keys;
            for (const char* shortcut : entry.shortcuts) keys.append(QKeySequence(shortcut));
            action->setShortcuts(keys);
            action->setCheckable(entry.checkable);
            if (entry.group != 0) {
              QActionGroup*& group = groups[entry.group];
              if (group == nullptr) group = new QActionGroup(this);
              group->addAction(action);
            }
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

void MainWindow::refreshStatus() {
  const QString text = QString::fromStdString(statusText(app_));
  if (status_->text() != text) status_->setText(text);
  setWindowModified(hasUnsavedChanges(app_));
}

void MainWindow::buildToolbar() {
  toolbar_ = addToolBar("Toolbar");
  toolbar_->setObjectName("toolbar");
  toolbar_->setMovable(false);
  toolbar_->setFocusPolicy(Qt::NoFocus);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (const ToolbarButton& button : toolbarButtons()) {
    if (button.command == 0) {
      toolbar_->addSeparator();
      continue;
    }
    QAction* action = toolbar_->addAction(button.label);
    const int command = button.command;
    if (QAction* item = this->action(command); item != nullptr && !item->shortcut().isEmpty()) {
      action->setToolTip(QString("%1 (%2)").arg(button.label, item->shortcut().toString()));
    }
    connect(action, &QAction::triggered, this, [this, command] { dispatch(command); });
  }
  // The keys stay with the view.
  for (QWidget* child : toolbar_->findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
  toolbar_->hide();
}

void MainWindow::followToolbarSetting() {
  const bool wanted = app_.settings.showToolbar != 0;
  if (toolbar_->isHidden() != wanted) return;
  const int height = toolbar_->sizeHint().height();
  toolbar_->setVisible(wanted);
  resize(width(), this->height() + (wanted ? height : -height));
}

void MainWindow::fillRecentFiles() {
  recentMenu_->clear();
  const std::vector<std::string> files = readRecentFiles(settingsFilePath());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const int command = kOpenRecentFirst + static_cast<int>(i);
    const QString name = QFile::decodeName(QByteArray::fromStdString(files[i]));
    QAction* action = recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(name));
    connect(action, &QAction::triggered, this, [this, command] { dispatch(command); });
  }
  if (files.empty()) recentMenu_->addAction("(none)")->setEnabled(false);
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

void TraceWidget::wheel(QWheelEvent* event) {
  event->accept();
  if (platform_ == nullptr) return;
  // A horizontal wheel or a sideways swipe counts like a vertical turn, as over a scroll bar.
  const QPoint angle = event->angleDelta();
  int delta = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
  if (event->inverted()) delta = -delta;
  if (event->modifiers() & Qt::ControlModifier) {
    // About the pointer's column; over the scroll bar the column above it.
    const int x = mapFromGlobal(event->globalPosition().toPoint()).x();
    wheelZoom(app_.document, app_.settings, app_.view, *platform_, delta, x);
  } else {
    wheelScroll(app_.document, app_.settings, app_.view, *platform_, delta);
  }
}

void TraceWidget::paintEvent(QPaintEvent* event) {
  if (platform_ == nullptr) return;
  // What the paint shows of the read's analysis is worked out first, after a change only; the
  // reference row comes back from its alignment later and is repainted then.
  followShownRead(app_, *platform_);
  QPainter painter(this);
  QtCanvas canvas(painter, true);
  paintView(app_.document, app_.settings, app_.view, *platform_, canvas, fromQRect(event->rect()));
  if (onPainted) onPainted();
}

void TraceWidget::resizeEvent(QResizeEvent* event) {
  if (platform_ != nullptr) {
    resizeClient(app_.document, app_.settings, app_.view, *platform_, event->size().width(),
                 event->size().height());
  }
}

namespace {

Point pointOf(const QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  return {at.x(), at.y()};
}

bool leftHeld(const QMouseEvent* event) {
  return (event->buttons() & Qt::LeftButton) != 0;
}

}  // namespace

void TraceWidget::forwardMouse(QMouseEvent* event, void (*leftButton)(EditContext&, Point)) {
  if (platform_ == nullptr) return;
  EditContext c = editContext(app_, *platform_);
  if (leftButton == leftButtonDown && event->button() == Qt::LeftButton &&
      (event->modifiers() & Qt::ShiftModifier)) {
    shiftClick(c, pointOf(event));
  } else if (leftButton != nullptr && event->button() == Qt::LeftButton) {
    leftButton(c, pointOf(event));
  } else {
    mouseMove(c, pointOf(event), leftHeld(event));
  }
}

void TraceWidget::leaveEvent(QEvent*) {
  app_.view.pointerX = -1;
}

void TraceWidget::mouseMoveEvent(QMouseEvent* event) {
  app_.view.pointerX = event->position().toPoint().x();
  forwardMouse(event, nullptr);
}

void TraceWidget::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  forwardMouse(event, leftButtonDown);
}

void TraceWidget::mouseReleaseEvent(QMouseEvent* event) {
  forwardMouse(event, leftButtonUp);
}

void TraceWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || (event->modifiers() & Qt::ShiftModifier)) {
    mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  forwardMouse(event, doubleClick);
}

void TraceWidget::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  // Alt combinations belong to the menus; Ctrl and Meta ones to the accelerators, which Qt
  // offers to the actions before the view sees the key.
  const bool plain = (modifiers & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) == 0;
  std::optional<EditKey> key;
  switch (event->key()) {
    case Qt::Key_Backspace:
      key = EditKey::Backspace;
      break;
    case Qt::Key_Delete:
      key = EditKey::Delete;
      break;
    case Qt::Key_Left:
      key = EditKey::Left;
      break;
    case Qt::Key_Right:
      key = EditKey::Right;
      break;
    default:
      break;
  }
  if (platform_ != nullptr && plain && moveKey(event->key())) {
    event->accept();
    return;
  }
  const QString text = event->text();
  // Only a single ASCII character can be a letter of the sequence; the core decides which.
  const bool character = plain && !key && text.size() == 1 && text[0].unicode() < 0x80;
  if (platform_ == nullptr || !(character || (key && !(modifiers & Qt::AltModifier)))) {
    QWidget::keyPressEvent(event);
    return;
  }
  EditContext c = editContext(app_, *platform_);
  const bool shifted = (modifiers & Qt::ShiftModifier) != 0;
  if (key && shifted && (*key == EditKey::Left || *key == EditKey::Right)) {
    extendSelection(c, *key == EditKey::Left ? -1 : 1);
  } else if (key) {
    pressKey(c, *key);
  } else {
    typeCharacter(c, static_cast<std::uint8_t>(text[0].unicode()));
  }
  event->accept();
}

bool TraceWidget::moveKey(int key) {
  const Chromatogram& d = app_.document;
  if (!d.loaded || app_.settings.xZoomMode == kFit) return false;
  EditContext c = editContext(app_, *platform_);
  switch (key) {
    case Qt::Key_Home:
      goToBase(c, 0);
      return true;
    case Qt::Key_End:
      goToBase(c, d.shown().baseCount - 1);
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      scrollView(d, app_.settings, app_.view, *platform_,
                 key == Qt::Key_PageUp ? ScrollAction::PageLeft : ScrollAction::PageRight);
      return true;
    default:
      return false;
  }
}

void TraceWidget::wheelEvent(QWheelEvent* event) {
  wheel(event);
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
    // A file URL carries the name's bytes percent-encoded; as text a name that is not UTF-8
    // would be lost.
    if (url.isLocalFile()) {
      paths.push_back(
          QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
  }
  if (platform_ == nullptr || paths.empty()) return;
  event->acceptProposedAction();
  loadFiles(app_, *platform_, paths);
}

}  // namespace vistrel
