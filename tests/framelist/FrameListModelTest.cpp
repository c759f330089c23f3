#include "framelist/FrameListModel.h"

#include <gtest/gtest.h>

using framora::FrameListModel;
using framora::FrameRow;

TEST(FrameListModel, StartsAsEightEmptyRowsAndNeverDropsBelowOne) {
  FrameListModel m;
  EXPECT_EQ(m.rowCount(), 8);
  EXPECT_EQ(m.columnCount(), 4);
  m.setRowCount(0);
  EXPECT_EQ(m.rowCount(), 1);
  m.setRowCount(-5);
  EXPECT_EQ(m.rowCount(), 1);
  m.setRow(0, {"a.bmp", "500", "0"});
  m.removeRowAt(0);
  EXPECT_EQ(m.rowCount(), 1);
  EXPECT_EQ(m.row(0), FrameRow{});
}

TEST(FrameListModel, PositionColumnCountsEveryRowAndIsNeverSelectable) {
  FrameListModel m;
  m.setRowCount(3);
  m.setRow(1, {"b.bmp", "100", "2"});
  m.swapRows(1, 2);
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(m.data(m.index(r, 0)).toString(), QString::number(r + 1));
    EXPECT_FALSE(m.flags(m.index(r, 0)) & Qt::ItemIsSelectable);
    EXPECT_TRUE(m.flags(m.index(r, 1)) & Qt::ItemIsSelectable);
  }
  EXPECT_EQ(m.data(m.index(2, 1)).toString(), "b.bmp");
  EXPECT_EQ(m.data(m.index(2, 3)).toString(), "2");
  EXPECT_FALSE(m.inUse(1));
  EXPECT_TRUE(m.inUse(2));
}

TEST(FrameListModel, RemovingARowMovesTheRowsBelowUp) {
  FrameListModel m;
  m.setRowCount(4);
  for (int r = 0; r < 4; ++r) m.setCell(r, FrameListModel::FileColumn, QString(QChar('A' + r)));
  m.removeRowAt(1);
  ASSERT_EQ(m.rowCount(), 3);
  EXPECT_EQ(m.cell(0, 1), "A");
  EXPECT_EQ(m.cell(1, 1), "C");
  EXPECT_EQ(m.cell(2, 1), "D");
  m.removeRowAt(7);  // out of range: nothing
  EXPECT_EQ(m.rowCount(), 3);
}
