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
  if (ds)
    listener_ = ds->addListener([this](engine::DataSetNotice n) {
      if (n == engine::DataSetNotice::DataChanged || n == engine::DataSetNotice::StateChanged) {
        beginResetModel();
        endResetModel();
      } else if (n == engine::DataSetNotice::RecordChanged && rowCount() > 0) {
        const int row = static_cast<int>(grid_.dataSource->recNo()) - 1;
        if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
      }
    });
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

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
    return {};
  return QString::fromStdString(column(section).title);
}

}  // namespace ped::views
