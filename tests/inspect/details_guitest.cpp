// The details window on real files: a program with a version resource, a plain file, a
// missing one; View opens the viewer, Print writes the details.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <fstream>

#include "common/testing.h"
#include "foundation/helpers.h"
#include "inspect/detailsform.h"
#include "pebuilder.h"

using namespace roomvale;
using roomvale::testing::ScriptedPrompts;
using roomvale::testing::TempTree;

TEST(DetailsWindowTest, ShowsTheFileAndItsVersionLines) {
  ScriptedPrompts prompts;
  TempTree t;
  const std::string exe = t / "sample.exe";
  const auto pe = roomvale::testing::samplePe();
  std::ofstream(exe, std::ios::binary)
      .write(reinterpret_cast<const char*>(pe.data()), static_cast<std::streamsize>(pe.size()));
  {
    TfrmDetails w;
    w.fileName = exe;
    w.show();
    EXPECT_EQ(w.lblFileName->text(), QString::fromStdString(exe));
    EXPECT_EQ(w.lblSizeBytes->text(), formatThousands(static_cast<std::int64_t>(pe.size())) + " bytes");
    EXPECT_FALSE(w.Memo1->isHidden());
    EXPECT_EQ(w.Memo1->toPlainText().split('\n').size(), 11);
    EXPECT_FALSE(w.Image1->pixmap().isNull());

    bool viewed = false;
    roomvale::testing::whenShown("frmView", [&](QWidget* v) {
      viewed = true;
      v->close();
    });
    w.btView->click();
    EXPECT_TRUE(viewed);

    const std::string pdf = t / "details.pdf";
    prompts.configurePrinter = [&](QPrinter& p) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(QString::fromStdString(pdf));
    };
    w.btPrint->click();
    EXPECT_GT(roomvale::testing::readFile(pdf).size(), 100u);
  }
  {
    TfrmDetails w;
    w.fileName = t.file("notes.txt", "plain");
    w.show();
    EXPECT_TRUE(w.Memo1->isHidden());
    EXPECT_EQ(w.lblAttributes->text(), " Archive");
  }
  {
    TfrmDetails w;
    w.fileName = t / "vanished.txt";
    w.show();
    EXPECT_EQ(w.lblFileName->text(), "");
    EXPECT_EQ(w.Label1->text(), "Name of file:");
  }
  EXPECT_TRUE(prompts.texts().isEmpty());
}
