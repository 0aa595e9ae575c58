#include "common/testing.h"

#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "foundation/clock.h"

namespace roomvale::testing {

ScriptedPrompts::ScriptedPrompts() { setPrompts(this); }
ScriptedPrompts::~ScriptedPrompts() { setPrompts(nullptr); }

QStringList ScriptedPrompts::texts() const {
  QStringList out;
  for (const auto& r : records)
    if (r.what == "message" || r.what == "ask") out << r.text;
  return out;
}

QStringList ScriptedPrompts::texts(MessageKind kind) const {
  QStringList out;
  for (const auto& r : records)
    if ((r.what == "message" || r.what == "ask") && r.kind == kind) out << r.text;
  return out;
}

void ScriptedPrompts::message(MessageKind kind, const QString& text, const QString& title, Sound) {
  records.push_back({"message", kind, title, text, Buttons::Ok});
  if (onPrompt) onPrompt(records.back());
}

Answer ScriptedPrompts::ask(MessageKind kind, const QString& text, const QString& title, Buttons buttons, Answer,
                            Sound) {
  records.push_back({"ask", kind, title, text, buttons});
  if (onPrompt) onPrompt(records.back());
  if (answers.empty()) return defaultAnswer;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> ScriptedPrompts::chooseFolder(const QString& title, const QString& caption,
                                                         const std::string&) {
  records.push_back({"folder", MessageKind::Information, title, caption, Buttons::Ok});
  if (folders.empty()) return std::nullopt;
  auto f = folders.front();
  folders.pop_front();
  return f;
}

std::optional<std::string> ScriptedPrompts::saveFileName(const FileDialogSpec& fileDialog) {
  records.push_back({"save", MessageKind::Information, fileDialog.title, fileDialog.fileName, Buttons::Ok});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::optional<std::string> ScriptedPrompts::openFileName(const FileDialogSpec& fileDialog) {
  records.push_back({"open", MessageKind::Information, fileDialog.title, fileDialog.fileName, Buttons::Ok});
  if (files.empty()) return std::nullopt;
  auto f = files.front();
  files.pop_front();
  return f;
}

std::optional<QString> ScriptedPrompts::inputText(const QString& title, const QString& label, const QString&) {
  records.push_back({"input", MessageKind::Information, title, label, Buttons::Ok});
  if (inputs.empty()) return std::nullopt;
  auto t = inputs.front();
  inputs.pop_front();
  return t;
}

bool ScriptedPrompts::printDialog(QPrinter& printer, bool setup) {
  records.push_back({"print", MessageKind::Information, setup ? "setup" : "print", {}, Buttons::Ok});
  if (configurePrinter) configurePrinter(printer);
  if (printAnswers.empty()) return true;
  bool a = printAnswers.front();
  printAnswers.pop_front();
  return a;
}

std::optional<QFont> ScriptedPrompts::chooseFont(const QFont&) {
  records.push_back({"font", MessageKind::Information, {}, {}, Buttons::Ok});
  return std::nullopt;
}

void ScriptedPrompts::showHelp(const QString& helpFile, int context) {
  records.push_back({"help", MessageKind::Information, helpFile, QString::number(context), Buttons::Ok});
  lastHelpFile = helpFile;
  lastHelpContext = context;
}

void ScriptedPrompts::beep(Sound) { records.push_back({"beep", MessageKind::Information, {}, {}, Buttons::Ok}); }

FixedClock::FixedClock(const QDateTime& when) : when_(when) {
  setClock([this] { return when_; });
}
FixedClock::~FixedClock() { setClock({}); }

namespace {
int makeWritable(const char* path, const struct stat* sb, int type, struct FTW*) {
  if (type == FTW_D || type == FTW_DNR || type == FTW_DP) ::chmod(path, (sb->st_mode & 07777) | S_IRWXU);
  return 0;
}
int removeEntry(const char* path, const struct stat*, int type, struct FTW*) {
  if (type == FTW_DP || type == FTW_D || type == FTW_DNR)
    ::rmdir(path);
  else
    ::unlink(path);
  return 0;
}
void mkdirs(const std::string& path) {
  for (size_t pos = 1; pos != std::string::npos; pos = path.find('/', pos + 1)) {
    ::mkdir(path.substr(0, pos).c_str(), 0755);
  }
  ::mkdir(path.c_str(), 0755);
}
}  // namespace

TempTree::TempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/roomvale-test-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  root_ = buf.data();
}

MountNamespace privateMountNamespace() {
  static const char* const kMarker = "ROOMVALE_PRIVATE_MOUNT_NAMESPACE";
  if (std::getenv(kMarker)) return MountNamespace::Here;
  if (::geteuid() != 0 || std::system("unshare -m --propagation private true >/dev/null 2>&1") != 0)
    return MountNamespace::Unavailable;
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return MountNamespace::Unavailable;
  exe[n] = 0;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
  TempTree out;
  const std::string log = out / "run.txt";
  const std::string command = std::string(kMarker) + "=1 unshare -m --propagation private '" + exe +
                              "' --gtest_filter='" + filter + "' >'" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string text = readFile(log);
  if (status != 0 || text.find("[  PASSED  ] 1 test") == std::string::npos)
    ADD_FAILURE() << "in a private mount namespace:\n" << text;
  return MountNamespace::RanElsewhere;
}

BindMount::BindMount(const std::string& source, const std::string& target) : target_(target) {
  mounted_ = ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

BindMount::~BindMount() { unmount(); }

void BindMount::unmount() {
  if (mounted_) ::umount2(target_.c_str(), MNT_DETACH);
  mounted_ = false;
}

TempTree::~TempTree() {
  ::nftw(root_.c_str(), makeWritable, 64, FTW_PHYS);
  ::nftw(root_.c_str(), removeEntry, 64, FTW_PHYS | FTW_DEPTH);
}

std::string TempTree::file(const std::string& rel, const std::string& content) const {
  const std::string full = root_ + "/" + rel;
  const auto slash = full.rfind('/');
  mkdirs(full.substr(0, slash));
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out << content;
  return full;
}

std::string TempTree::dir(const std::string& rel) const {
  const std::string full = root_ + "/" + rel;
  mkdirs(full);
  return full;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

QWidget* findTopLevel(const QString& name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == name && w->isVisible()) return w;
  return nullptr;
}

void whenShown(const QString& name, std::function<void(QWidget*)> action, int timeoutMs) {
  auto* timer = new QTimer;
  auto* clock = new QElapsedTimer;
  clock->start();
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [=]() {
    QWidget* w = findTopLevel(name);
    if (w || clock->elapsed() > timeoutMs) {
      timer->stop();
      timer->deleteLater();
      delete clock;
      if (w) action(w);
    }
  });
  timer->start();
}

bool waitFor(const std::function<bool()>& cond, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!cond() && clock.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ::usleep(1000);
  }
  return cond();
}

namespace {

QtMessageHandler previousHandler = nullptr;
int contractsAlive = 0;

void reportContractBreach(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg && context.category && qstrcmp(context.category, "qt.modeltest") == 0) {
    ADD_FAILURE() << "item model contract: " << message.toStdString();
    return;
  }
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

ModelContract::ModelContract(QAbstractItemModel* model) {
  if (contractsAlive++ == 0) previousHandler = qInstallMessageHandler(reportContractBreach);
  tester_ = new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Warning);
}

ModelContract::~ModelContract() {
  delete tester_;
  if (--contractsAlive == 0) qInstallMessageHandler(previousHandler);
}

}  // namespace roomvale::testing
