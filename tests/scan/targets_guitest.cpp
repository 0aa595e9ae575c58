// The scan-target windows driven by object name: drive lists and their menu, the add-folder
// window, the extension picker, the wildcard dialog, the file-type list window and the
// scan-target wizard.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <cstdio>

#include "common/testing.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "scan/addnewfolder.h"
#include "scan/drivelist.h"
#include "scan/selext.h"
#include "scan/statlist.h"
#include "scan/targets.h"
#include "scan/whichdrv.h"
#include "scan/wild.h"

namespace roomvale {
namespace {

using testing::ScriptedPrompts;
using testing::whenShown;

template <typename T>
T* child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

QStringList texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void selectRows(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

class ScanWindows : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(iniFileForKey(getRegistryKey()).c_str()); }
  ScriptedPrompts prompts;
};

std::vector<platform::Volume> twoVolumes() {
  platform::Volume root;
  root.mountPoint = "/";
  root.kind = platform::VolumeKind::Fixed;
  platform::Volume net;
  net.mountPoint = "/mnt/share";
  net.kind = platform::VolumeKind::Network;
  net.source = "server:/export";
  return {root, net};
}

TEST_F(ScanWindows, DriveListCarriesPathsTicksAndAddedFolders) {
  writeListSection(kNewFoldersSection, {"/home/u/a/", std::string("/home/u/b\xff/").c_str()});
  QListWidget list;
  fillDriveList(&list, kFinderDriveKinds, true, twoVolumes(), "/mnt/share/x");
  ASSERT_EQ(list.count(), 4);
  EXPECT_EQ(list.item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(list.item(0)->checkState(), Qt::Unchecked);
  EXPECT_EQ(list.item(2)->checkState(), Qt::Unchecked);
  EXPECT_FALSE(list.item(2)->icon().isNull());

  list.item(2)->setCheckState(Qt::Checked);
  const auto targets = checkedTargets(&list);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0].path, "/mnt/share");
  EXPECT_FALSE(targets[0].addedFolder);
  EXPECT_EQ(targets[1].path, "/home/u/a/");
  EXPECT_EQ(targets[1].text, "/home/u/a/");
  EXPECT_TRUE(targets[1].addedFolder);

  // Without added folders only the volumes remain.
  fillDriveList(&list, kFinderDriveKinds, false, twoVolumes(), "/");
  EXPECT_EQ(list.count(), 2);
  EXPECT_EQ(checkedTargets(&list).size(), 1u);
}

TEST_F(ScanWindows, DriveListMenuTicksAllNoneAndAddsAFolder) {
  testing::TempTree t;
  QWidget owner;
  auto* list = new QListWidget(&owner);
  fillDriveList(list, kFinderDriveKinds, true);
  int changes = 0;
  QMenu* menu = attachDriveListMenu(list, kFinderDriveKinds, [&] { ++changes; });
  child<QAction>(menu, "miSelectAll")->trigger();
  EXPECT_EQ(checkedCount(list), list->count());
  child<QAction>(menu, "miDeselectAll")->trigger();
  EXPECT_EQ(checkedCount(list), 0);

  const int before = list->count();
  prompts.folders.push_back(t.path() + "/");
  whenShown("frmAddNewFolder", [](QWidget* w) {
    child<QPushButton>(w, "btAdd")->click();
    child<QPushButton>(w, "Button1")->click();
  });
  child<QAction>(menu, "miAddFolder")->trigger();
  ASSERT_EQ(list->count(), before + 1);
  EXPECT_EQ(list->item(before)->data(kTargetPathRole).toByteArray().toStdString(), t.path() + "/");
  // The ticks stay as they were (none); the folder just added is ticked.
  EXPECT_EQ(list->item(before)->checkState(), Qt::Checked);
  EXPECT_EQ(checkedCount(list), 1);
  EXPECT_EQ(changes, 3);
}

TEST_F(ScanWindows, AddFolderWindowAddsOnceDeletesWithTheRightQuestionsAndSavesOnClose) {
  writeListSection(kNewFoldersSection, {"/srv/b/", "/srv/a/"});
  TfrmAddNewFolder w;
  w.show();
  EXPECT_EQ(w.windowTitle(), "Add new folders");
  EXPECT_EQ(texts(w.ListBox1), (QStringList{"/srv/a/", "/srv/b/"}));

  prompts.folders = {std::string("/srv/c/"), std::string("/SRV/A/"), std::string("/srv/d"), std::nullopt};
  for (int i = 0; i < 4; ++i) w.btAdd->click();
  EXPECT_EQ(texts(w.ListBox1), (QStringList{"/srv/a/", "/srv/b/", "/srv/c/", "/srv/d/"}));
  EXPECT_EQ(prompts.records[0].what, "folder");
  EXPECT_EQ(prompts.records[0].title, "Add a selected folder to search");

  prompts.clear();
  w.ListBox1->clearSelection();
  w.btDel->click();
  EXPECT_EQ(prompts.texts(MessageKind::Error),
            QStringList{"To delete one or more folder(s), first highlight the selected folders then click delete."});
  EXPECT_EQ(w.ListBox1->count(), 4);

  prompts.clear();
  selectRows(w.ListBox1, {0, 1});
  prompts.answers = {Answer::No};
  w.btDel->click();
  EXPECT_EQ(prompts.texts(), QStringList{"Really delete 2 folders?"});
  EXPECT_EQ(w.ListBox1->count(), 4);
  prompts.answers = {Answer::Cancel};
  w.btDel->click();
  EXPECT_EQ(w.ListBox1->count(), 4);
  prompts.answers = {Answer::Yes};
  w.btDel->click();
  EXPECT_EQ(texts(w.ListBox1), (QStringList{"/srv/c/", "/srv/d/"}));

  prompts.clear();
  selectRows(w.ListBox1, {1});
  w.btDel->click();
  EXPECT_TRUE(prompts.records.empty());  // one folder goes without a question
  EXPECT_EQ(texts(w.ListBox1), QStringList{"/srv/c/"});

  w.Button1->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(readListSection(kNewFoldersSection, {}, false), QStringList{"/srv/c/"});
}

TEST_F(ScanWindows, AddFolderWindowClosedAnyOtherWayDiscardsItsChanges) {
  writeListSection(kNewFoldersSection, {"/srv/a/"});
  {
    TfrmAddNewFolder w;
    w.show();
    prompts.folders = {std::string("/srv/new/")};
    w.btAdd->click();
    EXPECT_EQ(w.ListBox1->count(), 2);
    w.close();
  }
  {
    TfrmAddNewFolder w;
    w.show();
    selectRows(w.ListBox1, {0});
    w.btDel->click();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
  }
  EXPECT_EQ(readListSection(kNewFoldersSection, {}, false), QStringList{"/srv/a/"});
}

// The picker's list comes from the system's registered types; these tests need a few.
bool haveRegisteredTypes() { return listRegisteredExtensions(false).size() >= 3; }

TEST_F(ScanWindows, PickerNormalisesTheTypedExtension) {
  struct Case {
    const char* typed;
    QString pattern;
    QString description;
  };
  const Case cases[] = {{"tmp", "*.tmp", fileTypeDescription(".tmp")},
                        {".tmp", "*.tmp", fileTypeDescription(".tmp")},
                        {"*.tmp", "*.tmp", fileTypeDescription(".tmp")},
                        {"*.*", "", ""},
                        {"", "", ""},
                        {"abc*", "abc*", ""}};
  for (const Case& c : cases) {
    TfrmSelectExtension w;
    w.show();
    EXPECT_EQ(w.windowTitle(), "Select a file extension");
    w.lBox->clearSelection();
    w.Edit1->setText(c.typed);
    w.btOK->click();
    EXPECT_EQ(w.result(), QDialog::Accepted) << c.typed;
    EXPECT_FALSE(w.multipleSelected);
    EXPECT_EQ(w.selectedPattern, c.pattern) << c.typed;
    EXPECT_EQ(w.selectedDescription, c.description) << c.typed;
  }
}

TEST_F(ScanWindows, PickerListFillsTheEditReturnsManyAndClosesOnADoubleClickOnlyWhenAccepted) {
  if (!haveRegisteredTypes()) GTEST_SKIP() << "no registered file types on this system";
  TfrmSelectExtension w;
  w.show();
  ASSERT_EQ(w.cbWildCard->count(), w.lBox->count());
  EXPECT_EQ(w.Edit1->text(), w.cbWildCard->itemText(0));
  const QString line = w.lBox->item(1)->text();
  EXPECT_EQ(line, w.cbWildCard->itemText(1) + "\t" + fileTypeDescription(w.cbWildCard->itemText(1).mid(1)));

  // A click copies the entry's pattern.
  const QRect r = w.lBox->visualItemRect(w.lBox->item(1));
  QTest::mouseClick(w.lBox->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(w.Edit1->text(), linePattern(line));

  // Three selected entries come back whole, descriptions included.
  selectRows(w.lBox, {0, 1, 2});
  w.btOK->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_TRUE(w.multipleSelected);
  EXPECT_EQ(w.selectedEntries(),
            (QStringList{w.lBox->item(0)->text(), w.lBox->item(1)->text(), w.lBox->item(2)->text()}));

  // A double click on a single entry takes it and closes.
  TfrmSelectExtension w2;
  w2.show();
  const QRect r2 = w2.lBox->visualItemRect(w2.lBox->item(2));
  QTest::mouseClick(w2.lBox->viewport(), Qt::LeftButton, {}, r2.center());
  QTest::mouseDClick(w2.lBox->viewport(), Qt::LeftButton, {}, r2.center());
  EXPECT_FALSE(w2.isVisible());
  EXPECT_EQ(w2.result(), QDialog::Accepted);
  EXPECT_EQ(w2.selectedPattern, linePattern(w2.lBox->item(2)->text()));

  // Choosing in the combo describes the pattern.
  TfrmSelectExtension w3;
  w3.show();
  w3.cbWildCard->setCurrentIndex(1);
  EXPECT_EQ(w3.lblWild->text(), fileTypeDescription(w3.cbWildCard->itemText(1).mid(1)));
}

TEST_F(ScanWindows, WildcardDialogKeepsTheCallersPatternAndDescribesTheText) {
  TfrmWildCard w;
  w.setPattern("*.txt");
  w.show();
  EXPECT_EQ(w.windowTitle(), "Wildcard pattern");
  EXPECT_EQ(w.pattern(), "*.txt");
  ASSERT_GE(w.cbWildCard->count(), 1);
  EXPECT_EQ(w.cbWildCard->itemText(0), "*.*");
  EXPECT_EQ(w.lblWild->text(), "");
  EXPECT_EQ(w.lblType->text(), fileTypeDescription(".txt"));
  w.cbWildCard->setEditText("*.*");
  EXPECT_EQ(w.lblWild->text(), "All files");
  w.cbWildCard->setEditText("*.log");
  EXPECT_EQ(w.lblWild->text(), "");
  EXPECT_EQ(w.lblType->text(), fileTypeDescription(".log"));
  w.btOK->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(w.pattern(), "*.log");
}

TEST_F(ScanWindows, FileTypeListAddsDeletesClearsAndStoresOnClose) {
  TfrmStatList w(kIncludeSection);
  w.show();
  EXPECT_EQ(w.windowTitle(), "File types");
  EXPECT_EQ(texts(w.PickList1), (QStringList{typeLine("*.dll"), typeLine("*.doc"), typeLine("*.exe")}));
  EXPECT_EQ(w.lblCount->text(), "3 available");

  // A typed extension, then the same one again, then "*.*": one line is added.
  for (const char* typed : {"log", "*.LOG", "*.*"}) {
    whenShown("frmSelectExtension", [typed](QWidget* dlg) {
      auto* picker = static_cast<TfrmSelectExtension*>(dlg);
      picker->lBox->clearSelection();
      picker->Edit1->setText(typed);
      picker->btOK->click();
    });
    w.btAdd->click();
  }
  EXPECT_EQ(w.PickList1->count(), 4);
  EXPECT_TRUE(texts(w.PickList1).contains(typeLine("*.log")));
  EXPECT_EQ(w.lblCount->text(), "4 available");

  // Several picked lines at once.
  if (haveRegisteredTypes()) {
    QStringList picked;
    whenShown("frmSelectExtension", [&](QWidget* dlg) {
      auto* picker = static_cast<TfrmSelectExtension*>(dlg);
      selectRows(picker->lBox, {0, 1});
      picked = picker->selectedEntries();
      picker->btOK->click();
    });
    w.btAdd->click();
    for (const QString& line : picked) EXPECT_TRUE(texts(w.PickList1).contains(line)) << line.toStdString();
  }
  const int count = w.PickList1->count();

  selectRows(w.PickList1, {0, 1});
  prompts.answers = {Answer::No};
  w.btDelete->click();
  EXPECT_EQ(prompts.texts().last(), "Really delete 2 extensions?");
  EXPECT_EQ(w.PickList1->count(), count);
  prompts.answers = {Answer::Yes};
  w.btDelete->click();
  EXPECT_EQ(w.PickList1->count(), count - 2);

  prompts.clear();
  selectRows(w.PickList1, {0});
  w.btDelete->click();
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_EQ(w.PickList1->count(), count - 3);

  prompts.answers = {Answer::Cancel};
  w.btClear->click();
  EXPECT_EQ(prompts.texts().last(), "Really clear out all extensions?");
  EXPECT_EQ(w.PickList1->count(), count - 3);
  const QStringList kept = texts(w.PickList1);

  w.btClose->click();
  EXPECT_EQ(w.result(), QDialog::Accepted);
  QStringList stored;
  for (const QString& line : ReadStatFilesFromDisk(kIncludeSection)) stored << line;
  EXPECT_EQ(stored, kept);
}

TEST_F(ScanWindows, FileTypeListCloseBoxDiscardsWhileEscapeStores) {
  {
    TfrmStatList w(kExcludeSection);
    w.show();
    prompts.answers = {Answer::Yes};
    w.btClear->click();
    EXPECT_EQ(w.lblCount->text(), "0 available");
    w.close();
    EXPECT_EQ(w.result(), QDialog::Rejected);
  }
  EXPECT_EQ(ReadStatFilesFromDisk(kExcludeSection).size(), 3);
  {
    TfrmStatList w(kExcludeSection);
    w.show();
    prompts.answers = {Answer::Yes};
    w.btClear->click();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(w.result(), QDialog::Accepted);
  }
  EXPECT_EQ(ReadString(kExcludeSection, "Number", ""), "0");
  EXPECT_TRUE(ReadStatFilesFromDisk(kExcludeSection).isEmpty());
}

// The wizard with one added folder to choose, every volume unticked.
struct Wizard {
  testing::TempTree tree;
  TfrmWhichDrive w;
  Wizard() {
    writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")});
    w.show();
    setAllChecked(w.pckDrive, false);
  }
  QListWidgetItem* folder() { return w.pckDrive->item(w.pckDrive->count() - 1); }
};

TEST_F(ScanWindows, WizardFirstPageNeedsATickedTarget) {
  Wizard z;
  EXPECT_EQ(z.w.windowTitle(), "Which drives and file types?");
  EXPECT_EQ(z.w.nbPages->currentIndex(), 0);
  EXPECT_FALSE(z.w.btNext1->isEnabled());
  z.folder()->setCheckState(Qt::Checked);
  EXPECT_TRUE(z.w.btNext1->isEnabled());
  EXPECT_EQ(z.w.lblOf->text(), "0/3");
  z.w.btNext1->click();
  EXPECT_EQ(z.w.nbPages->currentIndex(), 1);
  EXPECT_TRUE(z.w.rbAllFiles->isChecked());
  z.w.btPrevious2->click();
  EXPECT_EQ(z.w.nbPages->currentIndex(), 0);

  // The popup's "Deselect All" disables Next again.
  child<QAction>(z.w.pmDrives, "miDeselectAll")->trigger();
  EXPECT_FALSE(z.w.btNext1->isEnabled());
  z.w.btCancel->click();
  EXPECT_EQ(z.w.result(), QDialog::Rejected);
}

TEST_F(ScanWindows, WizardWithAllFilesEndsOnTheSecondPageWithoutTypes) {
  Wizard z;
  z.folder()->setCheckState(Qt::Checked);
  z.w.btNext1->click();
  z.w.btNext2->click();
  EXPECT_EQ(z.w.result(), QDialog::Accepted);
  EXPECT_TRUE(z.w.allFiles);
  EXPECT_FALSE(z.w.includeTypes);
  EXPECT_FALSE(z.w.excludeTypes);
  EXPECT_TRUE(z.w.chosenTypes().isEmpty());
  const auto targets = z.w.chosenTargets();
  ASSERT_EQ(targets.size(), 1u);
  EXPECT_EQ(targets[0].path, z.tree.path() + "/");
}

TEST_F(ScanWindows, WizardTypePageCountsTicksAndEnablesOk) {
  WriteStatFilesToDisk({"*.log", "*.tmp"}, kIncludeSection);
  Wizard z;
  z.folder()->setCheckState(Qt::Checked);
  z.w.btNext1->click();
  z.w.rbSelectedTypes->setChecked(true);
  z.w.btNext2->click();
  EXPECT_EQ(z.w.nbPages->currentIndex(), 2);
  EXPECT_EQ(z.w.lblSelect->text(), "Selected file types only");
  EXPECT_EQ(texts(z.w.PickList1), (QStringList{typeLine("*.log"), typeLine("*.tmp")}));
  EXPECT_EQ(z.w.lblOf->text(), "0/2");
  EXPECT_FALSE(z.w.btOK->isEnabled());

  z.w.PickList1->item(1)->setCheckState(Qt::Checked);
  EXPECT_EQ(z.w.lblOf->text(), "1/2");
  EXPECT_TRUE(z.w.btOK->isEnabled());
  child<QAction>(z.w.pmTypes, "miTypesSelectAll")->trigger();
  EXPECT_EQ(z.w.lblOf->text(), "2/2");
  child<QAction>(z.w.pmTypes, "miTypesDeselectAll")->trigger();
  EXPECT_EQ(z.w.lblOf->text(), "0/2");
  EXPECT_FALSE(z.w.btOK->isEnabled());

  // The type editor works on the section of the chosen mode; the list is reloaded unticked.
  z.w.PickList1->item(0)->setCheckState(Qt::Checked);
  whenShown("frmStatList", [](QWidget* dlg) {
    auto* editor = static_cast<TfrmStatList*>(dlg);
    editor->PickList1->clearSelection();
    for (int i = 0; i < editor->PickList1->count(); ++i)
      if (linePattern(editor->PickList1->item(i)->text()) == "*.tmp") editor->PickList1->item(i)->setSelected(true);
    editor->btDelete->click();
    editor->btClose->click();
  });
  z.w.btAddDelete->click();
  EXPECT_EQ(texts(z.w.PickList1), QStringList{typeLine("*.log")});
  EXPECT_EQ(z.w.lblOf->text(), "0/1");
  EXPECT_FALSE(z.w.btOK->isEnabled());

  z.w.PickList1->item(0)->setCheckState(Qt::Checked);
  z.w.btOK->click();
  EXPECT_EQ(z.w.result(), QDialog::Accepted);
  EXPECT_TRUE(z.w.includeTypes);
  EXPECT_FALSE(z.w.allFiles);
  EXPECT_FALSE(z.w.excludeTypes);
  EXPECT_EQ(z.w.chosenTypes(), QStringList{typeLine("*.log")});
}

TEST_F(ScanWindows, WizardExceptModeUsesTheExcludeList) {
  Wizard z;
  z.folder()->setCheckState(Qt::Checked);
  z.w.btNext1->click();
  z.w.rbExceptTypes->setChecked(true);
  z.w.btNext2->click();
  EXPECT_EQ(z.w.lblSelect->text(), "All file types except ...");
  EXPECT_EQ(texts(z.w.PickList1), (QStringList{typeLine("*.doc"), typeLine("*.exe"), typeLine("*.dll")}));
  z.w.btPrevious3->click();
  EXPECT_EQ(z.w.nbPages->currentIndex(), 1);
  z.w.btNext2->click();
  z.w.PickList1->item(2)->setCheckState(Qt::Checked);
  z.w.btOK->click();
  EXPECT_TRUE(z.w.excludeTypes);
  EXPECT_EQ(z.w.chosenTypes(), QStringList{typeLine("*.dll")});
}

}  // namespace
}  // namespace roomvale
