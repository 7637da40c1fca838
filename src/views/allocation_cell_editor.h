#pragma once
// The editor of one allocation cell: a line edit that may carry the "..."
// button of a key cell (the pick list), and that takes a quantity as
// operators write it (digits, one decimal comma, at most three decimals).

#include <QLineEdit>
#include <QValidator>

class QToolButton;

namespace ped::views {

// A quantity as typed: digits, one comma, up to three decimals. A typed
// point (the numeric keypad's in most layouts) becomes the comma.
class QuantityValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

class AllocationCellEditor : public QLineEdit {
 public:
  // `maxLength` < 1: no limit. The button starts hidden.
  AllocationCellEditor(bool quantity, int maxLength, QWidget* parent);

  QToolButton* button() const { return button_; }
  void setButtonVisible(bool visible);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void placeButton();
  QToolButton* button_;
};

}  // namespace ped::views
