#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "common/testing.h"
#include "foundation/settings.h"
#include "safeharbor/edfolder.h"
#include "safeharbor/keeplist.h"
#include "scan/selext.h"

using namespace roomvale;
using namespace roomvale::testing;

namespace {

class KeepFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { ::unlink(iniFileForKey(getRegistryKey()).c_str()); }

  static QStringList patterns(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text().section('\t', 0, 0);
    return out;
  }
  QStringList stored() const { return readListSection("NoDelExt", {"never saved"}, false); }

  ScriptedPrompts prompts;
};

}  // namespace

TEST_F(KeepFilesTest, DefaultsUntilSavedThenClosingStoresThem) {
  {
    TfrmKeepFiles frm;
    frm.show();
    EXPECT_EQ(frm.windowTitle(), "Safe Harbor file extensions");
    EXPECT_EQ(frm.EsLabel1->text(), "Safe Harbor File Extensions");
    EXPECT_EQ(patterns(frm.PickList1), (QStringList{"*.drv", "*.sys"}));
    EXPECT_TRUE(frm.PickList1->item(0)->text().contains('\t'));
    EXPECT_EQ(stored(), QStringList{"never saved"});
    frm.close();  // the close box saves too
  }
  EXPECT_EQ(stored(), (QStringList{"*.drv", "*.sys"}));
}

TEST_F(KeepFilesTest, ClearAllAsksAndStoresAnEmptyList) {
  {
    TfrmKeepFiles frm;
    frm.show();
    prompts.answers = {Answer::No, Answer::Yes};
    frm.btClear->click();
    EXPECT_EQ(frm.PickList1->count(), 2);
    frm.btClear->click();
    EXPECT_EQ(frm.PickList1->count(), 0);
    EXPECT_EQ(prompts.texts(), (QStringList{"Really clear out all extensions?", "Really clear out all extensions?"}));
    EXPECT_EQ(prompts.records[0].buttons, Buttons::YesNoCancel);
    frm.btClose->click();
  }
  EXPECT_EQ(readIniString(getRegistryKey(), "NoDelExt", "Number", ""), "0");
  TfrmKeepFiles again;
  again.show();
  EXPECT_EQ(again.PickList1->count(), 0);  // no defaults come back
}

TEST_F(KeepFilesTest, DefaultsButtonAddsEachOnce) {
  ASSERT_TRUE(writeListSection("NoDelExt", {"*.bak"}));
  TfrmKeepFiles frm;
  frm.show();
  frm.btDefaults->click();
  frm.btDefaults->click();
  EXPECT_EQ(patterns(frm.PickList1), (QStringList{"*.bak", "*.drv", "*.sys"}));
}

TEST_F(KeepFilesTest, DeleteAsksOnlyForSeveral) {
  ASSERT_TRUE(writeListSection("NoDelExt", {"*.a", "*.b", "*.c", "*.d"}));
  TfrmKeepFiles frm;
  frm.show();
  frm.btDelete->click();  // nothing selected: nothing, silently
  EXPECT_EQ(frm.PickList1->count(), 4);
  EXPECT_TRUE(prompts.records.empty());

  frm.PickList1->item(0)->setSelected(true);
  frm.PickList1->item(1)->setSelected(true);
  prompts.answers = {Answer::Cancel};
  frm.btDelete->click();
  EXPECT_EQ(prompts.texts(), QStringList{"Really delete 2 extensions?"});
  EXPECT_EQ(frm.PickList1->count(), 4);
  prompts.answers = {Answer::Yes};
  frm.btDelete->click();
  EXPECT_EQ(patterns(frm.PickList1), (QStringList{"*.c", "*.d"}));

  prompts.clear();
  frm.PickList1->clearSelection();
  frm.PickList1->item(1)->setSelected(true);
  frm.btDelete->click();
  EXPECT_EQ(patterns(frm.PickList1), QStringList{"*.c"});
  EXPECT_TRUE(prompts.records.empty());
}

TEST_F(KeepFilesTest, PickerResultsAreAddedOnceAndSorted) {
  ASSERT_TRUE(writeListSection("NoDelExt", {"*.sys"}));
  TfrmKeepFiles frm;
  frm.show();
  frm.addPickerResult(false, "*.*", "", {});
  frm.addPickerResult(false, "", "", {});
  EXPECT_EQ(frm.PickList1->count(), 1);
  frm.addPickerResult(false, "*.bak", "Backup", {});
  frm.addPickerResult(false, "*.BAK", "backup", {});  // the same entry in other case
  frm.addPickerResult(true, "", "", {"*.zip\tArchive", "*.bak\tBackup", "*.Arc\tOld archive"});
  EXPECT_EQ(patterns(frm.PickList1), (QStringList{"*.Arc", "*.bak", "*.sys", "*.zip"}));
}

TEST_F(KeepFilesTest, AddOpensTheExtensionPicker) {
  ASSERT_TRUE(writeListSection("NoDelExt", {}));
  TfrmKeepFiles frm;
  frm.show();
  whenShown("frmSelectExtension", [](QWidget* w) {
    auto* picker = static_cast<TfrmSelectExtension*>(w);
    picker->lBox->clearSelection();
    picker->Edit1->setText("bak");
    picker->btOK->click();
  });
  frm.btAdd->click();
  EXPECT_EQ(patterns(frm.PickList1), QStringList{"*.bak"});

  whenShown("frmSelectExtension", [](QWidget* w) { static_cast<TfrmSelectExtension*>(w)->btCancel->click(); });
  frm.btAdd->click();
  EXPECT_EQ(frm.PickList1->count(), 1);
}

TEST(EditFolderTest, ExampleTextFollowsTheCheckBoxNotTyping) {
  EXPECT_EQ(folderExampleText(true, "/apps/"), "All files and sub-folders below \"/apps/\" will NOT be deleted.");
  EXPECT_EQ(folderExampleText(true, ""), "All files and sub-folders below the one you select will NOT be deleted.");
  EXPECT_EQ(folderExampleText(false, "/apps/"), "Only files in this folder \"/apps/\" will NOT be deleted.");
  EXPECT_EQ(folderExampleText(false, ""), "");

  TfrmEditFolder frm;
  EXPECT_EQ(frm.windowTitle(), "Edit Folder");
  frm.setFolder("/apps/");
  frm.show();
  EXPECT_EQ(frm.lblExample->text(), "Only files in this folder \"/apps/\" will NOT be deleted.");
  frm.Edit1->setText("/typed/");
  EXPECT_EQ(frm.lblExample->text(), "Only files in this folder \"/apps/\" will NOT be deleted.");
  frm.cbAll->click();
  EXPECT_EQ(frm.lblExample->text(), "All files and sub-folders below \"/typed/\" will NOT be deleted.");
}

TEST(EditFolderTest, BrowseReplacesTheFolderKeepingItsBytes) {
  ScriptedPrompts prompts;
  TfrmEditFolder frm;
  frm.setFolder("/start/");
  frm.show();
  const std::string odd = "/data/caf\xe9/";  // not UTF-8
  prompts.folders = {std::nullopt, odd};
  frm.SpeedButton1->click();
  EXPECT_EQ(frm.folder(), "/start/");
  frm.SpeedButton1->click();
  EXPECT_EQ(frm.folder(), odd);
  EXPECT_EQ(prompts.records.back().title, "Select a folder that won't be deleted");
  frm.Edit1->setText("/typed");
  EXPECT_EQ(frm.folder(), "/typed");
}
