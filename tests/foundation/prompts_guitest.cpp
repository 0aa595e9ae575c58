// The real message and question boxes (no scripted prompts): wide enough that the window
// manager can write their title in full.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "foundation/prompts.h"

namespace roomvale {
namespace {

// Shows each box through the real prompt service, notes its width and title, and closes it.
TEST(MessageBoxes, AreWideEnoughForTheirTitle) {
  QStringList titles;
  std::vector<int> widths;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      titles << box->windowTitle();
      widths.push_back(box->width());
      box->done(QMessageBox::Ok);
    }
  });
  closer.start(10);
  showInfo(QStringLiteral("No files found."));
  showError(QStringLiteral("x"));
  confirm(QStringLiteral("Really delete?"), Buttons::YesNo, Answer::Yes, QStringLiteral("Confirm deletion of files"));
  ASSERT_EQ(titles, (QStringList{"Information", "Error", "Confirm deletion of files"}));
  QFont bold = QApplication::font();
  bold.setBold(true);
  for (int i = 0; i < titles.size(); ++i)
    EXPECT_GE(widths[static_cast<std::size_t>(i)], QFontMetrics(bold).horizontalAdvance(titles[i]) + 100)
        << titles[i].toStdString();
}

}  // namespace
}  // namespace roomvale
