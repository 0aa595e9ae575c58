// bench-links: roomvale_deletion
// Sending files to the trash through the deletion review window, for comparison with
// `gio trash` on the same files. The window is the real one (offscreen); its questions are
// answered Yes by a prompt service that counts the messages it is shown.
//   bench_reviewtrash create DIR COUNT   COUNT files of 1 KiB in DIR, 500 a folder
//   bench_reviewtrash run DIR            lists every file below DIR, hands the list to the
//                                        review and clicks Trash; prints "files trashed seconds"
//   bench_reviewtrash single DIR         every file below DIR moved to the trash on its own, its
//                                        info file synced alone (platform::moveToTrash per file)
//   bench_reviewtrash show DIR           the same review with the real message boxes, left to
//                                        the user (to try it by hand)
#include <QApplication>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "deletion/really.h"
#include "foundation/prompts.h"
#include "platform/shell.h"

namespace fs = std::filesystem;

namespace {

class YesPrompts final : public roomvale::PromptService {
 public:
  int messages = 0;
  void message(roomvale::MessageKind, const QString& text, const QString&, roomvale::Sound) override {
    if (messages++ < 5) std::fprintf(stderr, "%s\n", qPrintable(text));
  }
  roomvale::Answer ask(roomvale::MessageKind, const QString&, const QString&, roomvale::Buttons, roomvale::Answer,
                       roomvale::Sound) override {
    return roomvale::Answer::Yes;
  }
  std::optional<std::string> chooseFolder(const QString&, const QString&, const std::string&) override { return {}; }
  std::optional<std::string> saveFileName(const roomvale::FileDialogSpec&) override { return {}; }
  std::optional<std::string> openFileName(const roomvale::FileDialogSpec&) override { return {}; }
  std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return {}; }
  bool printDialog(QPrinter&, bool) override { return false; }
  std::optional<QFont> chooseFont(const QFont&) override { return {}; }
  void showHelp(const QString&, int) override {}
  void beep(roomvale::Sound) override {}
};

int create(const std::string& dir, int count) {
  const std::string content(1024, 't');
  for (int i = 0; i < count; ++i) {
    const fs::path folder = fs::path(dir) / ("d" + std::to_string(i / 500));
    if (i % 500 == 0) fs::create_directories(folder);
    std::ofstream(folder / ("f" + std::to_string(i) + ".tmp"), std::ios::binary).write(content.data(), 1024);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "create" && argc == 4) return create(argv[2], std::stoi(argv[3]));
  if (what == "single" && argc == 3) {
    std::vector<std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(fs::absolute(argv[2])))
      if (e.is_regular_file()) all.push_back(e.path().string());
    std::size_t failed = 0;
    for (const std::string& path : all)
      if (!roomvale::platform::moveToTrash(path).isEmpty()) ++failed;
    return failed == 0 ? 0 : 1;
  }
  if ((what != "run" && what != "show") || argc != 3) {
    std::fprintf(stderr, "usage: bench_reviewtrash create DIR COUNT | run DIR | show DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  YesPrompts prompts;
  if (what == "run") roomvale::setPrompts(&prompts);
  std::vector<std::string> files;
  std::uint64_t total = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::absolute(argv[2])))
    if (e.is_regular_file()) {
      files.push_back(e.path().string());
      total += e.file_size();
    }
  roomvale::TfrmReallyDelete window;
  window.setRequest({files, total, QStringLiteral("TempClean"), {}});
  window.show();
  app.processEvents();
  if (what == "show") return window.exec();
  const auto t0 = std::chrono::steady_clock::now();
  window.btRecycle->click();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::size_t left = 0;
  for (const auto& e : fs::recursive_directory_iterator(fs::absolute(argv[2])))
    if (e.is_regular_file()) ++left;
  std::printf("%zu %zu %.3f\n", files.size(), files.size() - left, seconds);
  roomvale::setPrompts(nullptr);
  return prompts.messages == 0 ? 0 : 1;
}
