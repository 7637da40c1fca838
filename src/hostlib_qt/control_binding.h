#pragma once
// Binds a Qt widget or action to the Control that holds its state: the
// widget takes the control's name as its objectName and shows its state now
// and after every change (the binding listens to the control). The binding
// ends with the widget.

#include <QAction>
#include <QWidget>

#include "hostlib/controls.h"

namespace ped::hostlib_qt {

// Widgets: enabled, visible, a label's font colour, an edit's background
// colour, and the caption or text where the widget has one (buttons, labels,
// group boxes take the caption; line edits the text, masked ones their value
// laid into the mask).
void bind(QWidget& widget, hostlib::Control& control);
// Menu entries and toolbar actions: enabled, visible, caption, and checked
// for checkable ones.
void bind(QAction& action, hostlib::Control& control);

}  // namespace ped::hostlib_qt
