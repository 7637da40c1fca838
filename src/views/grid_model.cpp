#include "views/grid_model.h"

#include "engine/data_set.h"
#include "hostlib_qt/data_set_model.h"

namespace ped::views {

GridModel::GridModel(const hostlib::Grid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  engine::DataSet* ds = grid.dataSource;
  for (std::size_t c = 0; c < grid.columns.size(); ++c) {
    const engine::Field* f = ds ? ds->findField(grid.columns[c].fieldName) : nullptr;
    if (f == nullptr) continue;
    columns_.push_back(c);
    fields_.push_back(f->index());
  }
  shownRows_ = rowCount();
  if (ds)
    listener_ = ds->addListener([this](engine::DataSetNotice n) {
      switch (n) {
        case engine::DataSetNotice::DataChanged:
          // As many rows as shown: their cells are read again in place, so
          // the view keeps its scroll position and cell cursor (a reset
          // would bring the clicked row to the top after every mark).
          if (rowCount() == shownRows_) return rowsChanged();
          return rowsReplaced();
        case engine::DataSetNotice::StateChanged:
          // Entering or leaving edit mode keeps the rows: a reset here would
          // drop the view's cell cursor, even in the middle of a paint (the
          // order grid's painting puts its list into edit mode). Only the
          // current row can look different. A walk with the controls
          // disabled edits row after row: its closing DataChanged redraws.
          if (rowCount() != shownRows_) return rowsReplaced();
          if (!grid_.dataSource->controlsDisabled()) currentRowChanged();
          return;
        case engine::DataSetNotice::RecordChanged:
          return currentRowChanged();
        case engine::DataSetNotice::Scrolled:
          return;
      }
    });
}

void GridModel::rowsReplaced() {
  beginResetModel();
  shownRows_ = rowCount();
  endResetModel();
}

void GridModel::rowsChanged() {
  if (shownRows_ > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(shownRows_ - 1, columnCount() - 1));
}

void GridModel::currentRowChanged() {
  if (rowCount() == 0 || columnCount() == 0) return;
  const int row = static_cast<int>(grid_.dataSource->recNo()) - 1;
  if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

GridModel::~GridModel() {
  if (listener_ >= 0) grid_.dataSource->removeListener(listener_);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  const engine::DataSet* ds = grid_.dataSource;
  return parent.isValid() || !ds || !ds->active() ? 0 : static_cast<int>(ds->recordCount());
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const engine::DataSet& ds = *grid_.dataSource;
  const engine::Field& f = ds.field(fields_[static_cast<std::size_t>(index.column())]);
  if (role == Qt::DisplayRole)
    return hostlib_qt::cellText(f, ds.cellAt(static_cast<std::size_t>(index.row()), f.index()));
  if (role == Qt::TextAlignmentRole &&
      (f.type() == engine::FieldType::Float || f.type() == engine::FieldType::Integer))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (editsInPlace_ && index.isValid() && grid_.editing() && !column(index.column()).readOnly)
    f |= Qt::ItemIsEditable;
  return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(column(section).title);
  if (role == Qt::TextAlignmentRole)
    return QVariant((column(section).titleRightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return {};
}

}  // namespace ped::views
