#include "hostlib/vantora.h"

#include "hostlib/edit_mask.h"

namespace ped::hostlib {

int PictureObject::GetTtNiveis() const {
  const EditMask mask(mask_);
  int levels = 0;
  bool inGroup = false;
  for (std::size_t i = 0; i < mask.positions(); ++i) {
    const bool input = !mask.isLiteral(i);
    if (input && !inGroup) ++levels;
    inGroup = input;
  }
  return levels;
}

}  // namespace ped::hostlib
