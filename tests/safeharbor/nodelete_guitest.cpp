#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "common/testing.h"
#include "foundation/settings.h"
#include "platform/paths.h"
#include "safeharbor/edfolder.h"
#include "safeharbor/folderscan.h"
#include "safeharbor/nodelete.h"
#include "safeharbor/safeharbor.h"

using namespace roomvale;
using namespace roomvale::testing;

namespace {

const QString kBuildQuestion = QStringLiteral(
    "Roomvale will now scan the configuration files for references to folders.  Those folders ending with *.* will not "
    "be "
    "discarded during the scan.  It may take a few minutes.  Continue? ");

// Each test starts without "folders.txt" and without stored settings, with configuration
// trees inside its own temporary tree.
class SafeHarborWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ensureUserDataFolder();
    ::unlink(safeHarborListFile().c_str());
    ::unlink(iniFileForKey(getRegistryKey()).c_str());
    safeHarbor().setSources({});
    t.dir("machine");
    t.dir("user");
    setConfigTrees(ConfigTrees{{t / "machine"}, {t / "user"}});
  }
  void TearDown() override { setConfigTrees(std::nullopt); }

  // A configuration file in the machine tree referring to `folder` (which is created).
  void reference(const std::string& file, const std::string& folder) {
    t.dir(folder);
    t.file("machine/" + file, "Exec=" + (t / folder) + "/program --flag\n");
  }
  static QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
  }
  static QString q(const std::string& s) { return QString::fromStdString(s); }

  TempTree t;
  ScriptedPrompts prompts;
};

template <typename T>
T* child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

}  // namespace

TEST_F(SafeHarborWindowTest, ShowsTheStoredListDatesAndTypes) {
  FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), "/opt/b/\r\n/opt/a/*.*\r\n"));
  TfrmNoDelete frm;
  frm.show();
  EXPECT_EQ(frm.windowTitle(), "Safe Harbor - List of folders that should not be deleted");
  EXPECT_EQ(child<QLabel>(&frm, "EsLabel1")->text(), "Safe harbor - folders/files not to delete");
  auto* list = child<QListWidget>(&frm, "ListBox1");
  ASSERT_EQ(texts(list), (QStringList{"/opt/b/", "/opt/a/*.*"}));
  EXPECT_FALSE(list->item(0)->font().bold());
  EXPECT_TRUE(list->item(1)->font().bold());
  EXPECT_EQ(child<QLabel>(&frm, "lblCount")->text(), "2 folders");
  EXPECT_EQ(child<QLabel>(&frm, "lblWhen")->text(), "Not recorded");
  EXPECT_EQ(child<QLabel>(&frm, "lblToday")->text(),
            QLocale::system().toString(QDate(2024, 3, 5), QLocale::LongFormat));
  EXPECT_EQ(child<QTabWidget>(&frm, "PageControl1")->currentIndex(), 0);
  const QStringList types = texts(child<QListWidget>(&frm, "PickList1"));
  ASSERT_EQ(types.size(), 2);
  EXPECT_TRUE(types[0].startsWith("*.drv\t"));
  EXPECT_TRUE(types[1].startsWith("*.sys\t"));
  EXPECT_TRUE(prompts.records.empty());
  frm.close();
  // Nothing changed: the file is left exactly as it was.
  EXPECT_EQ(readFile(safeHarborListFile()), "/opt/b/\r\n/opt/a/*.*\r\n");
  EXPECT_FALSE(frm.listsChanged);
}

TEST_F(SafeHarborWindowTest, BuildAsksFirstKeepsWholeTreesAndSavesSorted) {
  FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(10, 30, 15)));
  reference("apps/zeta.desktop", "progs/Zeta");
  reference("apps/alpha.desktop", "progs/alpha");
  reference("deep/a/b/c.conf", "progs/Mine/sub");  // below a kept whole-tree entry: absorbed
  // Roomvale's own settings are in the user tree but refer to no software's folders.
  setConfigTrees(ConfigTrees{{t / "machine"}, {platform::configRoot()}});
  ASSERT_TRUE(writeListSection("NewFolders", {q(t.dir("progs/toclean") + "/")}));
  const std::string mine = t / "progs/Mine/*.*";
  const std::string byHand = t.dir("byhand") + "/";
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), mine + "\r\n" + byHand + "\r\n"));

  TfrmNoDelete frm;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");
  prompts.answers = {Answer::No};
  child<QPushButton>(&frm, "btBuild")->click();
  EXPECT_EQ(prompts.texts(), QStringList{kBuildQuestion});
  EXPECT_EQ(list->count(), 2);
  EXPECT_FALSE(frm.listsChanged);

  prompts.answers = {Answer::Yes};
  child<QPushButton>(&frm, "btBuild")->click();
  EXPECT_EQ(texts(list), (QStringList{q(t / "progs/alpha/"), q(mine), q(t / "progs/Zeta/")}));
  EXPECT_TRUE(frm.listsChanged);
  EXPECT_TRUE(frm.listModified);
  EXPECT_EQ(child<QLabel>(&frm, "lblCount")->text(), "3 folders");
  EXPECT_EQ(child<QLabel>(&frm, "EsLabel1")->text(), "Safe harbor - folders/files not to delete");
  EXPECT_TRUE(child<QPushButton>(&frm, "btAdd")->isEnabled());
  const QString when = QLocale::system().toString(QDate(2024, 3, 5), QLocale::LongFormat) + " " +
                       QLocale::system().toString(QTime(10, 30, 15), QLocale::LongFormat);
  EXPECT_EQ(child<QLabel>(&frm, "lblWhen")->text(), when);
  EXPECT_EQ(ReadString("Folders", "When", ""), when);

  frm.close();
  EXPECT_EQ(readFile(safeHarborListFile()), t / "progs/alpha/" + "\r\n" + mine + "\r\n" + t / "progs/Zeta/" + "\r\n");
}

TEST_F(SafeHarborWindowTest, BuildsByItselfOneSecondAfterShowing) {
  reference("x.conf", "found");
  TfrmNoDelete frm;
  frm.buildOnShow = true;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");
  EXPECT_EQ(list->count(), 0);
  ASSERT_TRUE(waitFor([&] { return list->count() == 1 && !frm.building(); }, 5000));
  EXPECT_TRUE(prompts.records.empty());  // no question
  frm.close();
  EXPECT_EQ(readFile(safeHarborListFile()), t / "found/" + "\r\n");
}

TEST_F(SafeHarborWindowTest, AnEmptyBuildRemovesTheFolderFile) {
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), "/gone/by/hand/\r\n"));
  TfrmNoDelete frm;
  frm.show();
  child<QPushButton>(&frm, "btBuild")->click();
  EXPECT_EQ(child<QListWidget>(&frm, "ListBox1")->count(), 0);
  EXPECT_EQ(child<QLabel>(&frm, "lblWhen")->text(), "Not recorded");
  frm.close();
  EXPECT_FALSE(exists(safeHarborListFile()));
}

TEST_F(SafeHarborWindowTest, ClosingDuringABuildStopsItAndKeepsTheOldList) {
  for (int i = 0; i < 200; ++i) reference("d" + std::to_string(i) + "/v.conf", "f" + std::to_string(i));
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), "/old/entry/\r\n"));
  TfrmNoDelete frm;
  frm.show();
  // The first pump point of the build presses Close.
  QTimer::singleShot(0, &frm, [&] { child<QPushButton>(&frm, "btClose")->click(); });
  child<QPushButton>(&frm, "btBuild")->click();
  EXPECT_FALSE(frm.isVisible());
  EXPECT_LT(frm.lastBuildStats().foldersRead, 100u);  // stopped early, not at the end
  EXPECT_FALSE(frm.listsChanged);
  EXPECT_EQ(texts(child<QListWidget>(&frm, "ListBox1")), QStringList{"/old/entry/"});
  EXPECT_EQ(readFile(safeHarborListFile()), "/old/entry/\r\n");
}

TEST_F(SafeHarborWindowTest, AddAndDeleteEntries) {
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), "/b/\r\n/c/\r\n"));
  TfrmNoDelete frm;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");

  prompts.folders = {std::nullopt, std::string("/a/")};
  child<QPushButton>(&frm, "btAdd")->click();  // chooser cancelled
  EXPECT_EQ(list->count(), 2);
  child<QPushButton>(&frm, "btAdd")->click();
  EXPECT_EQ(texts(list), (QStringList{"/b/", "/c/", "/a/"}));
  EXPECT_EQ(prompts.records.back().title, "Select a folder that won't be deleted");
  EXPECT_EQ(child<QLabel>(&frm, "lblCount")->text(), "3 folders");

  prompts.clear();
  list->clearSelection();
  child<QPushButton>(&frm, "btDel")->click();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Select one or more folders from the list above"});

  prompts.clear();
  list->item(0)->setSelected(true);
  list->item(1)->setSelected(true);
  prompts.answers = {Answer::Cancel, Answer::Ok};
  child<QPushButton>(&frm, "btDel")->click();
  EXPECT_EQ(list->count(), 3);
  child<QPushButton>(&frm, "btDel")->click();
  EXPECT_EQ(texts(list), QStringList{"/a/"});
  EXPECT_EQ(prompts.texts(),
            (QStringList{"Really delete the selected folders?", "Really delete the selected folders?"}));
  EXPECT_EQ(prompts.records[0].buttons, Buttons::OkCancel);
  frm.close();
  EXPECT_EQ(readFile(safeHarborListFile()), "/a/\r\n");
  EXPECT_TRUE(frm.listsChanged);  // saved hand edits reach the main window at once
}

TEST_F(SafeHarborWindowTest, AFolderAddedBelowABuiltListIsSelectedAndInView) {
  std::string built;
  for (int i = 0; i < 500; ++i) built += "/usr/share/p" + std::to_string(1000 + i) + "/\r\n";
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), built));
  TfrmNoDelete frm;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");
  list->item(3)->setSelected(true);
  prompts.folders = {std::string("/home/ann/mine/")};
  child<QPushButton>(&frm, "btAdd")->click();
  QCoreApplication::processEvents();
  QListWidgetItem* added = list->item(list->count() - 1);
  EXPECT_EQ(added->text(), "/home/ann/mine/");
  EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{added});
  EXPECT_EQ(list->currentItem(), added);
  EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(added)));
}

TEST_F(SafeHarborWindowTest, DeletingEveryEntryRemovesTheFolderFile) {
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), "/b/\r\n"));
  TfrmNoDelete frm;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");
  list->item(0)->setSelected(true);
  prompts.answers = {Answer::Ok};
  child<QPushButton>(&frm, "btDel")->click();
  frm.close();
  EXPECT_FALSE(exists(safeHarborListFile()));
}

TEST_F(SafeHarborWindowTest, EditTurnsAnEntryIntoAWholeTreeAndCollapses) {
  ASSERT_TRUE(
      platform::writeFileAtomically(safeHarborListFile(), "/apps/\r\n/apps/data/\r\n/apps/data/*.*\r\n/other/\r\n"));
  TfrmNoDelete frm;
  frm.show();
  auto* list = child<QListWidget>(&frm, "ListBox1");

  list->setCurrentItem(nullptr);
  child<QPushButton>(&frm, "btEdit")->click();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Select a folder first"});

  list->setCurrentRow(0);
  QString example;
  whenShown("frmEditFolder", [&](QWidget* w) {
    auto* editor = static_cast<TfrmEditFolder*>(w);
    EXPECT_EQ(editor->Edit1->text(), "/apps/");
    EXPECT_FALSE(editor->cbAll->isChecked());
    editor->cbAll->click();
    example = editor->lblExample->text();
    editor->btOK->click();
  });
  child<QPushButton>(&frm, "btEdit")->click();
  EXPECT_EQ(example, "All files and sub-folders below \"/apps/\" will NOT be deleted.");
  // The one-folder entry below went; the nested whole-tree entry is kept, as a collapse
  // keeps every whole-tree entry.
  EXPECT_EQ(texts(list), (QStringList{"/apps/*.*", "/apps/data/*.*", "/other/"}));
  EXPECT_EQ(list->currentItem()->text(), "/apps/*.*");
  EXPECT_TRUE(list->currentItem()->font().bold());
  EXPECT_EQ(child<QLabel>(&frm, "lblCount")->text(), "3 folders");

  // A whole-tree entry is handed over without its "*.*"; an emptied field changes nothing;
  // a folder typed without its final "/" gets one.
  whenShown("frmEditFolder", [&](QWidget* w) {
    auto* editor = static_cast<TfrmEditFolder*>(w);
    EXPECT_EQ(editor->Edit1->text(), "/apps/");
    EXPECT_TRUE(editor->cbAll->isChecked());
    editor->Edit1->clear();
    editor->btOK->click();
  });
  list->setCurrentRow(0);
  child<QPushButton>(&frm, "btEdit")->click();
  EXPECT_EQ(texts(list), (QStringList{"/apps/*.*", "/apps/data/*.*", "/other/"}));

  whenShown("frmEditFolder", [&](QWidget* w) {
    auto* editor = static_cast<TfrmEditFolder*>(w);
    editor->Edit1->setText("/elsewhere");
    editor->cbAll->setChecked(false);
    editor->btOK->click();
  });
  list->setCurrentRow(2);
  child<QPushButton>(&frm, "btEdit")->click();
  EXPECT_EQ(texts(list), (QStringList{"/apps/*.*", "/apps/data/*.*", "/elsewhere/"}));
  frm.close();
  EXPECT_EQ(readFile(safeHarborListFile()), "/apps/*.*\r\n/apps/data/*.*\r\n/elsewhere/\r\n");
}

TEST_F(SafeHarborWindowTest, ADamagedFolderFileIsReportedNotFatal) {
  ASSERT_TRUE(platform::writeFileAtomically(safeHarborListFile(), std::string("\x7f"
                                                                              "ELF\0\0\0",
                                                                              7)));
  TfrmNoDelete frm;
  frm.show();
  ASSERT_EQ(prompts.texts(MessageKind::Error).size(), 1);
  EXPECT_TRUE(prompts.texts(MessageKind::Error)[0].contains("could not be read"));
  EXPECT_EQ(child<QListWidget>(&frm, "ListBox1")->count(), 0);
  frm.close();
  // Not touched unless the user changes the list.
  EXPECT_EQ(readFile(safeHarborListFile()).size(), 7u);
}

TEST_F(SafeHarborWindowTest, TypesButtonOpensTheEditorAndMarksTheListsChanged) {
  TfrmNoDelete frm;
  frm.show();
  whenShown("frmKeepFiles", [](QWidget* w) { w->findChild<QPushButton*>("btClose")->click(); });
  child<QPushButton>(&frm, "BitBtn1")->click();
  EXPECT_TRUE(frm.listsChanged);
  EXPECT_FALSE(frm.listModified);
  // The editor stored what it showed.
  EXPECT_EQ(readListSection("NoDelExt", {}, false), (QStringList{"*.drv", "*.sys"}));
}

TEST_F(SafeHarborWindowTest, MainWindowFlowFromNoListToOpenFinders) {
  reference("x.conf", "found");
  safeHarbor().GetSearchPath();
  ASSERT_TRUE(safeHarbor().safeHarborMissing());
  EXPECT_FALSE(checkExceptionList());

  // No list yet: the window builds by itself; closing it reloads the lists.
  whenShown("frmNoDelete", [](QWidget* w) {
    auto* frm = static_cast<TfrmNoDelete*>(w);
    EXPECT_TRUE(frm->buildOnShow);
    waitFor([&] { return frm->ListBox1->count() > 0 && !frm->building(); }, 5000);
    frm->btClose->click();
  });
  EXPECT_TRUE(openSafeHarborWindow(nullptr));
  EXPECT_FALSE(safeHarbor().safeHarborMissing());
  prompts.clear();
  EXPECT_TRUE(checkExceptionList());
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_TRUE(safeHarbor().isInSafeHarbor(t / "found/file", true));
}

TEST_F(SafeHarborWindowTest, MainWindowFlowWithAnEmptyBuildStaysRefused) {
  safeHarbor().GetSearchPath();
  whenShown("frmNoDelete", [](QWidget* w) {
    auto* frm = static_cast<TfrmNoDelete*>(w);
    waitFor([&] { return frm->listModified && !frm->building(); }, 5000);
    frm->btClose->click();
  });
  openSafeHarborWindow(nullptr);
  EXPECT_FALSE(exists(safeHarborListFile()));
  EXPECT_TRUE(safeHarbor().safeHarborMissing());
  EXPECT_FALSE(checkExceptionList());
}
