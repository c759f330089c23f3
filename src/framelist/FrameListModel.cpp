#include "framelist/FrameListModel.h"


#include <algorithm>

namespace framora {

FrameListModel::FrameListModel(QObject* parent) : QAbstractTableModel(parent), rows_(EmptyRowCount) {}

int FrameListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }
int FrameListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FrameListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_.size()) return {};
  const int c = index.column();
  switch (role) {
  case Qt::DisplayRole:
    return c == PositionColumn ? QString::number(index.row() + 1) : cell(index.row(), c);
  case Qt::TextAlignmentRole:
    return c == PositionColumn ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                               : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
  default:
    return {};
  }
}

Qt::ItemFlags FrameListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // The position column is a fixed column: never selected, never current.
  if (index.column() == PositionColumn) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QString FrameListModel::cell(int r, int column) const {
  if (r < 0 || r >= rows_.size()) return {};
  const FrameRow& row = rows_.at(r);
  switch (column) {
  case FileColumn: return row.fileName;
  case DelayColumn: return row.delay;
  case DisposalColumn: return row.disposal;
  default: return {};
  }
}

void FrameListModel::setCell(int r, int column, const QString& text) {
  if (r < 0 || r >= rows_.size()) return;
  FrameRow& row = rows_[r];
  QString* target = column == FileColumn ? &row.fileName
                    : column == DelayColumn ? &row.delay
                    : column == DisposalColumn ? &row.disposal
                                               : nullptr;
  if (!target || *target == text) return;
  *target = text;
  emit dataChanged(index(r, column), index(r, column));
}

FrameRow FrameListModel::row(int r) const { return r >= 0 && r < rows_.size() ? rows_.at(r) : FrameRow{}; }

void FrameListModel::setRow(int r, const FrameRow& value) {
  if (r < 0 || r >= rows_.size()) return;
  rows_[r] = value;
  emit dataChanged(index(r, FileColumn), index(r, DisposalColumn));
}

bool FrameListModel::inUse(int r) const { return !cell(r, FileColumn).trimmed().isEmpty(); }

void FrameListModel::setRowCount(int n) {
  n = std::max(n, 1);
  const int old = int(rows_.size());
  if (n > old) {
    beginInsertRows({}, old, n - 1);
    rows_.resize(n);
    endInsertRows();
  } else if (n < old) {
    beginRemoveRows({}, n, old - 1);
    rows_.resize(n);
    endRemoveRows();
  }
}

void FrameListModel::clearCells() {
  for (FrameRow& r : rows_) r = FrameRow{};
  if (!rows_.isEmpty()) emit dataChanged(index(0, FileColumn), index(int(rows_.size()) - 1, DisposalColumn));
}

void FrameListModel::removeRowAt(int r) {
  const int n = int(rows_.size());
  if (r < 0 || r >= n) return;
  for (int i = r; i < n - 1; ++i) rows_[i] = rows_[i + 1];
  rows_[n - 1] = FrameRow{};
  emit dataChanged(index(r, FileColumn), index(n - 1, DisposalColumn));
  setRowCount(n - 1);
}

void FrameListModel::swapRows(int a, int b) {
  const int n = int(rows_.size());
  if (a < 0 || b < 0 || a >= n || b >= n || a == b) return;
  std::swap(rows_[a], rows_[b]);
  emit dataChanged(index(std::min(a, b), FileColumn), index(std::max(a, b), DisposalColumn));
}

} // namespace framora
