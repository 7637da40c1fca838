#pragma once
// A live item model over one of the screen's grids: its columns as the grid
// defines them, its rows read from the data set on demand (nothing is
// copied), refreshed when the data set says its rows changed.

#include <QAbstractTableModel>
#include <vector>

#include "hostlib/controls.h"

namespace ped::views {

class GridModel : public QAbstractTableModel {
 public:
  // REQUIRES: the grid and its data source outlive the model.
  explicit GridModel(const hostlib::Grid& grid, QObject* parent = nullptr);
  ~GridModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Editable cells: those of columns that are not read-only while the grid's
  // editing option is on, once the view edits in place.
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void editInPlace() { editsInPlace_ = true; }

  // The grid's column at `section`.
  const hostlib::Grid::Column& column(int section) const { return grid_.columns[columns_[section]]; }
  // Its index among the grid's columns.
  std::size_t gridColumn(int section) const { return columns_[static_cast<std::size_t>(section)]; }

 private:
  void rowsReplaced();
  void rowsChanged();
  void currentRowChanged();
  const hostlib::Grid& grid_;
  std::vector<std::size_t> columns_;  // columns whose field exists; hidden ones are hidden by the view
  std::vector<std::size_t> fields_;   // their field indexes
  int listener_ = -1;
  int shownRows_ = 0;  // the row count the view was last told
  bool editsInPlace_ = false;
};

}  // namespace ped::views
