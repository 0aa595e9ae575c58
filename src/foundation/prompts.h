// The one way the program talks to the user in boxes and choosers: message boxes,
// confirmations, folder/file choosers, input boxes, print and font dialogs. The Qt
// implementation shows real dialogs; tests install a scripted one (tests/common/testing.h).
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

class QPrinter;
class QWidget;

namespace roomvale {

enum class MessageKind { Error, Warning, Information, Confirmation };

// Button sets of a question box and the answers it can give.
// YesNoAll adds "Yes to all" and "No to all" (a question asked for each item of a batch).
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoAll };
enum class Answer { Ok, Cancel, Yes, No, YesToAll, NoToAll };

// Sound played before a box (the caller picks it; showError and showWarning have fixed ones).
enum class Sound { None, Exclamation, Hand, Beep };

struct FileDialogSpec {
  QString title;
  QString defaultSuffix;  // without the dot: "htm"
  QString fileName;       // proposed file name or full path
  QString filter;         // Qt filter text: "HTM files (*.htm);;All files (*)"
  QString folder;         // starting folder, may be empty
  // The entry of `filter` chosen at first; empty = the first.
  QString selectedFilter;
};

class PromptService {
 public:
  virtual ~PromptService() = default;

  // A modal box with one OK button.
  virtual void message(MessageKind kind, const QString& text, const QString& title, Sound sound) = 0;
  // A modal question; returns the button pressed (closing the box answers Cancel, or No
  // for Yes/No and YesNoAll boxes).
  virtual Answer ask(MessageKind kind, const QString& text, const QString& title, Buttons buttons, Answer defaultButton,
                     Sound sound) = 0;
  // Folder chooser: the chosen folder as native bytes, ending in "/", or nothing.
  virtual std::optional<std::string> chooseFolder(const QString& title, const QString& caption,
                                                  const std::string& startFolder) = 0;
  // Save and open choosers: the chosen file as native bytes, or nothing.
  virtual std::optional<std::string> saveFileName(const FileDialogSpec& fileDialog) = 0;
  virtual std::optional<std::string> openFileName(const FileDialogSpec& fileDialog) = 0;
  // Input box; nothing when cancelled.
  virtual std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) = 0;
  // Print dialog (set-up = true for the printer set-up dialog); false when cancelled. A
  // printer whose range is preset to Selection gets the dialog's "Selection" choice.
  virtual bool printDialog(QPrinter& printer, bool setup) = 0;
  // Font dialog (fixed-pitch fonts only when `initial` is one); nothing when cancelled.
  virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
  // Open a document in Roomvale's own help window at a context number.
  virtual void showHelp(const QString& helpFile, int context) = 0;
  // The system sound of a class.
  virtual void beep(Sound sound) = 0;
};

// The service in force. Defaults to the Qt implementation.
PromptService& prompts();
// Installs another service (tests); nullptr restores the Qt implementation. The caller keeps
// ownership and must keep the object alive while it is installed.
void setPrompts(PromptService* service);

// The parent for dialogs: the active modal window, else the active window.
QWidget* dialogParent();

// Boxes used everywhere. Error: exclamation sound, title "Error"; warning: hand sound, title
// "Warning"; information: no sound, title "Information".
void showError(const QString& text);
void showWarning(const QString& text);
void showInfo(const QString& text);
// Confirmations: a question box; returns the answer.
Answer confirm(const QString& text, Buttons buttons = Buttons::YesNo, Answer defaultButton = Answer::Yes,
               const QString& title = QStringLiteral("Confirm"));

}  // namespace roomvale
