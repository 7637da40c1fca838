#include "hostlib_qt/focus_following.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "hostlib/controls.h"
#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {

void followFocusLater(QWidget& window, const hostlib::Control* control) {
  if (control == nullptr) return;
  QPointer<QWidget> guard(&window);
  QTimer::singleShot(0, &window, [guard, name = q(control->name())] {
    if (!guard) return;
    QWidget* w = guard->findChild<QWidget*>(name);
    if (w == nullptr) return;
    // A box that just closed may leave no window active; a window behind a
    // modal one stays where it is.
    QWidget* top = w->window();
    QWidget* modal = QApplication::activeModalWidget();
    if (!top->isActiveWindow() && (modal == nullptr || modal == top)) top->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
  });
}

bool leavesField(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace ped::hostlib_qt
