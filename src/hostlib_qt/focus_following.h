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

// Whether `event` is the focus leaving `field` for good: a FocusOut that
// does not go to another window nor to a pop-up of the field's own (its menu
// or its calendar). Another date field's calendar does take the focus away.
bool leavesField(const QObject* field, const QEvent* event);

}  // namespace ped::hostlib_qt
