#include "hostlib_qt/control_binding.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>

#include "hostlib_qt/masked_line_edit.h"
#include "hostlib_qt/qt_conversions.h"

namespace ped::hostlib_qt {
namespace {

// An edit's background is the control's colour while the operator can use
// it; a disabled edit looks disabled, as the style draws it.
void showBackground(QLineEdit& e, const hostlib::Control& c) {
  QPalette palette = e.palette();
  for (auto group : {QPalette::Active, QPalette::Inactive})
    palette.setColor(group, QPalette::Base, rgbColour(c.color()));
  e.setPalette(palette);
}

void apply(QWidget& w, const hostlib::Control& c) {
  w.setEnabled(c.enabled());
  // A child shown while its parent is hidden (a page not showing) shows with
  // the parent; skipping it would leave it hidden for good. Only a window is
  // not popped up by its control.
  if (!w.isWindow() || w.parentWidget() == nullptr || w.parentWidget()->isVisible() || !c.visible())
    w.setVisible(c.visible());
  if (auto* b = qobject_cast<QAbstractButton*>(&w)) {
    b->setText(q(c.caption()));
    if (b->isCheckable()) b->setChecked(c.checked());
  } else if (auto* l = qobject_cast<QLabel*>(&w)) {
    l->setText(q(c.caption()));
    QPalette palette = l->palette();
    palette.setColor(QPalette::WindowText, rgbColour(c.fontColor()));
    l->setPalette(palette);
  } else if (auto* g = qobject_cast<QGroupBox*>(&w)) {
    g->setTitle(q(c.caption()));
  } else if (auto* m = dynamic_cast<MaskedLineEdit*>(&w)) {
    if (m->value() != c.text()) m->setValue(c.text());
    showBackground(*m, c);
  } else if (auto* e = qobject_cast<QLineEdit*>(&w)) {
    if (e->text() != q(c.text())) e->setText(q(c.text()));
    showBackground(*e, c);
  }
}

}  // namespace

void bind(QWidget& widget, hostlib::Control& control) {
  widget.setObjectName(q(control.name()));
  apply(widget, control);
  QPointer<QWidget> guard(&widget);
  control.listen([guard](hostlib::Control& c) {
    if (guard) apply(*guard, c);
  });
}

void bind(QAction& action, hostlib::Control& control) {
  action.setObjectName(q(control.name()));
  auto show = [](QAction& a, const hostlib::Control& c) {
    a.setEnabled(c.enabled());
    a.setVisible(c.visible());
    a.setText(q(c.caption()));
    if (a.isCheckable()) a.setChecked(c.checked());
  };
  show(action, control);
  QPointer<QAction> guard(&action);
  control.listen([guard, show](hostlib::Control& c) {
    if (guard) show(*guard, c);
  });
}

}  // namespace ped::hostlib_qt
