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
      focused_ = &c;
      return true;
    }
  return false;
}

}  // namespace ped::hostlib
