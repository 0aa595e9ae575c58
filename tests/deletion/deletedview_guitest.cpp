#include "deletion/deletedview.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>

#include "deletion/deletionlog.h"
#include "deletion/totals.h"
#include "foundation/helpers.h"
#include "foundation/settings.h"
#include "logtesting.h"

namespace roomvale::testing {
namespace {

const QString kRoomvale = QStringLiteral("Roomvale");

QString pdfText(const std::string& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QString::fromStdString(pdf), QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

class DeletedView : public LogFixture {
 protected:
  QStringList gridRow(int row) const {
    QStringList out;
    for (int c = 0; c < view.grDelete->columnCount(); ++c) {
      const QTableWidgetItem* item = view.grDelete->item(row, c);
      out << (item ? item->text() : QString());
    }
    return out;
  }

  TDeletedView view;
};

TEST_F(DeletedView, ControlsCarryTheirNames) {
  for (const char* name : {"EsLabel2", "PageControl1", "TabSheet1", "TabSheet2", "lblFileDel", "lblSince1", "edNdelete",
                           "edSzDelete", "Label6", "lblZipSince", "edNZip", "edSzZip", "lblFileWaste", "edNWaste",
                           "edSzWaste", "Button1", "grDelete", "EsMenuButton1", "popGridDelete"})
    EXPECT_NE(view.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(view.EsMenuButton1->menu(), view.popGridDelete);
  EXPECT_EQ(view.PageControl1->tabText(0), QStringLiteral("Cumulative"));
  EXPECT_EQ(view.PageControl1->tabText(1), QStringLiteral("Details"));
}

TEST_F(DeletedView, ShowingTheViewReadsTheTotalsAfresh) {
  view.show();
  EXPECT_EQ(view.edNdelete->text(), QStringLiteral("n/a"));
  EXPECT_TRUE(view.lblSince1->text().isEmpty());

  addDeleteTotals(1234, 5678901, 0, 0);
  WriteInt64(kRoomvale, "SizeWaste", 50);  // a size without a count shows nothing
  view.hide();
  view.show();
  EXPECT_EQ(view.edNdelete->text(), formatThousands(1234) + " files");
  EXPECT_EQ(view.edSzDelete->text(), formatThousands(5678901) + " bytes");
  EXPECT_EQ(view.lblSince1->text(), "Since " + safeDateToStr(QDate(2024, 3, 15).startOfDay()));
  EXPECT_EQ(view.edNWaste->text(), QStringLiteral("n/a"));
  EXPECT_EQ(view.edSzWaste->text(), QStringLiteral("n/a"));
  EXPECT_EQ(view.edNZip->text(), QStringLiteral("n/a"));
  EXPECT_TRUE(view.lblZipSince->text().isEmpty());
}

TEST_F(DeletedView, ResetOnlyOnYesAndLeavesTheLog) {
  addDeleteTotals(2, 20, 3, 30);
  addZipTotals(4, 40);
  view.showFilesDeleted();

  prompts.answers = {Answer::No};
  view.Button1->click();
  EXPECT_EQ(readDeletionTotals().nDelete, 2);
  EXPECT_EQ(view.edNZip->text(), QStringLiteral("4 files"));

  prompts.answers = {Answer::Yes};
  view.Button1->click();
  for (const char* key : {"Ndelete", "SizeDelete", "NZip", "ZipDate", "SizeZip", "NWaste", "SizeWaste", "DelDate"})
    EXPECT_EQ(ReadString(kRoomvale, key, {}), QStringLiteral("-1")) << key;
  for (QLineEdit* ed : {view.edNdelete, view.edSzDelete, view.edNZip, view.edSzZip, view.edNWaste, view.edSzWaste})
    EXPECT_EQ(ed->text(), QStringLiteral("n/a"));
  EXPECT_TRUE(view.lblSince1->text().isEmpty());
  EXPECT_TRUE(view.lblZipSince->text().isEmpty());
  EXPECT_EQ(view.grDelete->rowCount(), 2);

  ASSERT_EQ(prompts.records.size(), 2u);
  EXPECT_EQ(prompts.records[1].kind, MessageKind::Information);
  EXPECT_EQ(prompts.records[1].text, QStringLiteral("Reset cumulative totals?"));
  EXPECT_EQ(prompts.records[1].buttons, Buttons::YesNo);
}

TEST_F(DeletedView, GridFollowsTheLogWithTitlesAlignmentAndWidths) {
  EXPECT_EQ(view.grDelete->rowCount(), 2);
  addDeleteTotals(3, 300, 0, 0);
  addZipTotals(1, 10);
  addZipTotals(2, 20);  // the third entry goes on top
  ASSERT_EQ(view.grDelete->rowCount(), 3);
  EXPECT_EQ(gridRow(0), (QStringList{"2024-03-15 14:05", "0", "0", "0", "0", "2", "20"}));
  EXPECT_EQ(gridRow(1), (QStringList{"2024-03-15 14:05", "3", "300", "0", "0", "0", "0"}));
  EXPECT_EQ(view.grDelete->horizontalHeaderItem(2)->text(), QStringLiteral("Size Deleted"));
  EXPECT_EQ(view.grDelete->columnWidth(0), 127);
  EXPECT_EQ(view.grDelete->columnWidth(4), 95);
  EXPECT_TRUE(view.grDelete->item(0, 3)->textAlignment() & Qt::AlignRight);
  EXPECT_TRUE(view.grDelete->item(0, 0)->textAlignment() & Qt::AlignLeft);
}

TEST_F(DeletedView, ColumnWidthsTheUserSetsAreSavedWithTheLog) {
  view.grDelete->setColumnWidth(2, 150);
  addDeleteTotals(1, 1, 0, 0);
  EXPECT_NE(readFile(deletionLogPath()).find("cw 2,150\r\n"), std::string::npos);
  EXPECT_EQ(view.grDelete->columnWidth(2), 150);
}

TEST_F(DeletedView, ClearEntriesAsksFirstThenEmptiesAndSaves) {
  addDeleteTotals(1, 1, 0, 0);
  addDeleteTotals(2, 2, 0, 0);
  addDeleteTotals(3, 3, 0, 0);

  prompts.answers = {Answer::No};
  view.Cleargrid1->trigger();
  EXPECT_EQ(view.grDelete->rowCount(), 3);

  prompts.answers = {Answer::Yes};
  view.Cleargrid1->trigger();
  EXPECT_EQ(view.grDelete->rowCount(), 1);
  EXPECT_EQ(gridRow(0), QStringList(7, QString()));
  EXPECT_EQ(readFile(deletionLogPath()).substr(0, 5), "7,2\r\n");
  EXPECT_EQ(prompts.texts(MessageKind::Confirmation).value(0), QStringLiteral("Really clear out deletion log?"));
  EXPECT_EQ(readDeletionTotals().nDelete, 6);  // totals are not the log
}

TEST_F(DeletedView, MenuItemsSaveTheExports) {
  TempTree tree;
  prompts.files = {tree / "log.csv", tree / "log.htm"};
  addDeleteTotals(1, 5, 0, 0);
  view.Saveas1->trigger();
  view.SaveasawebpageHTML1->trigger();
  EXPECT_NE(readFile(tree / "log.csv").find("2024-03-15 14:05,1,5,0,0,0,0\r\n"), std::string::npos);
  EXPECT_NE(readFile(tree / "log.htm").find("<td nowrap align=\"right\">5</td>"), std::string::npos);
}

TEST_F(DeletedView, PrintingGivesTheTitleAndEveryRow) {
  TempTree tree;
  const std::string pdf = tree / "log.pdf";
  prompts.configurePrinter = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  };
  addDeleteTotals(7, 5368709120LL, 0, 0);
  clock.set(QDateTime(QDate(2024, 3, 16), QTime(8, 30)));
  addZipTotals(2, 99);
  clock.set(QDateTime(QDate(2024, 3, 17), QTime(19, 45)));
  addDeleteTotals(0, 0, 1, 1);

  prompts.printAnswers = {false};
  view.Printgrid1->trigger();
  EXPECT_FALSE(exists(pdf));

  view.Printgrid1->trigger();
  ASSERT_TRUE(exists(pdf));
  const QString text = pdfText(pdf);
  EXPECT_TRUE(text.contains(QRegularExpression("Files processed by Roomvale +\\(www\\."))) << text.toStdString();
  for (const char* title :
       {"Date/Time", "# Deleted", "Size Deleted", "# Recycled", "Size Recycled", "# Zipped", "Size Zipped"})
    EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title;
  EXPECT_TRUE(text.contains("2024-03-15 14:05"));
  EXPECT_TRUE(text.contains("5368709120"));
  // In grid order: the third entry went on top.
  EXPECT_LT(text.indexOf("2024-03-17 19:45"), text.indexOf("2024-03-15 14:05"));
  EXPECT_LT(text.indexOf("2024-03-15 14:05"), text.indexOf("2024-03-16 08:30"));
  EXPECT_TRUE(prompts.texts(MessageKind::Error).isEmpty());
}

TEST_F(DeletedView, LongLogsPrintOnSeveralPagesWithoutLosingRows) {
  TempTree tree;
  const std::string pdf = tree / "long.pdf";
  prompts.configurePrinter = [&pdf](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  };
  for (int i = 0; i < 150; ++i)
    deletionLog().addEntry(QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(60 * i), {i, 1000 + i, 0, 0, 0, 0});
  view.Printgrid1->trigger();
  const QString text = pdfText(pdf);
  EXPECT_GE(text.count(QChar('\f')), 2);
  for (int i = 0; i < 150; ++i) EXPECT_TRUE(text.contains(QString::number(1000 + i))) << i;
}

}  // namespace
}  // namespace roomvale::testing
