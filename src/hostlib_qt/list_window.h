#pragma once
// The host's list window: a read-only table under a title, a closing line
// beneath it and one OK button (Esc closes it too). Long texts wrap in their
// cells, so the operator reads every word without scrolling sideways. A list
// with details has a second table beneath, showing the current row's.

#include <QDialog>

#include "hostlib/dialogs.h"

class QLabel;
class QTableWidget;

namespace ped::hostlib_qt {

class ListWindowDialog : public QDialog {
 public:
  ListWindowDialog(QWidget* parent, const hostlib::ListWindow& list);

  QTableWidget* table() const { return table_; }
  QLabel* summary() const { return summary_; }
  // The details' table; nullptr when the list has none.
  QTableWidget* detail() const { return detail_; }

 protected:
  // The rows take their height once the columns have their final widths.
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void showDetailsOf(int row);
  // The size wanted, or less where the screen is smaller.
  void fitOnScreen(QSize wanted);

  QTableWidget* table_;
  QLabel* summary_;
  QTableWidget* detail_ = nullptr;
  std::vector<std::vector<std::vector<std::string>>> details_;
};

}  // namespace ped::hostlib_qt
