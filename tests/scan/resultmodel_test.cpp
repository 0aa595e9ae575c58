// The result grid's item model keeps Qt's model contract through everything a finder does
// to it: a walk filling it in batches past several blocks, sorts, marks, cell texts, row
// removal, the row count fixed after the walk, and clearing for the next search.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>

#include "common/testing.h"
#include "scan/resultmodel.h"

using namespace roomvale;

TEST(ResultModelContract, HoldsThroughFillSortMarkRemoveAndClear) {
  GridSpec shape;
  shape.kind = QStringLiteral("test-model");
  shape.columns = {{"Size", CellField::Size, true},
                   {"Modified", CellField::WriteDate, false},
                   {"FileName", CellField::FullPath, false}};
  shape.markColumn = 2;
  shape.highlightColumn = 2;
  ResultModel model(shape);
  roomvale::testing::ModelContract contract(&model);

  std::vector<std::string> names;
  for (int i = 0; i < 260; ++i) names.push_back("f" + std::to_string((i * 37) % 260) + ".tmp");
  auto fill = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      GridFile f;
      f.folder = "/data/";
      f.name = names[static_cast<std::size_t>(i)];
      f.size = static_cast<std::uint64_t>(i) * 1000;
      ASSERT_GE(model.addRow(f), 0);
      // The walk lets the event loop run now and then; rows reach the view in batches.
      if (i % 45 == 0) QCoreApplication::processEvents();
    }
  };

  fill(0, 130);
  model.flush();
  model.sortBy(SortKind::Number, 0, true);
  EXPECT_TRUE(model.toggleMark(0));
  fill(130, 260);  // growth after a sort and a mark
  model.fixRowCount();
  model.flush();
  EXPECT_EQ(model.rowCount(), 260);

  model.sortBy(SortKind::Text, 2, false);
  model.markAll();
  model.setCellText(3, 1, QStringLiteral("DELETED"));
  model.removeRow(5);
  model.removeRow(model.rowCount() - 1);
  model.clearAllMarks();
  model.setHighlight(false);
  model.setShading(false);
  EXPECT_EQ(model.grid().rowsUsed(), 258);

  model.clearGrid();
  fill(0, 3);
  model.fixRowCount();
  model.flush();
  EXPECT_EQ(model.grid().rowsUsed(), 3);
}
