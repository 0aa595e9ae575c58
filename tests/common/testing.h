// Shared test support: a scripted prompt service, a fixed clock, temporary trees and
// helpers for driving modal windows.
#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/prompts.h"

class QAbstractItemModel;
class QAbstractItemModelTester;

namespace roomvale::testing {

// One box or chooser the program showed.
struct PromptRecord {
  std::string what;  // "message", "ask", "folder", "save", "open", "input", "print", "font", "help", "beep"
  MessageKind kind = MessageKind::Information;
  QString title;
  QString text;
  Buttons buttons = Buttons::Ok;
};

// Records every prompt and answers from scripts. Questions without a scripted answer get
// `defaultAnswer`; choosers without a scripted answer are cancelled. Installed on
// construction, removed on destruction.
class ScriptedPrompts final : public PromptService {
 public:
  ScriptedPrompts();
  ~ScriptedPrompts() override;

  std::vector<PromptRecord> records;
  std::deque<Answer> answers;
  Answer defaultAnswer = Answer::Yes;
  std::deque<std::optional<std::string>> folders;  // chooseFolder answers
  std::deque<std::optional<std::string>> files;    // save/open answers
  std::deque<std::optional<QString>> inputs;       // inputText answers
  std::deque<bool> printAnswers;                   // printDialog answers (default: true)
  // Called while a box is "shown" (e.g. to press a button of the window behind it).
  std::function<void(const PromptRecord&)> onPrompt;
  std::function<void(QPrinter&)> configurePrinter;  // e.g. set PDF output

  // Texts of the message and question boxes, in order.
  QStringList texts() const;
  // Texts of boxes of one kind.
  QStringList texts(MessageKind kind) const;
  void clear() { records.clear(); }

  void message(MessageKind kind, const QString& text, const QString& title, Sound sound) override;
  Answer ask(MessageKind kind, const QString& text, const QString& title, Buttons buttons, Answer defaultButton,
             Sound sound) override;
  std::optional<std::string> chooseFolder(const QString& title, const QString& caption,
                                          const std::string& startFolder) override;
  std::optional<std::string> saveFileName(const FileDialogSpec& fileDialog) override;
  std::optional<std::string> openFileName(const FileDialogSpec& fileDialog) override;
  std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) override;
  bool printDialog(QPrinter& printer, bool setup) override;
  std::optional<QFont> chooseFont(const QFont& initial) override;
  void showHelp(const QString& helpFile, int context) override;
  void beep(Sound sound) override;

  QString lastHelpFile;
  int lastHelpContext = -1;
};

// Fixes "now" for the lifetime of the object.
class FixedClock {
 public:
  explicit FixedClock(const QDateTime& when);
  ~FixedClock();
  void set(const QDateTime& when) { when_ = when; }

 private:
  QDateTime when_;
};

// A fresh temporary folder removed with everything below it (permissions restored first).
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& path() const { return root_; }  // no trailing "/"
  std::string operator/(const std::string& rel) const { return root_ + "/" + rel; }
  // Creates a file (and its parent folders) holding `content`; returns its full path.
  std::string file(const std::string& rel, const std::string& content = {}) const;
  // Creates a folder (and parents); returns its full path.
  std::string dir(const std::string& rel) const;

 private:
  std::string root_;
};

std::string readFile(const std::string& path);
bool exists(const std::string& path);  // lstat succeeds

// Tests that mount (bind mounts inside a temporary tree) run in a private mount namespace:
// the test runs itself again under `unshare -m`, where its mounts are seen by nobody else and
// vanish with it, and takes over that run's result. Needs root; skipped otherwise.
enum class MountNamespace { Here, RanElsewhere, Unavailable };
MountNamespace privateMountNamespace();
#define ROOMVALE_IN_PRIVATE_MOUNT_NAMESPACE()                                        \
  switch (::roomvale::testing::privateMountNamespace()) {                            \
    case ::roomvale::testing::MountNamespace::Here: break;                           \
    case ::roomvale::testing::MountNamespace::RanElsewhere: return;                  \
    case ::roomvale::testing::MountNamespace::Unavailable:                           \
      GTEST_SKIP() << "no private mount namespace here (needs root and unshare -m)"; \
  }

// Bind-mounts `source` on `target` for the lifetime of the object (in a private namespace
// only: see above). ok() tells whether the mount was made.
class BindMount {
 public:
  BindMount(const std::string& source, const std::string& target);
  ~BindMount();
  BindMount(const BindMount&) = delete;
  BindMount& operator=(const BindMount&) = delete;
  bool ok() const { return mounted_; }
  void unmount();

 private:
  std::string target_;
  bool mounted_ = false;
};

// Runs `action` as soon as a top-level widget whose objectName is `name` is visible
// (polling the event loop), e.g. to drive a modal window opened by the code under test.
// Gives up after `timeoutMs`.
void whenShown(const QString& name, std::function<void(QWidget*)> action, int timeoutMs = 5000);

// Finds a visible top-level widget by object name.
QWidget* findTopLevel(const QString& name);

// Spins the event loop until `cond` holds or the time is up; returns cond().
bool waitFor(const std::function<bool()>& cond, int timeoutMs = 5000);

// Runs Qt's model tester over `model` while this object lives: every breach of the item-model
// contract it sees (after each insert, remove, reset, layout or data change) fails the running
// test with the tester's own words.
class ModelContract {
 public:
  explicit ModelContract(QAbstractItemModel* model);
  ~ModelContract();
  ModelContract(const ModelContract&) = delete;
  ModelContract& operator=(const ModelContract&) = delete;

 private:
  QAbstractItemModelTester* tester_;
};

}  // namespace roomvale::testing
