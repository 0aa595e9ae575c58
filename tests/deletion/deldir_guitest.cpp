// The folder tree deletion window on real trees, driven through its buttons.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "deletion/deldir.h"
#include "deletion/deletionlog.h"
#include "deletion/totals.h"
#include "foundation/settings.h"
#include "logtesting.h"
#include "platform/paths.h"
#include "safeharbor/safeharbor.h"

namespace roomvale::testing {
namespace {

const std::string kKilo(1000, 'k');

std::string threeFileTree(const TempTree& t) {
  t.file("victim/one/a.txt", kKilo);
  t.file("victim/one/b.txt", kKilo);
  t.file("victim/two/c.txt", kKilo);
  return t / "victim";
}

class DelDirectory : public LogFixture {
 protected:
  void TearDown() override { safeHarbor().setLists({}, {}, {}, {}); }

  // A shown window on `folder`.
  std::unique_ptr<TfrmDelDirectory> window(const std::string& folder) {
    auto w = std::make_unique<TfrmDelDirectory>();
    w->setFolder(folder);
    w->show();
    return w;
  }

  TempTree t;
};

TEST_F(DelDirectory, ShowsItsControlsAndTheFolder) {
  const std::string folder = threeFileTree(t);
  auto w = window(folder + "/");
  EXPECT_EQ(w->objectName(), "frmDelDirectory");
  EXPECT_EQ(w->windowTitle(), "Clean directory, sub-directories and all files");
  EXPECT_EQ(w->lblTop->text(), "Folder to clean: ");
  EXPECT_EQ(w->lblDirectory->text(), QString::fromStdString(folder));
  EXPECT_TRUE(w->lblDirectory->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(w->btDelete->text(), "&Delete folder");
  EXPECT_EQ(w->btDelete->toolTip(), "Delete the files shown above.  Cannot be undeleted.");
  EXPECT_EQ(w->btRecycle->text(), "&Send files to trash");
  EXPECT_EQ(w->btRecycle->toolTip(), "Send to trash.  Trash can be emptied later.  Files can be recovered.");
  EXPECT_TRUE(w->btRecycle->isEnabled());
  EXPECT_EQ(w->btZip->text(), "&Zip up folder");
  EXPECT_EQ(w->btZip->toolTip(), "Compress files into a ZIP file");
  EXPECT_EQ(w->cbDelete->text(), "Delete files after zipping them up");
  EXPECT_TRUE(w->cbDelete->isChecked());
  EXPECT_EQ(w->BitBtn3->text(), "Cancel");
  EXPECT_EQ(w->BitBtn3->toolTip(), "Cancel. Do not delete.");
  EXPECT_EQ(w->Label4->text(), "Cancel operation.");
  EXPECT_TRUE(w->Label1->text().startsWith("All files and sub-folders are deleted."));
  EXPECT_TRUE(w->Label3->text().endsWith("until trash is emptied.."));
  EXPECT_TRUE(w->Label5->text().contains("UnZip option on the main menu"));
  EXPECT_FALSE(w->Gauge1->isVisible());
  for (const char* name : {"lblTop", "lblDirectory", "btDelete", "Label1", "btRecycle", "Label3", "btZip", "cbDelete",
                           "Label5", "BitBtn3", "Label4", "pnlCount", "pnlName", "Gauge1"})
    EXPECT_NE(w->findChild<QWidget*>(name), nullptr) << name;
  EXPECT_FALSE(w->recycleMode);
}

TEST_F(DelDirectory, ProtectedFolderIsWarnedAboutBeforeAnyRun) {
  const std::string folder = threeFileTree(t);
  const std::string entry = QString::fromStdString(platform::canonicalPath(t.path())).toUpper().toStdString() + "/*.*";
  safeHarbor().setLists({entry}, {}, {}, {});
  auto w = window(folder);
  EXPECT_EQ(w->lblTop->text(), "This folder should not be deleted since it is referenced in the configuration files");
  EXPECT_TRUE(w->lblTop->styleSheet().contains("red"));

  prompts.answers = {Answer::No};
  w->btDelete->click();
  ASSERT_EQ(prompts.texts().size(), 1);
  EXPECT_EQ(prompts.texts()[0],
            "Warning: the folder or a sub-folder of the one to delete is marked NOT to be deleted because it is "
            "referenced in the configuration files.  You may not want to delete it at this time.  Really delete?");
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->deletionRunning);
  EXPECT_TRUE(w->btDelete->isEnabled());
  EXPECT_EQ(readFile(folder + "/two/c.txt"), kKilo);

  prompts.clear();
  w->btDelete->click();  // Yes this time
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(DelDirectory, DeleteRunSummarisesAndCreditsTheTotals) {
  const std::string folder = threeFileTree(t);
  auto w = window(folder);
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(), QStringList{"Deleted 3 files for a savings of 3,000 bytes."});
  EXPECT_EQ(prompts.records[0].kind, MessageKind::Information);
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->pnlCount->text(), "Count");
  EXPECT_EQ(w->pnlName->text(), "Filename");
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_EQ(totals.nDelete, 3);
  EXPECT_EQ(totals.sizeDelete, 3000);
  EXPECT_LE(totals.nWaste, 0);  // nothing recorded
  EXPECT_EQ(deletionLog().cell(1, 1), "3");
  EXPECT_EQ(deletionLog().cell(2, 1), "3000");
}

TEST_F(DelDirectory, EmptyFolderIsRemovedWithoutSummaryOrTotals) {
  const std::string folder = t.dir("empty");
  auto w = window(folder);
  w->btDelete->click();
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_FALSE(exists(folder));
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(readDeletionTotals().nDelete, -1);
  EXPECT_EQ(deletionLog().cell(0, 1), "");
}

TEST_F(DelDirectory, FilesThatCouldNotBeDeletedAreReportedOnceAndNotCredited) {
  const std::string folder = threeFileTree(t);
  auto w = window(folder);
  w->configureRun = [&](TreeDeleter& d) {
    d.beforeFile = [&](const std::string& path) {
      if (path != folder + "/one/b.txt") return;
      std::filesystem::remove(path);
      t.file("victim/one/b.txt/inside", "x");
    };
  };
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(MessageKind::Information), QStringList{"Deleted 2 files for a savings of 2,000 bytes."});
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"1 file could not be deleted."});
  EXPECT_EQ(readDeletionTotals().nDelete, 2);
  EXPECT_EQ(readDeletionTotals().sizeDelete, 2000);
  EXPECT_TRUE(exists(folder + "/one/b.txt/inside"));
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(DelDirectory, ReadOnlyHiddenFileIsAskedAboutTwice) {
  const std::string file = t.file("victim/.locked", kKilo);
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  auto w = window(t / "victim");
  w->btDelete->click();
  const QStringList texts = prompts.texts();
  ASSERT_EQ(texts.size(), 3);
  EXPECT_EQ(prompts.records[0].buttons, Buttons::YesNoCancel);
  EXPECT_TRUE(texts[0].endsWith(".locked is read-only, Delete this file and continue deleting the remaining files? "));
  EXPECT_TRUE(texts[1].endsWith(".locked is hidden, Delete this file and continue deleting the remaining files? "));
  EXPECT_EQ(texts[2], "Deleted 1 files for a savings of 1,000 bytes.");
  EXPECT_FALSE(exists(t / "victim"));
}

TEST_F(DelDirectory, NoToAnAttributeQuestionKeepsTheFileAndEndsTheRun) {
  const std::string file = t.file("victim/.locked", kKilo);
  auto w = window(t / "victim");
  prompts.answers = {Answer::No};
  w->btDelete->click();
  EXPECT_EQ(prompts.texts().size(), 1);  // no summary: nothing was deleted
  EXPECT_EQ(readFile(file), kKilo);
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_LE(readDeletionTotals().nDelete, 0);
  EXPECT_EQ(deletionLog().cell(1, 1), "0");  // the run is logged all the same
}

TEST_F(DelDirectory, CancelDuringARunStopsAfterTheCurrentFile) {
  for (int i = 0; i < 10; ++i) t.file("victim/f" + std::to_string(i), kKilo);
  auto w = window(t / "victim");
  int seen = 0;
  w->configureRun = [&](TreeDeleter& d) {
    d.beforeFile = [&](const std::string&) {
      if (++seen == 2) w->BitBtn3->click();
    };
  };
  w->btDelete->click();
  const QStringList texts = prompts.texts();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[0], "Really abort?  Folders may be partially deleted!");
  EXPECT_EQ(texts[1],
            "Deleted 2 files for a savings of 2,000 bytes. (Note: Deletion operation canceled ... not all files "
            "deleted)");
  EXPECT_EQ(QDir(QString::fromStdString(t / "victim")).entryList(QDir::Files).size(), 8);
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(readDeletionTotals().nDelete, 2);
}

TEST_F(DelDirectory, ClosingDuringARunOnlyAsksAndNoGoesOn) {
  for (int i = 0; i < 5; ++i) t.file("victim/f" + std::to_string(i), kKilo);
  auto w = window(t / "victim");
  prompts.answers = {Answer::No};
  w->configureRun = [&](TreeDeleter& d) {
    d.beforeFile = [&](const std::string&) {
      if (prompts.records.empty()) w->close();
    };
  };
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(), (QStringList{"Really abort?  Folders may be partially deleted!",
                                          "Deleted 5 files for a savings of 5,000 bytes."}));
  EXPECT_FALSE(exists(t / "victim"));
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

TEST_F(DelDirectory, CancelWhileIdleDoesNothing) {
  const std::string folder = threeFileTree(t);
  whenShown("frmDelDirectory", [](QWidget* w) { w->findChild<QPushButton*>("BitBtn3")->click(); });
  const FolderTreeDeletionResult r = openFolderTreeDeletion(nullptr, folder);
  EXPECT_EQ(r.result, QDialog::Rejected);
  EXPECT_FALSE(r.recycleMode);
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_EQ(readFile(folder + "/one/a.txt"), kKilo);
}

TEST_F(DelDirectory, AFolderThatCannotBeEnteredIsReported) {
  const std::string folder = t / "vanished";
  auto w = window(folder);
  w->btDelete->click();
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Can't open folder " + QString::fromStdString(folder)});
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->deletionRunning);
  EXPECT_EQ(readDeletionTotals().nDelete, -1);
  EXPECT_EQ(deletionLog().cell(0, 1), "");
}

TEST_F(DelDirectory, RecycleAsksFirstThenTrashesEveryFile) {
  t.file("victim/sub/window-trash-1.txt", kKilo);
  t.file("victim/window-trash-2.txt", kKilo);
  whenShown("frmDelDirectory", [this](QWidget* w) {
    prompts.answers = {Answer::No};
    w->findChild<QPushButton*>("btRecycle")->click();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(static_cast<TfrmDelDirectory*>(w)->recycleMode);
    EXPECT_TRUE(exists(t / "victim/window-trash-2.txt"));
    w->findChild<QPushButton*>("btRecycle")->click();  // Yes this time
  });
  const FolderTreeDeletionResult r = openFolderTreeDeletion(nullptr, t / "victim");
  EXPECT_EQ(r.result, QDialog::Accepted);
  EXPECT_TRUE(r.recycleMode);
  const QStringList texts = prompts.texts();
  ASSERT_EQ(texts.size(), 3);
  EXPECT_TRUE(texts[0].startsWith("Note that files sent to the trash keep taking up disk space"));
  EXPECT_TRUE(texts[0].endsWith("Send to the trash anyway?"));
  EXPECT_EQ(texts[2], "Deleted 2 files for a savings of 2,000 bytes.");
  EXPECT_FALSE(exists(t / "victim"));
  const std::string trash = platform::dataHome() + "/Trash";
  EXPECT_EQ(readFile(trash + "/files/window-trash-1.txt"), kKilo);
  EXPECT_NE(readFile(trash + "/info/window-trash-1.txt.trashinfo")
                .find("\nPath=" + t.path() + "/victim/sub/window-trash-1.txt\n"),
            std::string::npos);
  // Trashed files still take their space: they are credited as recycled, not deleted.
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_LE(totals.nDelete, 0);
  EXPECT_EQ(totals.nWaste, 2);
  EXPECT_EQ(totals.sizeWaste, 2000);
}

class DelDirectoryZip : public DelDirectory {
 protected:
  void SetUp() override {
    DelDirectory::SetUp();
    WriteString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QString::fromStdString(out.path() + "/"));
  }
  QStringList archives() const {
    return QDir(QString::fromStdString(out.path())).entryList({QStringLiteral("*.zip")}, QDir::Files);
  }
  static bool unzipTestPasses(const QString& archive) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive});
    return unzip.waitForFinished(30000) && unzip.exitCode() == 0;
  }
  TempTree out;
};

TEST_F(DelDirectoryZip, WithoutDeletionZipsEverythingAndKeepsIt) {
  const std::string folder = threeFileTree(t);
  ASSERT_EQ(::chmod((folder + "/one/a.txt").c_str(), 0444), 0);
  whenShown("frmDelDirectory", [](QWidget* w) {
    w->findChild<QCheckBox*>("cbDelete")->setChecked(false);
    whenShown("frmZipOptions", [](QWidget* options) { options->findChild<QPushButton*>("btOK")->click(); });
    w->findChild<QPushButton*>("btZip")->click();
  });
  const FolderTreeDeletionResult r = openFolderTreeDeletion(nullptr, folder);
  EXPECT_EQ(r.result, QDialog::Accepted);
  EXPECT_FALSE(r.recycleMode);
  EXPECT_EQ(prompts.texts(), QStringList{"Zipped up 3 files"});
  EXPECT_EQ(readFile(folder + "/one/a.txt"), kKilo);
  EXPECT_EQ(readFile(folder + "/two/c.txt"), kKilo);
  const QStringList found = archives();
  ASSERT_EQ(found.size(), 1);
  EXPECT_TRUE(found[0].startsWith("Drive-"));
  EXPECT_TRUE(found[0].endsWith("-FolderClean15Mar241405.zip")) << found[0].toStdString();
  EXPECT_TRUE(unzipTestPasses(QString::fromStdString(out.path() + "/") + found[0]));
  const DeletionTotals totals = readDeletionTotals();
  EXPECT_EQ(totals.nZip, 3);
  EXPECT_EQ(totals.sizeZip, 3000);
  EXPECT_LE(totals.nDelete, 0);
}

TEST_F(DelDirectoryZip, WithDeletionRemovesTheStoredTree) {
  const std::string folder = threeFileTree(t);
  auto w = window(folder);
  whenShown("frmZipOptions", [](QWidget* options) { options->findChild<QPushButton*>("btOK")->click(); });
  w->btZip->click();
  EXPECT_EQ(prompts.texts(), QStringList{"Zipped up 3 files"});
  EXPECT_FALSE(exists(folder));
  ASSERT_EQ(archives().size(), 1);
  EXPECT_TRUE(unzipTestPasses(QString::fromStdString(out.path() + "/") + archives()[0]));
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_FALSE(w->Gauge1->isVisible());
}

TEST_F(DelDirectoryZip, CancelledOptionsLeaveTheWindowOpen) {
  const std::string folder = threeFileTree(t);
  auto w = window(folder);
  whenShown("frmZipOptions", [](QWidget* options) { options->findChild<QPushButton*>("btCancel")->click(); });
  w->btZip->click();
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->zipMode);
  EXPECT_FALSE(w->deletionRunning);
  EXPECT_TRUE(w->btZip->isEnabled());
  EXPECT_TRUE(archives().isEmpty());
  EXPECT_EQ(readFile(folder + "/one/b.txt"), kKilo);
}

TEST_F(DelDirectoryZip, AnArchiveFolderThatCannotBeWrittenStopsBeforeTheRun) {
  const std::string folder = threeFileTree(t);
  WriteString(QStringLiteral("ZipFile"), QStringLiteral("Path"), QString::fromStdString(out.path() + "/missing/"));
  auto w = window(folder);
  whenShown("frmZipOptions", [](QWidget* options) { options->findChild<QPushButton*>("btOK")->click(); });
  w->btZip->click();
  const QStringList errors = prompts.texts(MessageKind::Error);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Can't create the archive " + QString::fromStdString(out.path()) + "/missing/"));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(readFile(folder + "/one/b.txt"), kKilo);
  EXPECT_EQ(readDeletionTotals().nZip, -1);
}

}  // namespace
}  // namespace roomvale::testing
