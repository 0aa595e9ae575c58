// The file viewer window on real files: the status header, menu states, search with the
// run-long find dialog, go to line, copying and printing the selection, the strings peek,
// dropped files, and files that vanish or change while viewed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <fstream>

#include "../finders/findertesting.h"
#include "common/testing.h"
#include "inspect/filview.h"
#include "inspect/viewer.h"

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;
using roomvale::testing::whenShown;

namespace {

class ViewerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    // The find dialog lives for the run: leave it as a fresh run has it.
    TFindDlg& dlg = findDialog();
    dlg.Edit1->clear();
    dlg.RadioButton1->setChecked(true);
    dlg.CheckBox1->setChecked(false);
    dlg.CheckBox2->setChecked(false);
  }
  std::unique_ptr<TfrmView> open(const std::string& path) {
    auto w = std::make_unique<TfrmView>();
    w->fileName = path;
    w->show();
    return w;
  }
  QString caretSection(TfrmView& w) { return w.Header1->section(0).trimmed(); }
  // Runs Find... with the dialog set as given.
  void findWith(TfrmView& w, const QString& text, bool backward, bool global) {
    whenShown("FindDlg", [&](QWidget* d) {
      auto* dlg = static_cast<TFindDlg*>(d);
      dlg->Edit1->setText(text);
      (backward ? dlg->RadioButton2 : dlg->RadioButton1)->setChecked(true);
      dlg->CheckBox2->setChecked(global);
      dlg->BitBtn1->click();
    });
    w.Find1Click();
  }

  TempTree tree;
  ScriptedPrompts prompts;
};

}  // namespace

TEST_F(ViewerTest, EmptyFileAndAnOpenLineCount) {
  roomvale::testing::UsDates us;
  auto w = open(tree.file("empty.txt"));
  EXPECT_EQ(w->windowTitle(), "View File : " + QString::fromStdString(tree / "empty.txt"));
  EXPECT_EQ(w->Header1->section(1), "Total: 0");
  w->File1Click();
  for (QAction* a : {w->Find1, w->FindNext1, w->GotoLine1, w->Print1, w->SelectAll1, w->Copy1})
    EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();

  // 40 MiB: counted in slices between events, "?" until then; printing counts it first.
  const std::string big = tree.file("big.log", "x\ny\nz\n");
  ASSERT_EQ(::truncate(big.c_str(), 40 << 20), 0);
  w->openPath(big);
  EXPECT_EQ(w->Header1->section(1), "Total: ?");
  EXPECT_EQ(w->Header1->section(3), "Bytes: 41,943,040");
  EXPECT_TRUE(w->GotoLine1->isEnabled());
  const std::string pdf = tree / "all.pdf";
  prompts.configurePrinter = [&](QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(pdf));
  };
  w->Print1Click();
  EXPECT_EQ(w->Header1->section(1), "Total: 4");
  EXPECT_GT(roomvale::testing::readFile(pdf).size(), 100u);
}

TEST_F(ViewerTest, BackwardGlobalSearchThenFindNextAndGoToLine) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + (i % 10 == 0 ? " Find me\n" : "\n");
  auto w = open(tree.file("lines.txt", text));
  findWith(*w, "find me", true, true);
  EXPECT_EQ(caretSection(*w), "30:9");
  w->FindNext1Click();  // backward again, from the caret, never the whole file
  EXPECT_EQ(caretSection(*w), "20:9");
  w->FindNext1Click();
  EXPECT_EQ(caretSection(*w), "10:9");
  w->FindNext1Click();
  EXPECT_EQ(caretSection(*w), "10:9");
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"Search string 'find me' not found"});
  // The match is the selection: copied, and printed with blanks before its column.
  ASSERT_TRUE(w->Viewer1->hasSelection());
  w->Copy1Click();
  EXPECT_EQ(QApplication::clipboard()->text(), "Find me");
  EXPECT_EQ(w->Viewer1->selectedLines(), QStringList{"        Find me"});
  findDialog().CheckBox1->setChecked(true);  // match case: "find me" is nowhere
  w->FindNext1Click();
  EXPECT_EQ(prompts.texts(MessageKind::Information).size(), 2);

  prompts.inputs = {QString("12"), QString(), QString("abc"), QString("999")};
  w->GotoLine1Click();
  EXPECT_EQ(caretSection(*w), "12:1");
  EXPECT_EQ(prompts.records.back().text, "Enter line number (1 to 30)");
  w->GotoLine1Click();
  w->GotoLine1Click();
  EXPECT_EQ(caretSection(*w), "12:1");
  w->GotoLine1Click();
  EXPECT_EQ(caretSection(*w), "30:1");
  EXPECT_FALSE(w->Viewer1->hasSelection());

  w->SelectAll1Click();
  w->Copy1Click();
  EXPECT_EQ(QApplication::clipboard()->text() + "\n", QString::fromStdString(text));
}

TEST_F(ViewerTest, HexModeSwitchesStayInStep) {
  auto w = open(tree.file("data.bin", std::string("ABCDEFGHIJKLMNOPQ", 17)));
  w->HexMode1->trigger();
  EXPECT_TRUE(w->Viewer1->hexMode());
  EXPECT_TRUE(w->rbHex->isChecked());
  EXPECT_EQ(w->Header1->section(1), "Total: 2");
  w->rbAscii->click();
  EXPECT_FALSE(w->Viewer1->hexMode());
  EXPECT_FALSE(w->HexMode1->isChecked());
  EXPECT_TRUE(roomvale::testing::waitFor([&] { return w->Header1->section(1) == "Total: 1"; }));
}

TEST_F(ViewerTest, StringsPeekOpensASecondViewerAndLeavesNoTemporaryFile) {
  const std::string program = tree.file("tool.exe", std::string("\x01\x02hello world\x00\x7f\xff"
                                                                "abc\x00"
                                                                "Another string\x01",
                                                                35));
  // The first viewer stays hidden, so that the only viewer shown is the strings window.
  TfrmView w0;
  TfrmView* w = &w0;
  w->openPath(program);
  QStringList seen;
  bool modesHidden = false;
  whenShown("frmView", [&](QWidget* second) {
    auto* v = static_cast<TfrmView*>(second);
    ViewDocument& doc = v->Viewer1->document();
    for (std::optional<std::uint64_t> k = doc.first(); k && doc.hasLines(); k = doc.next(*k)) seen << doc.text(*k);
    modesHidden = v->btStrings->isHidden() && v->rbHex->isHidden() && !v->HexMode1->isVisible();
    v->close();
  });
  w->btStringsClick();
  EXPECT_EQ(seen, (QStringList{"hello world", "Another string"}));
  EXPECT_TRUE(modesHidden);
  ASSERT_FALSE(w->lastStringsFile.empty());
  EXPECT_FALSE(roomvale::testing::exists(w->lastStringsFile));
  EXPECT_EQ(w->Viewer1->document().path(), program);
}

TEST_F(ViewerTest, DroppedFilesOpenTheFirstOnlyAndBadFilesSayWhy) {
  auto w = open(tree.file("a.txt", "a"));
  QMimeData data;
  // The first path is longer than 80 characters: it is taken whole, not cut short.
  const std::string first = tree.file(std::string(90, 'd') + "/first.txt", "first");
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(tree.file("second.txt", "second")))});
  EXPECT_TRUE(w->dropFiles(data.urls()));
  EXPECT_EQ(w->Viewer1->document().path(), first);
  EXPECT_EQ(w->windowTitle(), "View File : " + QString::fromStdString(tree / "a.txt"));  // unchanged by a drop

  // A file that is gone, and a file that shrinks under the viewer.
  EXPECT_FALSE(w->openPath(tree / "gone.txt"));
  ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
  EXPECT_TRUE(prompts.texts(MessageKind::Error)[0].startsWith("Cannot open "));
  const std::string log = tree.file("log.txt", std::string(100000, 'x') + "\nend\n");
  w->openPath(log);
  w->Viewer1->moveToEnd();
  ASSERT_EQ(::truncate(log.c_str(), 10), 0);
  EXPECT_TRUE(roomvale::testing::waitFor([&] { return w->Header1->section(3) == "Bytes: 10"; }, 3000));
  EXPECT_EQ(w->Header1->section(1), "Total: 1");
  w->Viewer1->repaint();
}
