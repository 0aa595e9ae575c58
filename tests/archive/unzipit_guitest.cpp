// The restore window and its destination, folder-name and password windows on real
// archives in a real archive folder.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>

#include "archive/folderlist.h"
#include "archive/getfldr.h"
#include "archive/password.h"
#include "archive/savezip.h"
#include "archive/unzipit.h"
#include "archive/zipentrymodel.h"
#include "archive/zipnames.h"
#include "archive/zipwriter.h"
#include "common/testing.h"
#include "platform/paths.h"
#include "ziptestutil.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using namespace roomvale;
namespace rt = roomvale::testing;

namespace {

class UnzipWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = defaultZipPath;
    defaultZipPath = zips;
  }
  void TearDown() override { defaultZipPath = saved; }

  QStringList listed(const TfrmUnZipIt& w) const {
    QStringList out;
    for (int i = 0; i < w.FileListBox1->count(); ++i) out << w.FileListBox1->item(i)->text();
    return out;
  }
  // Selects the archive `name` in the file list.
  void pick(TfrmUnZipIt& w, const QString& name) const {
    const auto found = w.FileListBox1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    w.FileListBox1->setCurrentItem(found.front());
  }

  rt::TempTree tree;
  rt::ScriptedPrompts box;
  const std::string zips = tree.dir("zips") + "/";
  std::string saved;
};

TEST_F(UnzipWindowTest, ListsTheArchivesOfTheFolderAndKeepsTheViewOnADamagedOne) {
  {
    TfrmUnZipIt empty;
    empty.show();
    ASSERT_TRUE(rt::waitFor([&] { return !box.texts().isEmpty(); }));
    EXPECT_TRUE(box.texts().front().startsWith(
        "It appears that there are no archive zip files in this folder for Roomvale to unzip.  \n\nNote that"));
  }
  box.clear();
  const std::string good = zips + "Drive-root-TempClean01Jan240000.zip";
  const std::string source = tree.file("src/x.txt", "x");
  ZipWriter writer(QStringLiteral("spring clean"));
  writer.add(good, source, "src/x.txt");
  writer.add(good, tree.file("src/y", "y"), "src/y");
  writer.flush();
  rt::writeBytes(zips + "drive-root-broken.ZIP", "not an archive");
  rt::writeBytes(zips + "Old.zip", "not listed");
  rt::writeBytes(zips + ".Drive-hidden.zip", "not listed");
  rt::writeBytes(zips + "Drive-gone-TempClean01Jan240000.zip",
                 rt::rawZip({rt::RawEntry("a", "from a volume that is not mounted")}));

  TfrmUnZipIt w;
  QAbstractItemModelTester tester(w.outlineModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  w.show();
  EXPECT_EQ(listed(w), (QStringList{"Drive-gone-TempClean01Jan240000.zip", "drive-root-broken.ZIP",
                                    "Drive-root-TempClean01Jan240000.zip"}));
  EXPECT_FALSE(w.btExtract->isEnabled());
  pick(w, "Drive-root-TempClean01Jan240000.zip");
  EXPECT_TRUE(w.btView->isEnabled());
  w.btView->click();
  EXPECT_EQ(w.lblZip->text(), platform::toDisplay(good));
  EXPECT_EQ(w.lblCount->text(), "2 files");
  EXPECT_EQ(w.pnlComment->text(), "spring clean");
  EXPECT_EQ(w.outlineModel()->fileCount(), 2u);

  // A damaged file neither replaces the view nor is extracted in its place.
  pick(w, "drive-root-broken.ZIP");
  bool destinationShown = false;
  rt::whenShown(
      "frmZipDirectory",
      [&](QWidget* d) {
        destinationShown = true;
        d->close();
      },
      300);
  w.btExtract->click();
  EXPECT_EQ(w.lblZip->text(), platform::toDisplay(good));
  EXPECT_EQ(w.outlineModel()->fileCount(), 2u);
  ASSERT_EQ(box.texts(MessageKind::Error).size(), 1);
  EXPECT_TRUE(
      box.texts(MessageKind::Error)
          .front()
          .startsWith("Cannot read the archive zip file " + platform::toDisplay(zips + "drive-root-broken.ZIP")));

  // Nor does an archive whose volume is not mounted.
  pick(w, "Drive-gone-TempClean01Jan240000.zip");
  w.btExtract->click();
  EXPECT_EQ(box.texts(MessageKind::Error).last(),
            "The files of " + platform::toDisplay(zips + "Drive-gone-TempClean01Jan240000.zip") +
                " came from the volume \"gone\", which is not mounted.  Mount it to restore the files to their "
                "original places.");
  EXPECT_FALSE(destinationShown);
  rt::waitFor([] { return false; }, 400);  // let the watch above expire before the next test
}

TEST_F(UnzipWindowTest, TheDestinationAsksForOtherFoldersAndCreatesSubFolders) {
  const std::string archive = zips + "Drive-root-x.zip";
  const ArchiveOrigin origin = archiveOrigin(archive);
  ASSERT_EQ(origin.kind, ArchiveOrigin::Kind::Mounted);
  TfrmZipDirectory d;
  d.setArchive(archive, origin, tree.path());
  d.show();
  EXPECT_EQ(d.DirLabel->text(), "/");
  d.Button1Click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_TRUE(box.texts().isEmpty());

  d.setResult(0);
  d.DLB->setFolder(tree.path());
  for (const QString& typed : {QString("new/deeper"), QString("../up")}) {
    rt::whenShown("frmGetFolderName", [&](QWidget* g) {
      EXPECT_EQ(g->windowTitle(), "Create Sub-folder");
      g->findChild<QLineEdit*>("Edit1")->setText(typed);
      g->findChild<QPushButton*>("Button1")->click();
    });
    d.Button3->click();
  }
  EXPECT_TRUE(rt::exists(tree / "new/deeper"));
  EXPECT_FALSE(rt::exists(tree.path() + "/../up"));
  EXPECT_EQ(box.texts(MessageKind::Error),
            QStringList{"Cannot create the folder " + platform::toDisplay(tree.path() + "/../up")});
  EXPECT_EQ(d.DLB->findItems("  new", Qt::MatchEndsWith).size(), 1);
  box.answers = {Answer::No};
  d.Button1Click();
  EXPECT_NE(d.result(), QDialog::Accepted);
  EXPECT_EQ(box.texts(MessageKind::Confirmation).size(), 1);
}

TEST_F(UnzipWindowTest, EncryptedEntriesAskForThePasswordInItsWindow) {
  tree.file("src/one.txt", "secret");
  const std::string archive = zips + "Drive-root-locked.zip";
  ASSERT_EQ(std::system(("cd '" + tree / "src" + "' && zip -q -P pw '" + archive + "' one.txt").c_str()), 0);
  const std::string out = tree.dir("out");
  TfrmUnZipIt w;
  w.show();
  w.FileListBox1->setCurrentRow(0);
  rt::whenShown("frmZipDirectory", [&](QWidget* d) {
    qobject_cast<TfrmZipDirectory*>(d)->DLB->setFolder(out);
    qobject_cast<TfrmZipDirectory*>(d)->Button1->click();
  });
  auto type = [](const char* password, std::function<void()> next) {
    rt::whenShown("frmPassword", [=](QWidget* p) {
      auto* dlg = qobject_cast<TfrmPassword*>(p);
      EXPECT_EQ(dlg->windowTitle(), "Enter Password");
      dlg->Password->setText(password);
      if (next) next();
      dlg->btOK->click();
    });
  };
  type("wrong", [&] { type("pw", nullptr); });
  w.btExtract->click();
  EXPECT_EQ(rt::fileBytes(out + "/one.txt"), "secret");
  EXPECT_EQ(box.texts().last(), "Files were unzipped");
}

TEST_F(UnzipWindowTest, ARunThatRestoresNothingReportsEachEntryAndNoSuccess) {
  const std::string archive = zips + "Drive-root-hostile.zip";
  rt::writeBytes(archive, rt::rawZip({rt::RawEntry("../evil", "x"), rt::RawEntry("ok/../../evil2", "y")}));
  const std::string out = tree.dir("out");
  TfrmUnZipIt w;
  w.show();
  w.FileListBox1->setCurrentRow(0);
  rt::whenShown("frmZipDirectory", [&](QWidget* d) {
    qobject_cast<TfrmZipDirectory*>(d)->DLB->setFolder(out);
    qobject_cast<TfrmZipDirectory*>(d)->Button1->click();
  });
  w.btExtract->click();
  const QString from = " from " + platform::toDisplay(archive);
  EXPECT_EQ(box.texts().mid(1), (QStringList{"Cannot extract ../evil" + from, "Cannot extract ok/../../evil2" + from}));
  EXPECT_FALSE(rt::exists(tree / "evil"));
  EXPECT_FALSE(rt::exists(tree / "evil2"));
}

}  // namespace
