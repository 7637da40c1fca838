#pragma once
// A read-only Qt item model over the rows of a data set, one column per
// visible field, titled by the field's label. Row i is position i of the data
// set's view. It reads the data set as it is and sends no change signals: it
// serves modal windows, during which the rows stay as they are.

#include <QAbstractTableModel>
#include <vector>

#include "engine/data_set.h"

namespace ped::hostlib_qt {

class DataSetModel : public QAbstractTableModel {
 public:
  explicit DataSetModel(const engine::DataSet& rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  const engine::Field& fieldAt(int column) const {
    return rows_.field(fields_[static_cast<std::size_t>(column)]);
  }
  // Column of `fieldName`, -1 when it is not shown.
  int columnOf(std::string_view fieldName) const;

 private:
  const engine::DataSet& rows_;
  std::vector<std::size_t> fields_;  // visible fields, in order
};

// The text of one cell as the operator reads it.
QString cellText(const engine::Field& field, const engine::CellView& cell);

}  // namespace ped::hostlib_qt
