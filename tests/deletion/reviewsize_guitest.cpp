// The review as a finder opens it with thousands of files: it can be made larger, its lists
// grow with it, and it opens again at the size it was left at, however it was closed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListView>
#include <QListWidget>
#include <QPushButton>

#include "common/testing.h"
#include "deletion/really.h"
#include "deletion/reviewlist.h"
#include "finders/clean.h"
#include "finders/temppatterns.h"
#include "foundation/settings.h"
#include "safeharbor/safeharbor.h"
#include "scan/resultgrid.h"
#include "scan/targets.h"

using namespace roomvale;
namespace rt = roomvale::testing;

TEST(ReviewSize, GrowsWithTheWindowAndIsRemembered) {
  rt::ScriptedPrompts prompts;
  rt::TempTree tree;
  for (int i = 0; i < 3000; ++i) tree.file("d" + std::to_string(i % 30) + "/f" + std::to_string(i) + ".tmp", "x");
  safeHarbor().setLists({}, {}, {}, {});
  installDeletionReview();
  writeListSection(kNewFoldersSection, {QString::fromStdString(tree.path() + "/")});
  WriteString(kTempFilesSection, "Number", "");

  TfrmClean finder;
  finder.show();
  setAllChecked(finder.pckDrive, false);
  finder.pckDrive->item(finder.pckDrive->count() - 1)->setCheckState(Qt::Checked);
  finder.btScanClick();
  finder.Markall1->trigger();

  // Each round: what the review opened at, then the size given to it and how it is closed.
  struct Round {
    QSize give;
    bool closeBox;
  };
  const Round rounds[] = {{QSize(1000, 800), false}, {QSize(900, 700), true}, {QSize(), false}};
  QSize opened[3];
  int grewBy = 0;
  for (int r = 0; r < 3; ++r) {
    rt::whenShown("frmReallyDelete", [&](QWidget* w) {
      auto* review = qobject_cast<TfrmReallyDelete*>(w);
      ASSERT_NE(review, nullptr);
      EXPECT_EQ(review->deletionPanel()->count(), 3000);
      opened[r] = w->size();
      if (r == 0) {
        const int before = review->lb1->height();
        w->resize(rounds[r].give);
        ASSERT_TRUE(rt::waitFor([&] { return review->lb1->height() > before; }));
        grewBy = review->lb1->height() - before;
      } else if (rounds[r].give.isValid()) {
        w->resize(rounds[r].give);
        QCoreApplication::processEvents();
      }
      if (rounds[r].closeBox)
        w->close();
      else
        review->btClose->click();
    });
    finder.btDelete->click();
  }
  EXPECT_EQ(opened[0], QSize(600, 516));
  EXPECT_GE(grewBy, 800 - 516 - 10);
  EXPECT_EQ(opened[1], QSize(1000, 800));
  EXPECT_EQ(opened[2], QSize(900, 700));
  EXPECT_TRUE(finder.isVisible());  // Cancel in the review keeps the finder open
  setDeletionReviewOpener({});
}
