#include "inspect/filview.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>
#include <cerrno>
#include <memory>
#include <system_error>

#include "foundation/helpers.h"
#include "foundation/prompts.h"
#include "foundation/winplace.h"
#include "inspect/textprint.h"
#include "inspect/viewer.h"
#include "platform/paths.h"

namespace roomvale {

namespace {

constexpr int kPrintedChars = 1023;

QString padded(QString text, int width) {
  while (text.size() < width) text += QLatin1Char(' ');
  return text;
}

// A new empty file "str..." in the temporary folder; "" when none could be made.
std::string makeStringsFile() {
  std::string pattern = platform::fromDisplay(QDir::tempPath()) + "/strXXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return {};
  ::close(fd);
  return pattern;
}

}  // namespace

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindDlg"));
  setWindowTitle(QStringLiteral("Find"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* textGroup = new QGroupBox(QStringLiteral("&Search Text"), this);
  Edit1 = new QLineEdit(textGroup);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  (new QVBoxLayout(textGroup))->addWidget(Edit1);
  auto* optionGroup = new QGroupBox(QStringLiteral("Search &Options"), this);
  RadioButton1 = new QRadioButton(QStringLiteral("Search &Forward"), optionGroup);
  RadioButton2 = new QRadioButton(QStringLiteral("Search &Backward"), optionGroup);
  CheckBox1 = new QCheckBox(QStringLiteral("&Match Case"), optionGroup);
  CheckBox2 = new QCheckBox(QStringLiteral("&Global Search"), optionGroup);
  RadioButton1->setChecked(true);
  auto* options = new QGridLayout(optionGroup);
  options->addWidget(RadioButton1, 0, 0);
  options->addWidget(RadioButton2, 1, 0);
  options->addWidget(CheckBox1, 0, 1);
  options->addWidget(CheckBox2, 1, 1);
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(textGroup);
  layout->addWidget(optionGroup);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

TFindDlg& findDialog() {
  static auto* dialog = new TFindDlg;
  return *dialog;
}

THeaderBar::THeaderBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Header1"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const int widths[5] = {12, 46, 36, 50, 11};
  const QString texts[5] = {QString(), QStringLiteral("Total:"), QStringLiteral("Top:"), QStringLiteral("Bytes:"),
                            QString()};
  const int unit = std::max(fontMetrics().averageCharWidth(), 1);
  for (int i = 0; i < 5; ++i) {
    sections_[i] = new QLabel(texts[i], this);
    sections_[i]->setFrameShape(QFrame::Panel);
    sections_[i]->setFrameShadow(QFrame::Raised);
    sections_[i]->setMinimumWidth(widths[i] * unit / 2 + 40);
    layout->addWidget(sections_[i], i == 4 ? 1 : 0);
  }
}

void THeaderBar::setSection(int index, const QString& text) { sections_[index]->setText(text); }
QString THeaderBar::section(int index) const { return sections_[index]->text(); }

void openFileViewer(QWidget* owner, const std::string& path) {
  TfrmView window(owner);
  window.fileName = path;
  window.exec();
}

TfrmView::TfrmView(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmView"));
  setWindowTitle(QStringLiteral("View file"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);
  setAcceptDrops(true);

  MainMenu1 = new QMenuBar(this);
  File1 = MainMenu1->addMenu(QStringLiteral("&File"));
  Open1 = File1->addAction(QStringLiteral("&Open..."));
  File1->addSeparator();
  Print1 = File1->addAction(QStringLiteral("&Print..."));
  PrintSetup1 = File1->addAction(QStringLiteral("P&rint setup..."));
  File1->addSeparator();
  Exit1 = File1->addAction(QStringLiteral("E&xit"));
  Exit1->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  Clipboard1 = MainMenu1->addMenu(QStringLiteral("&Clipboard"));
  Copy1 = Clipboard1->addAction(QStringLiteral("&Copy"));
  Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
  SelectAll1 = Clipboard1->addAction(QStringLiteral("&Select all"));
  Search1 = MainMenu1->addMenu(QStringLiteral("&Search"));
  Find1 = Search1->addAction(QStringLiteral("&Find..."));
  FindNext1 = Search1->addAction(QStringLiteral("Find &next"));
  FindNext1->setShortcut(QKeySequence(Qt::Key_F3));
  Search1->addSeparator();
  GotoLine1 = Search1->addAction(QStringLiteral("&Go to line..."));
  GotoLine1->setShortcut(QKeySequence(Qt::Key_F4));
  Options1 = MainMenu1->addMenu(QStringLiteral("&Options"));
  HexMode1 = Options1->addAction(QStringLiteral("&Hex Mode"));
  HexMode1->setShortcut(QKeySequence(Qt::Key_F8));
  HexMode1->setCheckable(true);
  TabExpansion1 = Options1->addAction(QStringLiteral("&Tab expansion"));
  TabExpansion1->setCheckable(true);
  Options1->addSeparator();
  TabSize1 = Options1->addAction(QStringLiteral("Tab si&ze..."));
  Options1->addSeparator();
  Font1 = Options1->addAction(QStringLiteral("&Font..."));
  for (QAction* a : {Print1, Copy1, SelectAll1, Find1, FindNext1, GotoLine1}) a->setEnabled(false);
  // Shortcuts work while the menus are closed.
  for (QAction* a : {Exit1, Copy1, FindNext1, GotoLine1, HexMode1}) {
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }

  Viewer1 = new TViewer(this);
  Header1 = new THeaderBar(this);
  rbAscii = new QRadioButton(QStringLiteral("&ASCII"), this);
  rbAscii->setObjectName(QStringLiteral("rbAscii"));
  rbHex = new QRadioButton(QStringLiteral("&Hex"), this);
  rbHex->setObjectName(QStringLiteral("rbHex"));
  rbAscii->setChecked(true);
  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
  };
  btFont = button("btFont", QStringLiteral("Fo&nt"));
  btPrint = button("btPrint", QStringLiteral("P&rint setup"));
  BitBtn1 = button("BitBtn1", QStringLiteral("&Print"));
  btStrings = button("btStrings", QStringLiteral("Pee&k at strings"));
  btStrings->setToolTip(QStringLiteral("Peek inside file for ASCII strings"));
  btClose = button("btClose", QStringLiteral("Close"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(rbAscii);
  buttons->addWidget(rbHex);
  buttons->addStretch();  // the buttons stay right-aligned
  for (QPushButton* b : {btFont, btPrint, BitBtn1, btStrings, btClose}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->addWidget(Viewer1, 1);
  layout->addWidget(Header1);
  buttons->setContentsMargins(6, 0, 6, 0);
  layout->addLayout(buttons);

  connect(File1, &QMenu::aboutToShow, this, &TfrmView::File1Click);
  connect(Clipboard1, &QMenu::aboutToShow, this, &TfrmView::Clipboard1Click);
  connect(Search1, &QMenu::aboutToShow, this, &TfrmView::Search1Click);
  connect(Open1, &QAction::triggered, this, &TfrmView::Open1Click);
  connect(Print1, &QAction::triggered, this, &TfrmView::Print1Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TfrmView::Print1Click);
  connect(PrintSetup1, &QAction::triggered, this, &TfrmView::PrintSetup1Click);
  connect(btPrint, &QPushButton::clicked, this, &TfrmView::PrintSetup1Click);
  connect(Exit1, &QAction::triggered, this, &QDialog::reject);
  connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(Copy1, &QAction::triggered, this, &TfrmView::Copy1Click);
  connect(SelectAll1, &QAction::triggered, this, &TfrmView::SelectAll1Click);
  connect(Find1, &QAction::triggered, this, &TfrmView::Find1Click);
  connect(FindNext1, &QAction::triggered, this, &TfrmView::FindNext1Click);
  connect(GotoLine1, &QAction::triggered, this, &TfrmView::GotoLine1Click);
  connect(HexMode1, &QAction::triggered, this, &TfrmView::HexMode1Click);
  connect(rbAscii, &QRadioButton::clicked, this, &TfrmView::rbAsciiClick);
  connect(rbHex, &QRadioButton::clicked, this, &TfrmView::rbHexClick);
  connect(TabExpansion1, &QAction::triggered, this, &TfrmView::TabExpansion1Click);
  connect(TabSize1, &QAction::triggered, this, &TfrmView::TabSize1Click);
  connect(Font1, &QAction::triggered, this, &TfrmView::Font1Click);
  connect(btFont, &QPushButton::clicked, this, &TfrmView::Font1Click);
  connect(btStrings, &QPushButton::clicked, this, &TfrmView::btStringsClick);
  connect(Viewer1, &TViewer::showStatus, this, &TfrmView::Viewer1ShowStatus);

  // FormCreate.
  TabExpansion1->setChecked(Viewer1->tabExpansion());
  place_ = new TWinPlace(this);
  place_->IniFileName = QStringLiteral("roomval.ini");
  place_->Identifier = QStringLiteral("frmView");
  if (!place_->HasStoredPlacement()) place_->CentreOnFirstShow();
  resize(640, 480);
}

TfrmView::~TfrmView() { place_->SavePlacement(); }

void TfrmView::hideStringsAndModes() {
  for (QWidget* w : std::initializer_list<QWidget*>{btStrings, rbAscii, rbHex}) w->hide();
  HexMode1->setVisible(false);
}

void TfrmView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_ || event->spontaneous()) return;
  shown_ = true;
  if (!fileName.empty()) openPath(fileName);
  Search1Click();
  Clipboard1Click();
  place_->RestorePlacement();
  Viewer1->setFocus();
}

bool TfrmView::openPath(const std::string& path) {
  QString error;
  const bool ok = Viewer1->openFile(path, &error);
  if (!ok) showError(error);
  setWindowTitle(QStringLiteral("View File : ") + platform::toDisplay(path));
  Search1Click();
  Clipboard1Click();
  return ok;
}

bool TfrmView::dropFiles(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    // The whole path: a name cut short would open some other file.
    const std::string path = platform::fromDisplay(url.toLocalFile());
    QString error;
    if (!Viewer1->openFile(path, &error)) showError(error);
    Search1Click();
    Clipboard1Click();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    return true;
  }
  return false;
}

void TfrmView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfrmView::dropEvent(QDropEvent* event) {
  if (dropFiles(event->mimeData()->urls())) event->acceptProposedAction();
}

void TfrmView::File1Click() { Print1->setEnabled(Viewer1->document().hasLines()); }

void TfrmView::Clipboard1Click() {
  SelectAll1->setEnabled(Viewer1->document().hasLines());
  Copy1->setEnabled(Viewer1->hasSelection());
}

void TfrmView::Search1Click() {
  const bool lines = Viewer1->document().hasLines();
  Find1->setEnabled(lines);
  GotoLine1->setEnabled(lines);
  FindNext1->setEnabled(lines && !findDialog().Edit1->text().isEmpty());
}

void TfrmView::Open1Click() {
  FileDialogSpec dialog;
  dialog.title = QStringLiteral("Open");
  dialog.filter = QStringLiteral("All Files (*.*) (*)");
  const auto chosen = prompts().openFileName(dialog);
  if (!chosen) return;
  openPath(*chosen);
}

void TfrmView::PrintSetup1Click() {
  QPrinter printer;
  prompts().printDialog(printer, true);
}

void TfrmView::Print1Click() {
  if (!Viewer1->document().hasLines()) return;
  QPrinter printer;
  // The dialog offers "Selection" only when there is one.
  const bool selection = Viewer1->hasSelection();
  printer.setPrintRange(selection ? QPrinter::Selection : QPrinter::AllPages);
  if (!prompts().printDialog(printer, false)) return;
  if (selection && printer.printRange() == QPrinter::Selection) {
    const QStringList lines = Viewer1->selectedLines(kPrintedChars);
    printTextLines(printer, Viewer1->displayFont(), static_cast<std::uint64_t>(lines.size()),
                   [&lines](std::uint64_t i) { return lines[static_cast<qsizetype>(i)]; });
    return;
  }
  Viewer1->countLines();
  ViewDocument& doc = Viewer1->document();
  std::uint64_t key = doc.first();
  printTextLines(printer, Viewer1->displayFont(), *doc.lineCount(), [&doc, &key](std::uint64_t i) {
    if (i > 0) key = doc.next(key).value_or(key);
    return doc.text(key, kPrintedChars);
  });
}

void TfrmView::Copy1Click() { Viewer1->copySelection(); }

void TfrmView::SelectAll1Click() { Viewer1->selectAll(); }

void TfrmView::search(bool fromDialog) {
  TFindDlg& dlg = findDialog();
  const QString text = dlg.Edit1->text();
  const bool backward = dlg.RadioButton2->isChecked();
  const bool global = fromDialog && dlg.CheckBox2->isChecked();
  if (!Viewer1->find(platform::fromDisplay(text), backward, dlg.CheckBox1->isChecked(), global))
    showInfo(QStringLiteral("Search string '") + text + QStringLiteral("' not found"));
}

void TfrmView::Find1Click() {
  if (!Viewer1->document().hasLines()) return;
  if (findDialog().exec() == QDialog::Accepted) search(true);
  Search1Click();
}

void TfrmView::FindNext1Click() {
  if (!Viewer1->document().hasLines() || findDialog().Edit1->text().isEmpty()) return;
  search(false);
}

void TfrmView::GotoLine1Click() {
  if (!Viewer1->document().hasLines()) return;
  const auto count = Viewer1->lineCount();
  const QString total = count ? formatThousands(static_cast<std::int64_t>(*count)) : QStringLiteral("?");
  const auto answer =
      prompts().inputText(QStringLiteral("Go to line number"),
                          QStringLiteral("Enter line number (1 to ") + total + QStringLiteral(")"), QString());
  if (!answer) return;
  bool ok = false;
  const qulonglong n = answer->trimmed().toULongLong(&ok);
  if (!ok || n == 0) return;
  Viewer1->gotoLine(n - 1);
}

void TfrmView::HexMode1Click() {
  const bool on = HexMode1->isChecked();
  Viewer1->setHexMode(on);
  rbHex->setChecked(on);
  rbAscii->setChecked(!on);
}

void TfrmView::rbAsciiClick() {
  Viewer1->setHexMode(false);
  HexMode1->setChecked(false);
  rbAscii->setChecked(true);
}

void TfrmView::rbHexClick() {
  Viewer1->setHexMode(true);
  HexMode1->setChecked(true);
  rbHex->setChecked(true);
}

void TfrmView::TabExpansion1Click() { Viewer1->setTabExpansion(TabExpansion1->isChecked()); }

void TfrmView::TabSize1Click() {
  const auto answer = prompts().inputText(QStringLiteral("Tab Size"), QStringLiteral("Enter tab size"),
                                          QString::number(Viewer1->tabSize()));
  if (!answer) return;
  bool ok = false;
  const int n = answer->trimmed().toInt(&ok);
  if (ok && n > 0) Viewer1->setTabSize(n);
}

void TfrmView::Font1Click() {
  if (const auto font = prompts().chooseFont(Viewer1->displayFont())) {
    QFont f = *font;
    f.setFixedPitch(true);
    Viewer1->setDisplayFont(f);
  }
}

void TfrmView::btStringsClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string temp = makeStringsFile();
  bool written = false;
  if (!temp.empty()) {
    try {
      extractStrings(Viewer1->document().path(), temp, 5, 100);
      written = true;
    } catch (const std::system_error& e) {
      QApplication::restoreOverrideCursor();
      showError(QString::fromLocal8Bit(e.what()));
      QApplication::setOverrideCursor(Qt::WaitCursor);
    }
  }
  QApplication::restoreOverrideCursor();
  if (temp.empty()) {
    showError(QStringLiteral("Could not create a temporary file in ") + QDir::tempPath());
    return;
  }
  lastStringsFile = temp;
  if (written) {
    TfrmView strings(this);
    strings.fileName = temp;
    strings.hideStringsAndModes();
    strings.exec();
  }
  ::unlink(temp.c_str());
}

void TfrmView::Viewer1ShowStatus() {
  const TViewer::Pos caret = Viewer1->caret();
  const auto line = Viewer1->caretLine();
  const QString lineText = line ? QString::number(*line + 1) : QStringLiteral("?");
  Header1->setSection(0, padded(lineText + QLatin1Char(':') + QString::number(caret.column + 1), 8));
  const auto count = Viewer1->lineCount();
  Header1->setSection(1, QStringLiteral("Total: ") +
                             (count ? formatThousands(static_cast<std::int64_t>(*count)) : QStringLiteral("?")));
  const auto top = Viewer1->topLine();
  Header1->setSection(2, padded(QStringLiteral("Top: ") + (top ? QString::number(*top + 1) : QStringLiteral("?")), 5));
  Header1->setSection(3, QStringLiteral("Bytes: ") + formatThousands(static_cast<std::int64_t>(Viewer1->fileSize())));
  Clipboard1Click();
}

}  // namespace roomvale
