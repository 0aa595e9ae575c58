#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include "common/testing.h"
#include "foundation/standby.h"

namespace roomvale {
namespace {

class StandByTest : public ::testing::Test {
 protected:
  void TearDown() override {
    setStandByHook({});
    destroyStandBy();
  }
};

TEST_F(StandByTest, OneWindowWithItsTextsAndBar) {
  TfrmStandBy* window = frmStandBy();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(frmStandBy(), window);
  EXPECT_EQ(window->objectName(), "frmStandBy");
  EXPECT_EQ(window->windowTitle(), "Loading Files");
  EXPECT_EQ(window->size(), QSize(427, 94));
  EXPECT_EQ(window->lblStandBy->text(), "Loading files ... standby");
  EXPECT_EQ(window->bar->objectName(), "bar");
  EXPECT_EQ(window->bar->minimum(), 0);
  EXPECT_EQ(window->bar->maximum(), 100);
  // No close, minimise or maximise box.
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

  destroyStandBy();
  TfrmStandBy* fresh = frmStandBy();
  ASSERT_NE(fresh, nullptr);
  EXPECT_FALSE(fresh->isVisible());
}

TEST_F(StandByTest, HookRunsOnEveryShowAndHide) {
  int calls = 0;
  setStandByHook([&] { ++calls; });
  TfrmStandBy* window = frmStandBy();
  window->bar->setMaximum(3);
  window->show();
  EXPECT_EQ(calls, 1);
  for (int i = 1; i <= 3; ++i) window->bar->setValue(i);
  window->hide();
  EXPECT_EQ(calls, 2);
  window->show();
  window->hide();
  EXPECT_EQ(calls, 4);
  // Hiding a hidden window is no new hiding.
  window->hide();
  EXPECT_EQ(calls, 4);
}

TEST_F(StandByTest, UserCannotCloseOrEscapeIt) {
  TfrmStandBy* window = frmStandBy();
  window->show();
  ASSERT_TRUE(testing::waitFor([&] { return window->isVisible(); }));
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(window->isVisible());
  // The job that showed it hides it.
  window->hide();
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace roomvale
