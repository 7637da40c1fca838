#pragma once
// Qt's keys and modifiers as the host library's virtual keys and shift state.

#include <Qt>

#include "hostlib/keys.h"

namespace ped::hostlib_qt {

// Letters, F-keys, space, Home and End; 0 for the rest.
inline int virtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 112 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Space:
      return hostlib::kKeySpace;
    case Qt::Key_Home:
      return hostlib::kKeyHome;
    case Qt::Key_End:
      return hostlib::kKeyEnd;
    default:
      return 0;
  }
}

inline unsigned shiftState(Qt::KeyboardModifiers m) {
  unsigned shift = 0;
  if (m & Qt::ShiftModifier) shift |= hostlib::ssShift;
  if (m & Qt::AltModifier) shift |= hostlib::ssAlt;
  if (m & Qt::ControlModifier) shift |= hostlib::ssCtrl;
  return shift;
}

}  // namespace ped::hostlib_qt
