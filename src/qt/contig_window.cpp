// The contig window's widgets: they forward Qt's events to the core and repaint after each.
#include "qt/contig_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <optional>

#include "app/contig_painting.h"
#include "app/menu_table.h"
#include "qt/qt_canvas.h"

namespace vistrel {

namespace {

/// What one notch of the wheel turns, in its units, and the columns it scrolls.
constexpr int kWheelNotch = 120;
constexpr int kColumnsPerNotch = 3;

QWidget* withVerticalBar(QWidget* pane, QScrollBar* bar, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(pane, 1);
  layout->addWidget(bar);
  return box;
}

void whitePane(QWidget* pane) {
  pane->setAutoFillBackground(true);
  QPalette white = pane->palette();
  white.setColor(QPalette::Window, Qt::white);
  pane->setPalette(white);
}

std::optional<ContigKey> contigKeyOf(int key) {
  switch (key) {
    case Qt::Key_Left:
      return ContigKey::Left;
    case Qt::Key_Right:
      return ContigKey::Right;
    case Qt::Key_Up:
      return ContigKey::Up;
    case Qt::Key_Down:
      return ContigKey::Down;
    case Qt::Key_Home:
      return ContigKey::Home;
    case Qt::Key_End:
      return ContigKey::End;
    case Qt::Key_PageUp:
      return ContigKey::PageLeft;
    case Qt::Key_PageDown:
      return ContigKey::PageRight;
    default:
      return std::nullopt;
  }
}

}  // namespace

ContigWindow::ContigWindow(ContigWindowState& state, const ViewSettings& settings) : state_(state) {
  setWindowTitle("Vistrel Contig");
  auto* client = new QWidget(this);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* splitter = new QSplitter(Qt::Vertical, client);
  rows_ = new ContigRowsWidget(state, settings, splitter);
  traces_ = new ContigTracesWidget(state, settings, splitter);
  rowsBar_ = new QScrollBar(Qt::Vertical, splitter);
  stripsBar_ = new QScrollBar(Qt::Vertical, splitter);
  splitter->addWidget(withVerticalBar(rows_, rowsBar_, splitter));
  splitter->addWidget(withVerticalBar(traces_, stripsBar_, splitter));
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 2);
  scrollBar_ = new ViewScrollBar(client);
  scrollBar_->setFocusPolicy(Qt::NoFocus);
  rowsBar_->setFocusPolicy(Qt::NoFocus);
  stripsBar_->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(splitter, 1);
  layout->addWidget(scrollBar_);
  setCentralWidget(client);
  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  buildMenus();
  rows_->setFocus();
  connect(rowsBar_, &QScrollBar::valueChanged, this, [this](int value) {
    state_.view.firstRow = value;
    rows_->update();
  });
  connect(stripsBar_, &QScrollBar::valueChanged, this, [this](int value) {
    state_.view.firstStrip = value;
    traces_->update();
  });
  scrollBar_->onScroll = [this](ScrollAction action, int position) {
    if (platform_ == nullptr) return;
    const std::int32_t first = state_.view.firstColumn;
    const std::int32_t page = visibleColumns(state_.view);
    switch (action) {
      case ScrollAction::LineLeft:
        scrollContigTo(state_, *platform_, first - 1);
        break;
      case ScrollAction::LineRight:
        scrollContigTo(state_, *platform_, first + 1);
        break;
      case ScrollAction::PageLeft:
        scrollContigTo(state_, *platform_, first - page);
        break;
      case ScrollAction::PageRight:
        scrollContigTo(state_, *platform_, first + page);
        break;
      case ScrollAction::ThumbPosition:
        scrollContigTo(state_, *platform_, position);
        break;
    }
    refresh();
  };
}

void ContigWindow::attach(Platform& platform) {
  platform_ = &platform;
  rows_->attach(platform, [this] { refresh(); });
}

int ContigWindow::scrollPage() const {
  return visibleColumns(state_.view);
}

QAction* ContigWindow::action(int command) const {
  auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void ContigWindow::dispatch(int command) {
  if (platform_ == nullptr) return;
  executeContigCommand(state_, *platform_, command);
  refresh();
}

void ContigWindow::placeFrame(const Rect& outer) {
  move(outer.left, outer.top);
  resize(outer.width(), outer.height());
}

void ContigWindow::refresh() {
  const ContigRows rows = contigRows(state_);
  const Contig* contig = shownContig(state_);
  const int reads = contig == nullptr ? 0 : static_cast<int>(contig->reads.size());
  const QSignalBlocker rowsBlocked(rowsBar_), stripsBlocked(stripsBar_);
  rowsBar_->setRange(0, std::max(reads - rows.visibleRows(), 0));
  rowsBar_->setPageStep(rows.visibleRows());
  rowsBar_->setValue(state_.view.firstRow);
  const int strips = static_cast<int>(stackedRows(state_).size());
  const int shown = std::max(state_.view.tracesHeight / contigStripHeight(state_.view), 1);
  stripsBar_->setRange(0, std::max(strips - shown, 0));
  stripsBar_->setPageStep(shown);
  stripsBar_->setValue(state_.view.firstStrip);
  setWindowModified(hasUnsavedContigChanges(state_));
  const QString text = QString::fromStdString(contigStatusText(state_));
  if (status_->text() != text) status_->setText(text);
  rows_->update();
  traces_->update();
}

void ContigWindow::buildMenus() {
  for (const MenuEntry& top : contigMenuTable()) {
    QMenu* menu = menuBar()->addMenu(top.text);
    for (const MenuEntry& entry : top.entries) {
      if (entry.kind == MenuEntry::Separator) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(entry.text);
      QList<QKeySequence> keys;
      for (const char* shortcut : entry.shortcuts) keys.append(QKeySequence(shortcut));
      action->setShortcuts(keys);
      const int command = entry.command;
      connect(action, &QAction::triggered, this, [this, command] { dispatch(command); });
      actions_[command] = action;
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
      for (QAction* action : menu->actions()) {
        for (const auto& [command, known] : actions_) {
          if (known == action) action->setEnabled(contigCommandEnabled(state_, command));
        }
      }
    });
    // Accelerators work whatever the menu showed last; the commands check the state.
    connect(menu, &QMenu::aboutToHide, this, [menu] {
      for (QAction* action : menu->actions()) action->setEnabled(true);
    });
  }
}

void ContigWindow::closeEvent(QCloseEvent* event) {
  if (platform_ != nullptr && !settleContigChanges(state_, *platform_)) {
    event->ignore();
    refresh();
    return;
  }
  event->accept();
}

ContigRowsWidget::ContigRowsWidget(ContigWindowState& state, const ViewSettings& settings,
                                   QWidget* parent)
    : QWidget(parent), state_(state), settings_(settings) {
  whitePane(this);
  setFocusPolicy(Qt::StrongFocus);
}

void ContigRowsWidget::attach(Platform& platform, std::function<void()> changed) {
  platform_ = &platform;
  changed_ = std::move(changed);
}

void ContigRowsWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  QtCanvas canvas(painter, true);
  paintContigRows(state_, settings_, canvas, fromQRect(event->rect()));
}

void ContigRowsWidget::resizeEvent(QResizeEvent* event) {
  state_.view.width = event->size().width();
  state_.view.rowsHeight = event->size().height();
  if (platform_ == nullptr) return;
  scrollContigTo(state_, *platform_, state_.view.firstColumn);
  changed_();
}

void ContigRowsWidget::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  if (platform_ == nullptr || event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const ContigHit hit = contigHitAt(state_, {at.x(), at.y()});
  if (hit.column >= 0) selectColumn(state_, *platform_, hit.column, hit.row);
  changed_();
}

void ContigRowsWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (platform_ == nullptr || event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  const ContigHit hit = contigHitAt(state_, {at.x(), at.y()});
  if (hit.row >= 0 && hit.column >= 0) openReadAt(state_, *platform_, hit.row, hit.column);
}

void ContigRowsWidget::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) == 0;
  const std::optional<ContigKey> key = contigKeyOf(event->key());
  const QString text = event->text();
  if (platform_ == nullptr || !plain) {
    QWidget::keyPressEvent(event);
    return;
  }
  if (key) {
    pressContigKey(state_, *platform_, *key);
  } else if (text.size() == 1 && text[0].unicode() < 0x80) {
    typeContigLetter(state_, *platform_, static_cast<std::uint8_t>(text[0].unicode()));
  } else {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  changed_();
}

void ContigRowsWidget::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (platform_ == nullptr) return;
  const QPoint angle = event->angleDelta();
  wheelRest_ += std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
  const int notches = wheelRest_ / kWheelNotch;
  wheelRest_ -= notches * kWheelNotch;
  if (notches == 0) return;
  if (event->modifiers() & Qt::ControlModifier) {
    zoomContig(state_, *platform_, notches);
  } else {
    scrollContigTo(state_, *platform_, state_.view.firstColumn - notches * kColumnsPerNotch);
  }
  changed_();
}

ContigTracesWidget::ContigTracesWidget(ContigWindowState& state, const ViewSettings& settings,
                                       QWidget* parent)
    : QWidget(parent), state_(state), settings_(settings) {
  whitePane(this);
}

void ContigTracesWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QtCanvas canvas(painter, true);
  paintContigTraces(state_, settings_, canvas);
}

void ContigTracesWidget::resizeEvent(QResizeEvent* event) {
  state_.view.tracesHeight = event->size().height();
}

}  // namespace vistrel
