#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include "app/helpwindow.h"
#include "common/testing.h"
#include "foundation/helpregistry.h"
#include "platform/paths.h"

namespace roomvale {
namespace {

QString installedHelpFile() { return QString::fromStdString(platform::programFolder()) + "rmvl30.hlp"; }

class HelpWindowTest : public ::testing::Test {
 protected:
  void TearDown() override { closeHelpWindow(); }
};

TEST_F(HelpWindowTest, OpensTheDocumentAtTheContextAnchor) {
  ASSERT_TRUE(QFileInfo(installedHelpFile()).isFile()) << "help file not beside the test program";
  testing::ScriptedPrompts prompts;
  openHelpWindow(installedHelpFile(), 1000);
  TfrmHelp* window = helpWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(testing::findTopLevel("frmHelp"), window);
  EXPECT_EQ(window->context(), 1000);
  EXPECT_EQ(window->helpFile(), installedHelpFile());
  EXPECT_TRUE(prompts.records.empty());
  EXPECT_TRUE(window->browser->toPlainText().contains("Roomvale Help"));
  // Every topic the document promises has its anchor.
  for (const char* topic : {"1000", "1100", "1200", "1300", "1400", "1500", "1600"})
    EXPECT_TRUE(documentHasAnchor(*window->browser, topic)) << topic;
  EXPECT_FALSE(documentHasAnchor(*window->browser, "999"));
}

TEST_F(HelpWindowTest, LaterContextScrollsTheSameWindow) {
  openHelpWindow(installedHelpFile(), 1000);
  TfrmHelp* window = helpWindow();
  ASSERT_NE(window, nullptr);
  QScrollBar* scroll = window->browser->verticalScrollBar();
  ASSERT_TRUE(testing::waitFor([&] { return scroll->maximum() > 0; }));
  const int atContents = scroll->value();
  EXPECT_LT(atContents, 40);  // the first topic is at the top

  openHelpWindow(installedHelpFile(), 1600);
  EXPECT_EQ(helpWindow(), window);
  EXPECT_EQ(window->context(), 1600);
  EXPECT_GT(scroll->value(), atContents + 200);

  // Contents goes back to the first topic.
  window->btContents->click();
  EXPECT_EQ(scroll->value(), atContents);

  // Escape closes it, wherever the focus is.
  window->browser->setFocus();
  QTest::keyClick(window->browser, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(HelpWindowTest, MissingFileIsReportedAndOpensNothing) {
  testing::ScriptedPrompts prompts;
  testing::TempTree tree;
  const QString missing = QString::fromStdString(tree / "rmvl30.hlp");
  openHelpWindow(missing, 1000);
  EXPECT_EQ(prompts.texts(MessageKind::Error), QStringList{"Could not open help file " + missing});
  EXPECT_EQ(helpWindow(), nullptr);
  EXPECT_EQ(testing::findTopLevel("frmHelp"), nullptr);

  // A folder of that name is no help file either.
  tree.dir("rmvl30.hlp");
  prompts.clear();
  openHelpWindow(missing, 1000);
  EXPECT_EQ(prompts.texts(MessageKind::Error).size(), 1);
  EXPECT_EQ(helpWindow(), nullptr);
}

TEST_F(HelpWindowTest, ThePromptServiceReachesTheHelpWindowOnceRegistered) {
  HelpOpener before = helpOpenerSlot();
  helpOpenerSlot() = &openHelpWindow;
  prompts().showHelp(installedHelpFile(), 1300);
  helpOpenerSlot() = before;
  ASSERT_NE(helpWindow(), nullptr);
  EXPECT_EQ(helpWindow()->context(), 1300);
}

}  // namespace
}  // namespace roomvale
