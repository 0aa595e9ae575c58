// The archive options window, driven through its controls.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <cstdio>

#include "archive/zipnames.h"
#include "archive/zipoptions.h"
#include "common/testing.h"
#include "foundation/settings.h"
#include "platform/paths.h"

namespace roomvale {
namespace {

using testing::ScriptedPrompts;

class ZipOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    std::remove(iniFileForKey(getRegistryKey()).c_str());
    defaultZipPath.clear();
  }
  void TearDown() override { defaultZipPath.clear(); }
  ScriptedPrompts prompts;
};

TEST_F(ZipOptions, ShowsTheStoredFolderAndComment) {
  WriteString("ZipFile", "Path", "/srv/zips/");
  WriteString("ZipFile", "Comment", "spring clean");
  TfrmZipOptions w;
  w.show();
  EXPECT_EQ(w.objectName(), "frmZipOptions");
  EXPECT_EQ(w.windowTitle(), "Archive Zip File Options");
  EXPECT_EQ(w.Edit1->text(), "/srv/zips/");
  EXPECT_EQ(w.Edit2->text(), "spring clean");
  EXPECT_EQ(defaultZipPath, "/srv/zips/");
  EXPECT_EQ(w.focusWidget(), w.Edit2);
  EXPECT_TRUE(w.Edit1->isReadOnly());
  EXPECT_EQ(w.Edit1->toolTip(), "Click on the button on the right to change");
  EXPECT_EQ(w.Edit2->maxLength(), 80);
  EXPECT_TRUE(w.btOK->isDefault());
  EXPECT_EQ(w.EsLabel1->text(), "Archive Zip File options");
  EXPECT_EQ(w.Label1->text(), "Store Zip Archive Files in this folder:");
  EXPECT_EQ(w.Label4->text(), "Note: the zip folder can be on the network on a different machine!");
  EXPECT_EQ(w.Label2->text(), "Comment to be inserted into Archive Zip file:");
  EXPECT_EQ(w.Label3->text(), "Note: Comments make it much easier to identify archive zip files later.");
  for (const char* name :
       {"EsLabel1", "Label1", "Edit1", "SpeedButton1", "Label4", "Label2", "Edit2", "Label3", "btOK", "btCancel"})
    EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(ZipOptions, HomeFolderAndNoCommentByDefault) {
  TfrmZipOptions w;
  w.show();
  EXPECT_EQ(w.Edit1->text(), platform::toDisplay(platform::homeFolder() + "/"));
  EXPECT_EQ(w.Edit2->text(), "");
}

TEST_F(ZipOptions, CancelStillKeepsTheChosenFolderAndComment) {
  WriteString("ZipFile", "Path", "/srv/zips/");
  prompts.folders.push_back(std::string("/srv/new place/"));
  TfrmZipOptions w;
  w.show();
  w.SpeedButton1->click();
  ASSERT_FALSE(prompts.records.empty());
  EXPECT_EQ(prompts.records.back().what, "folder");
  EXPECT_EQ(prompts.records.back().title, "Location of archive zip files");
  EXPECT_EQ(w.Edit1->text(), "/srv/new place/");
  w.Edit2->setText("kept anyway");
  w.btCancel->click();
  EXPECT_EQ(w.result(), QDialog::Rejected);
  EXPECT_EQ(ReadString("ZipFile", "Path", ""), "/srv/new place/");
  EXPECT_EQ(ReadString("ZipFile", "Comment", ""), "kept anyway");
  EXPECT_EQ(defaultZipPath, "/srv/new place/");
  EXPECT_EQ(w.zipComment, "kept anyway");
}

TEST_F(ZipOptions, DeclinedChooserChangesNothing) {
  WriteString("ZipFile", "Path", "/srv/zips/");
  TfrmZipOptions w;
  w.show();
  w.SpeedButton1->click();  // no scripted folder: the chooser is cancelled
  EXPECT_EQ(w.Edit1->text(), "/srv/zips/");
}

TEST_F(ZipOptions, OkRunsModallyAndHandsOverTheComment) {
  TfrmZipOptions w;
  testing::whenShown("frmZipOptions", [](QWidget* shown) {
    auto* win = static_cast<TfrmZipOptions*>(shown);
    win->Edit2->setText(QString(90, QLatin1Char('x')));  // cut to 80 by the field
    win->btOK->click();
  });
  EXPECT_EQ(w.exec(), QDialog::Accepted);
  EXPECT_EQ(w.zipComment, QString(80, QLatin1Char('x')));
  EXPECT_EQ(ReadString("ZipFile", "Comment", ""), QString(80, QLatin1Char('x')));
  EXPECT_EQ(defaultZipPath, platform::homeFolder() + "/");
}

}  // namespace
}  // namespace roomvale
