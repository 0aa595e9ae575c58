#include "foundation/prompts.h"
#include "foundation/helpregistry.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace roomvale {

namespace {

QMessageBox::Icon iconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Confirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toStandard(Answer a) {
  switch (a) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Cancel: return QMessageBox::Cancel;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
    case Answer::YesToAll: return QMessageBox::YesToAll;
    case Answer::NoToAll: return QMessageBox::NoToAll;
  }
  return QMessageBox::NoButton;
}

// The window manager writes the title in a bold face between the window's icon and its
// buttons; a box narrower than that shows "Infor...tion".
constexpr int kTitleBarExtras = 160;

// A message box at least as wide as its own title.
void fitToTitle(QMessageBox& box) {
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int wanted = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

class QtPrompts final : public PromptService {
 public:
  void message(MessageKind kind, const QString& text, const QString& title, Sound sound) override {
    beep(sound);
    QMessageBox box(iconFor(kind), title, text, QMessageBox::Ok, dialogParent());
    fitToTitle(box);
    box.exec();
  }

  Answer ask(MessageKind kind, const QString& text, const QString& title, Buttons buttons, Answer defaultButton,
             Sound sound) override {
    beep(sound);
    QMessageBox::StandardButtons set;
    switch (buttons) {
      case Buttons::Ok: set = QMessageBox::Ok; break;
      case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
      case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
      case Buttons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
      case Buttons::YesNoAll:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll;
        break;
    }
    QMessageBox box(iconFor(kind), title, text, set, dialogParent());
    box.setDefaultButton(toStandard(defaultButton));
    fitToTitle(box);
    switch (box.exec()) {
      case QMessageBox::Ok: return Answer::Ok;
      case QMessageBox::Yes: return Answer::Yes;
      case QMessageBox::No: return Answer::No;
      case QMessageBox::YesToAll: return Answer::YesToAll;
      case QMessageBox::NoToAll: return Answer::NoToAll;
      default: return buttons == Buttons::YesNo || buttons == Buttons::YesNoAll ? Answer::No : Answer::Cancel;
    }
  }

  std::optional<std::string> chooseFolder(const QString& title, const QString& caption,
                                          const std::string& startFolder) override {
    Q_UNUSED(caption);
    const QString dir = QFileDialog::getExistingDirectory(dialogParent(), title, QFile::decodeName(startFolder.c_str()),
                                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (dir.isEmpty()) return std::nullopt;
    std::string path = QFile::encodeName(dir).toStdString();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
  }

  std::optional<std::string> saveFileName(const FileDialogSpec& fileDialog) override {
    QFileDialog dlg(dialogParent(), fileDialog.title, fileDialog.folder, fileDialog.filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(fileDialog.defaultSuffix);
    if (!fileDialog.selectedFilter.isEmpty()) dlg.selectNameFilter(fileDialog.selectedFilter);
    if (!fileDialog.fileName.isEmpty()) dlg.selectFile(fileDialog.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dlg.selectedFiles().first()).toStdString();
  }

  std::optional<std::string> openFileName(const FileDialogSpec& fileDialog) override {
    QFileDialog dlg(dialogParent(), fileDialog.title, fileDialog.folder, fileDialog.filter);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (!fileDialog.fileName.isEmpty()) dlg.selectFile(fileDialog.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dlg.selectedFiles().first()).toStdString();
  }

  std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) override {
    bool ok = false;
    const QString text = QInputDialog::getText(dialogParent(), title, label, QLineEdit::Normal, initial, &ok);
    if (!ok) return std::nullopt;
    return text;
  }

  bool printDialog(QPrinter& printer, bool setup) override {
    if (setup) {
      QPageSetupDialog dlg(&printer, dialogParent());
      return dlg.exec() == QDialog::Accepted;
    }
    QPrintDialog dlg(&printer, dialogParent());
    // A caller that has a selection to print presets the range to it.
    if (printer.printRange() == QPrinter::Selection) dlg.setOption(QAbstractPrintDialog::PrintSelection);
    return dlg.exec() == QDialog::Accepted;
  }

  std::optional<QFont> chooseFont(const QFont& initial) override {
    bool ok = false;
    // A fixed-pitch font is offered only fixed-pitch fonts to replace it.
    const QFontDialog::FontDialogOptions options =
        initial.fixedPitch() ? QFontDialog::MonospacedFonts : QFontDialog::FontDialogOptions();
    const QFont font = QFontDialog::getFont(&ok, initial, dialogParent(), QString(), options);
    if (!ok) return std::nullopt;
    return font;
  }

  void showHelp(const QString& helpFile, int context) override;

  void beep(Sound sound) override {
    if (sound != Sound::None) QApplication::beep();
  }
};

QtPrompts& qtPrompts() {
  static QtPrompts instance;
  return instance;
}

PromptService* installed = nullptr;

}  // namespace

// The help window lives in the application shell; it registers itself here so that this
// library does not depend on the shell.
HelpOpener& helpOpenerSlot() {
  static HelpOpener opener = nullptr;
  return opener;
}

void QtPrompts::showHelp(const QString& helpFile, int context) {
  if (HelpOpener opener = helpOpenerSlot()) opener(helpFile, context);
}

PromptService& prompts() { return installed ? *installed : qtPrompts(); }

void setPrompts(PromptService* service) { installed = service; }

QWidget* dialogParent() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

void showError(const QString& text) {
  prompts().message(MessageKind::Error, text, QStringLiteral("Error"), Sound::Exclamation);
}

void showWarning(const QString& text) {
  prompts().message(MessageKind::Warning, text, QStringLiteral("Warning"), Sound::Hand);
}

void showInfo(const QString& text) {
  prompts().message(MessageKind::Information, text, QStringLiteral("Information"), Sound::None);
}

Answer confirm(const QString& text, Buttons buttons, Answer defaultButton, const QString& title) {
  return prompts().ask(MessageKind::Confirmation, text, title, buttons, defaultButton, Sound::None);
}

}  // namespace roomvale
