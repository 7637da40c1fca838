#pragma once
// How a window keeps the keyboard focus and the core's focus together: the
// widgets carry their controls' names, the core says where the focus goes,
// and a field is left only when the operator really moves away from it.

class QEvent;
class QObject;
class QWidget;

namespace ped::hostlib {
class Control;
}

namespace ped::hostlib_qt {

// Gives the focus to the widget of `window` named like `control`, once the
// running event is done (the focus may move again before it ends). Nothing
// for a null control or one without a widget.
void followFocusLater(QWidget& window, const hostlib::Control* control);

// Whether `event` is the focus leaving a field for good: a FocusOut that
// goes neither to another window nor to a pop-up (a menu, the field's own
// calendar; another date's calendar takes the focus to its field first).
bool leavesField(const QEvent* event);

}  // namespace ped::hostlib_qt
