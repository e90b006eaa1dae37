// Qt services behind the platform interface.
#include "qt/qt_platform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

#include "qt/desktop.h"
#include "qt/detached_process.h"
#include "qt/dialogs.h"
#include "qt/help_text.h"
#include "qt/print_device.h"
#include "qt/qt_canvas.h"
#include "view/layout.h"

namespace vistrel {

namespace {

QScreen* screenOf(QWidget& window) {
  QScreen* screen = window.screen();
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

/// The highest page number the print dialog takes.
constexpr int kLastChoosablePage = 65534;

}  // namespace

QtPlatform::QtPlatform(PlatformWindow& window, AppState& app) : window_(window), app_(app) {
  background_.setMaxThreadCount(1);
}

QtPlatform::~QtPlatform() {
  // What the works hand back refers to the window's state: none of it may run from now on.
  *alive_ = false;
  background_.clear();
  background_.waitForDone();
  delete help_;
  delete printProgress_;
  // It paints with this platform's fonts.
  delete editAnalysis_;
  // The dialog talks to this platform; it goes first.
  delete find_;
}

void QtPlatform::showMessage(const std::string& text, MessageIcon icon, MessageOwner owner) {
  const bool owned = owner == MessageOwner::MainWindow;
  QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning,
                  owned ? "Vistrel" : "Error", textOf(text), QMessageBox::Ok,
                  owned ? &window_ : nullptr);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

std::vector<std::string> QtPlatform::chooseFilesToOpen(const std::string& folder) {
  std::vector<std::string> paths;
  for (const QString& path : QFileDialog::getOpenFileNames(
           &window_, QString(), QFile::decodeName(QByteArray::fromStdString(folder)),
           "Trace files (*.ab1 *.abi *.scf);;All files (*)")) {
    paths.push_back(QFile::encodeName(path).toStdString());
  }
  return paths;
}

std::optional<std::string> QtPlatform::chooseReferenceFile(const std::string& title) {
  const QString path = QFileDialog::getOpenFileName(
      &window_, QString::fromStdString(title), QString(),
      "Sequences (*.fasta *.fa *.fas *.fna *.gb *.gbk *.genbank *.seq *.txt);;All files (*)");
  if (path.isEmpty()) return std::nullopt;
  return QFile::encodeName(path).toStdString();
}

std::optional<int> QtPlatform::askBaseNumber(int current, int count) {
  bool chosen = false;
  const int base =
      QInputDialog::getInt(&window_, "Go to Base", QString("Base number (1 to %1):").arg(count),
                           current, 1, count, 1, &chosen);
  if (!chosen) return std::nullopt;
  return base;
}

std::optional<std::size_t> QtPlatform::chooseReferenceRecord(
    const std::vector<std::string>& headers) {
  QStringList items;
  for (const std::string& h : headers)
    items << QString::fromUtf8(h.data(), static_cast<int>(h.size()));
  bool chosen = false;
  const QString item = QInputDialog::getItem(&window_, "Align to Reference",
                                             "The file holds several sequences. Align to:", items,
                                             0, false, &chosen);
  if (!chosen) return std::nullopt;
  const qsizetype index = items.indexOf(item);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

std::optional<SaveChoice> QtPlatform::chooseFileToSave(const SaveDialog& spec) {
  QFileDialog dialog(&window_, QString::fromStdString(spec.title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const FileFilter& f : spec.filters) {
    filters << QString::fromStdString(f.name + " (" + f.pattern + ")");
  }
  dialog.setNameFilters(filters);
  if (!spec.suggested.empty()) {
    // A name relative to the working folder would be taken relative to the dialog's.
    const QFileInfo suggested(QFile::decodeName(QByteArray::fromStdString(spec.suggested)));
    dialog.setDirectory(suggested.absolutePath());
    dialog.selectFile(suggested.absoluteFilePath());
  }
  if (spec.selectedFilter >= 0 && spec.selectedFilter < filters.size()) {
    dialog.selectNameFilter(filters[spec.selectedFilter]);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const int filter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  return SaveChoice{QFile::encodeName(dialog.selectedFiles().front()).toStdString(),
                    filter < 0 ? 0 : filter};
}

PromptAnswer QtPlatform::askToSaveChanges(const std::string& text, bool saveAs) {
  return runSaveChangesPrompt(&window_, textOf(text), saveAs);
}

std::optional<std::array<int, 5>> QtPlatform::chooseColours(const std::array<int, 5>& current) {
  return runColoursDialog(&window_, current, app_.settings.colourTable);
}

void QtPlatform::showAbout() {
  runAboutDialog(&window_);
}

void QtPlatform::showFindDialog() {
  // A dialog closed before is replaced by a new one, empty as the first.
  if (find_ != nullptr) find_->deleteLater();
  find_ = new FindDialog(&window_, app_.find, *this);
  find_->show();
  find_->raise();
  find_->activateWindow();
}

std::optional<EditAnalysisSetup> QtPlatform::askEditAnalysisSetup(const EditAnalysisSetup& last) {
  return runEditAnalysisDialog(&window_, last);
}

void QtPlatform::showEditAnalysisWindow() {
  if (editAnalysis_ == nullptr) editAnalysis_ = new EditAnalysisWindow(&window_, app_, *this);
  editAnalysis_->update();
  editAnalysis_->show();
  editAnalysis_->raise();
}

std::optional<PrintChoice> QtPlatform::choosePrinter() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setPrintRange(QPrinter::PageRange);
  printer->setFromTo(1, 1);
  // One copy asked for here; more are the print system's business, not the job's.
  printer->setCopyCount(1);
  QPrintDialog dialog(printer.get(), &window_);
  dialog.setMinMax(1, kLastChoosablePage);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (auto* all = dialog.findChild<QAbstractButton*>("printAll")) all->setText("&All");
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  PrintChoice choice;
  choice.allPages = dialog.printRange() != QAbstractPrintDialog::PageRange;
  // The pages as typed: the printer keeps a from-page above the to-page as from..from, and the
  // job's own rules settle the range.
  const auto* from = dialog.findChild<QSpinBox*>("from");
  const auto* to = dialog.findChild<QSpinBox*>("to");
  choice.fromPage = from != nullptr ? from->value() : printer->fromPage();
  choice.toPage = to != nullptr ? to->value() : printer->toPage();
  choice.device = printDeviceFor(std::move(printer));
  return choice;
}

void QtPlatform::showPrintProgress(const std::string& text) {
  if (printProgress_ == nullptr) {
    printCancelled_ = false;
    printProgress_ = new PrintProgressDialog(&window_, [this] { printCancelled_ = true; });
    printProgress_->show();
  }
  printProgress_->setText(textOf(text));
}

void QtPlatform::closePrintProgress() {
  delete printProgress_;
  // It paints with this platform's fonts.
  delete editAnalysis_;
}

bool QtPlatform::printCancelled() {
  return printCancelled_;
}

void QtPlatform::processPendingEvents() {
  QCoreApplication::processEvents();
}

void QtPlatform::beep() {
  QApplication::beep();
}

void QtPlatform::invalidate(const Rect& area) {
  window_.view()->update(toQRect(area));
}

void QtPlatform::scroll(int dx, const Rect& area) {
  window_.view()->scroll(dx, 0, toQRect(area));
}

void QtPlatform::setWindowTitle(const std::string& title) {
  // Qt takes "[*]" in a title as the place of the modified mark, which the window sets; doubled
  // it shows as itself.
  window_.setWindowTitle(textOf(title).replace("[*]", "[*][*]") + "[*]");
}

void QtPlatform::setCursor(CursorShape shape) {
  switch (shape) {
    case CursorShape::Arrow:
      window_.view()->setCursor(Qt::ArrowCursor);
      break;
    case CursorShape::IBeam:
      window_.view()->setCursor(Qt::IBeamCursor);
      break;
    case CursorShape::Wait:
      window_.view()->setCursor(Qt::WaitCursor);
      break;
  }
}

Rect QtPlatform::windowRect() {
  return fromQRect(window_.frameGeometry());
}

void QtPlatform::moveWindow(const Rect& outer) {
  window_.placeFrame(outer);
}

Rect QtPlatform::clientRect() {
  // From the window's own size, which follows a resize at once, rather than from the view,
  // whose layout catches up later.
  int chrome = window_.menuBar()->sizeHint().height() + window_.scrollBar()->sizeHint().height() +
               window_.statusBar()->sizeHint().height();
  for (const QToolBar* bar : window_.findChildren<QToolBar*>()) {
    if (!bar->isHidden()) chrome += bar->sizeHint().height();
  }
  return {0, 0, window_.geometry().width(), std::max(window_.geometry().height() - chrome, 0)};
}

bool QtPlatform::isMinimized() {
  return window_.isMinimized();
}

int QtPlatform::screenHeight() {
  return screenOf(window_)->geometry().height();
}

Rect QtPlatform::desktopRect() {
  return fromQRect(screenOf(window_)->availableGeometry());
}

void QtPlatform::setScrollRange(int maximum, bool) {
  window_.scrollBar()->setPageStep(window_.scrollPage());
  window_.scrollBar()->showRange(maximum);
}

void QtPlatform::setScrollPosition(int position, bool) {
  window_.scrollBar()->showPosition(position);
}

void QtPlatform::enableScrollBar(bool enabled) {
  window_.scrollBar()->setEnabled(enabled);
}

FontMetrics QtPlatform::measureFont(const FontSpec& font) {
  return DesktopLook().measureFont(font);
}

Rgb QtPlatform::menuColour() {
  return fromQColor(window_.menuBar()->palette().color(QPalette::Window));
}

Rgb QtPlatform::menuTextColour() {
  return fromQColor(window_.menuBar()->palette().color(QPalette::WindowText));
}

void QtPlatform::setClipboardText(std::string_view text) {
  QGuiApplication::clipboard()->setText(textOf(text));
}

std::string QtPlatform::settingsPath() {
  return settingsFilePath();
}

StartResult QtPlatform::startInstance(const std::vector<std::string>& arguments) {
  return startDetachedProcess(ownExecutable(), arguments);
}

bool QtPlatform::showHelp() {
  if (help_ == nullptr) {
    help_ = new QTextBrowser;
    help_->setWindowTitle("Vistrel Help");
    help_->setOpenExternalLinks(true);
    help_->setHtml(QString::fromUtf8(kHelpHtml));
    help_->resize(640, 720);
  }
  help_->show();
  help_->raise();
  help_->activateWindow();
  return true;
}

void QtPlatform::closeHelp() {
  if (help_ != nullptr) help_->close();
}

void QtPlatform::postCommand(int id) {
  QMetaObject::invokeMethod(
      &window_, [this, id] { window_.dispatch(id); }, Qt::QueuedConnection);
}

void QtPlatform::runInBackground(std::function<std::function<void()>()> work) {
  background_.start([this, alive = alive_, work = std::move(work)] {
    std::function<void()> done = work();
    QMetaObject::invokeMethod(
        &window_,
        [alive, done = std::move(done)] {
          if (*alive) done();
        },
        Qt::QueuedConnection);
  });
}

void QtPlatform::closeWindow() {
  QMetaObject::invokeMethod(&window_, "close", Qt::QueuedConnection);
}

void QtPlatform::quit() {
  QCoreApplication::quit();
}

}  // namespace vistrel
