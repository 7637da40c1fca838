#include "views/allocation_cell_editor.h"

#include <QRegularExpression>
#include <QToolButton>

namespace ped::views {

QValidator::State QuantityValidator::validate(QString& input, int&) const {
  input.replace(QLatin1Char('.'), QLatin1Char(','));
  static const QRegularExpression quantity(QStringLiteral("^[0-9]{0,12}(,[0-9]{0,3})?$"));
  return quantity.match(input).hasMatch() ? Acceptable : Invalid;
}

AllocationCellEditor::AllocationCellEditor(bool quantity, int maxLength, QWidget* parent)
    : QLineEdit(parent), button_(new QToolButton(this)) {
  setFrame(false);
  if (quantity) {
    setValidator(new QuantityValidator(this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  } else if (maxLength > 0) {
    setMaxLength(maxLength);
  }
  button_->setObjectName(QStringLiteral("btnReticencias"));
  button_->setText(QStringLiteral("..."));
  button_->setToolTip(QStringLiteral("Pesquisar"));
  button_->setCursor(Qt::ArrowCursor);
  // A click must leave the focus (and the typed text) in the editor.
  button_->setFocusPolicy(Qt::NoFocus);
  button_->hide();
}

void AllocationCellEditor::setButtonVisible(bool visible) {
  if (button_->isVisibleTo(this) == visible) return;
  button_->setVisible(visible);
  placeButton();
}

void AllocationCellEditor::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  placeButton();
}

void AllocationCellEditor::placeButton() {
  const int side = height();
  button_->setGeometry(width() - side, 0, side, side);
  // The text never runs under the button.
  setTextMargins(0, 0, button_->isVisibleTo(this) ? side : 0, 0);
}

}  // namespace ped::views
