#pragma once
// The search (one row) and pick-list (check many rows) windows. Keyboard
// first: typing narrows the rows, the arrows move, Space checks a row of the
// pick list, Enter chooses, Esc leaves.

#include <QDialog>
#include <QSortFilterProxyModel>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/data_set.h"
#include "hostlib_qt/data_set_model.h"

class QLineEdit;
class QTableView;

namespace ped::hostlib_qt {

class RowsDialog : public QDialog {
 public:
  RowsDialog(QWidget* parent, const engine::DataSet& rows, const QString& title, bool checkable);

  QLineEdit* filterEdit() const { return filter_; }
  QTableView* table() const { return table_; }
  // Source row (view position in the data set) of the row the cursor is on.
  std::optional<int> currentSourceRow() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  virtual void toggleCurrent() {}
  DataSetModel model_;
  QSortFilterProxyModel proxy_;

 private:
  QLineEdit* filter_;
  QTableView* table_;
};

class SearchDialog : public RowsDialog {
 public:
  SearchDialog(QWidget* parent, const engine::DataSet& rows, const QString& title);
  // The chosen view position, once the dialog was accepted.
  std::optional<std::size_t> chosen() const { return chosen_; }
  void accept() override;

 private:
  std::optional<std::size_t> chosen_;
};

class PickListDialog : public RowsDialog {
 public:
  PickListDialog(QWidget* parent, const engine::DataSet& rows, std::string_view keyField,
                 const QString& title, const std::vector<std::string>& checked);
  bool isChecked(int sourceRow) const { return checked_.count(sourceRow) > 0; }
  void setChecked(int sourceRow, bool on);
  // The keys of the checked rows, in the data set's order.
  std::vector<std::string> checkedKeys() const;

 protected:
  void toggleCurrent() override;

 private:
  std::set<int> checked_;
  std::vector<std::string> keys_;  // key of each source row
};

}  // namespace ped::hostlib_qt
