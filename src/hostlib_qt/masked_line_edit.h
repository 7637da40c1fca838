#pragma once
// A line edit that follows one of the host's edit masks (hostlib/edit_mask.h):
// typed characters land only on positions that take them, converted to the
// position's case; literals stand in place; Backspace and Delete blank a
// position (or the selection, which typing replaces too); focus puts the
// cursor on the first blank position.

#include <QLineEdit>

#include "hostlib/edit_mask.h"

namespace ped::hostlib_qt {

class MaskedLineEdit : public QLineEdit {
 public:
  explicit MaskedLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
  void setEditMask(std::string_view mask);
  const hostlib::EditMask& editMask() const { return mask_; }

  // The field's value: the typed characters (or, when the mask keeps
  // literals, the whole text).
  std::string value() const;
  void setValue(std::string_view value);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  int nextInput(int from) const;  // first input position at or after `from`, -1 when none
  int previousInput(int before) const;
  void putAt(int position, char32_t c);
  void blankSelection();
  hostlib::EditMask mask_;
};

}  // namespace ped::hostlib_qt
