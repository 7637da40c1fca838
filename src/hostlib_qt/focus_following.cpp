#include "hostlib_qt/focus_following.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "hostlib/controls.h"
#include "hostlib_qt/date_edit_widget.h"
#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {

void followFocusLater(QWidget& window, const hostlib::Control* control) {
  if (control == nullptr) return;
  QPointer<QWidget> guard(&window);
  QTimer::singleShot(0, &window, [guard, name = q(control->name())] {
    if (!guard) return;
    if (auto* w = guard->findChild<QWidget*>(name)) w->setFocus(Qt::OtherFocusReason);
  });
}

bool leavesField(const QObject* field, const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  if (reason == Qt::ActiveWindowFocusReason) return false;
  if (reason != Qt::PopupFocusReason) return true;
  const auto* calendar = dynamic_cast<const CalendarPopup*>(QApplication::activePopupWidget());
  return calendar != nullptr && calendar->parent() != field->parent();
}

}  // namespace ped::hostlib_qt
