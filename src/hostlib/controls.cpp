#include "hostlib/controls.h"

namespace ped::hostlib {

Control* Control::find(std::string_view name) {
  if (name_ == name) return this;
  for (const auto& c : children_)
    if (Control* found = c->find(name)) return found;
  return nullptr;
}

bool Form::setFocus(Control& c) {
  for (Control* p = &c; p; p = p->parent())
    if (p == this) {
      if (!c.usable()) return false;
      Control* from = focused_;
      focused_ = &c;
      if (from != &c) focusMoved(from, c);
      if (onFocusChanged) onFocusChanged(&c);
      return true;
    }
  return false;
}

Control& PageControl::addPage(std::string name, std::string caption) {
  Control& page = add<Control>(std::move(name));
  page.setCaption(std::move(caption));
  if (!active_) active_ = &page;
  return page;
}

void PageControl::setActivePage(Control& page) {
  if (page.parent() != this || active_ == &page) return;
  active_ = &page;
  notifyChanged();
}

bool PageControl::choosePage(Control& page) {
  if (page.parent() != this || active_ == &page || !page.usable()) return false;
  setActivePage(page);
  if (onChange) onChange();
  return true;
}

}  // namespace ped::hostlib
