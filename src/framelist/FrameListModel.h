#pragma once
// The frame list: the one copy of the frames, shown by the main window's grid and read and
// written by the build, the split, the video import and the template files.
// Column 0 shows the 1-based position; columns 1..3 hold file name, delay (ms) and disposal
// as text. There is always at least one row.
#include <QAbstractTableModel>
#include <QString>
#include <QVector>

namespace framora {

struct FrameRow {
  QString fileName;
  QString delay;
  QString disposal;
  bool operator==(const FrameRow&) const = default;
};

class FrameListModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum Column { PositionColumn = 0, FileColumn = 1, DelayColumn = 2, DisposalColumn = 3, ColumnCount = 4 };
  static constexpr int EmptyRowCount = 8;

  explicit FrameListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Text of a cell (column 0 has none); out-of-range cells read as empty.
  QString cell(int row, int column) const;
  void setCell(int row, int column, const QString& text);
  FrameRow row(int r) const;
  void setRow(int r, const FrameRow& value);
  // True when the row's file name, trimmed, is not empty.
  bool inUse(int r) const;

  // Grows with empty rows or drops rows at the end; never below 1.
  void setRowCount(int n);
  // Empties every cell, keeping the row count.
  void clearCells();
  // Copies the rows below `r` up by one and drops the last row; a single row is emptied instead.
  void removeRowAt(int r);
  // Exchanges all cells of two rows.
  void swapRows(int a, int b);

private:
  QVector<FrameRow> rows_;
};

} // namespace framora
