#include "hostlib_qt/data_set_model.h"

#include "engine/date_time.h"
#include "engine/text.h"
#include "engine/value_text.h"

namespace ped::hostlib_qt {

QString cellText(const engine::Field& field, const engine::CellView& cell) {
  using Kind = engine::CellView::Kind;
  switch (cell.kind) {
    case Kind::Null:
      return {};
    case Kind::Text:
      return QString::fromUtf8(cell.text.data(), static_cast<qsizetype>(cell.text.size()));
    case Kind::Integer:
      return QString::number(cell.integer);
    case Kind::Boolean:
      return cell.boolean ? QStringLiteral("Sim") : QStringLiteral("Não");
    case Kind::Number:
      if (field.type() == engine::FieldType::DateTime) {
        const double d = cell.number;
        return QString::fromStdString(engine::date_time::toBrazilian(d, d != engine::date_time::datePart(d)));
      }
      return QString::fromStdString(engine::value_text::formatFloat(cell.number));
  }
  return {};
}

DataSetModel::DataSetModel(const engine::DataSet& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
  for (std::size_t i = 0; i < rows.fieldCount(); ++i)
    if (rows.field(i).visible()) fields_.push_back(i);
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.recordCount());
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
  const engine::Field& f = fieldAt(index.column());
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    // A field with a display handler (a masked code) shows what it gives.
    if (f.onGetText)
      return QString::fromStdString(rows_.displayTextAt(static_cast<std::size_t>(index.row()), f.index()));
    return cellText(f, rows_.cellAt(static_cast<std::size_t>(index.row()), f.index()));
  }
  if (role == Qt::TextAlignmentRole &&
      (f.type() == engine::FieldType::Float || f.type() == engine::FieldType::Integer))
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
    return {};
  return QString::fromStdString(fieldAt(section).label());
}

int DataSetModel::columnOf(std::string_view fieldName) const {
  for (int c = 0; c < columnCount(); ++c)
    if (engine::text::equalsIgnoreCase(fieldAt(c).name(), fieldName)) return c;
  return -1;
}

}  // namespace ped::hostlib_qt
