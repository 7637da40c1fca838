#include "hostlib/consiste.h"

#include "engine/text.h"

namespace ped::hostlib::consiste {

void MensErro(Dialogs& dialogs, std::string_view text, bool abort) {
  dialogs.showError(text);
  if (abort) throw Abort();
}

bool EmptyString(std::string_view text) {
  // Blanks, mask blanks and the literals masks insert ("  /  /    ") hold no
  // value; any letter or digit does.
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
  }
  return true;
}

std::string PictPess(std::string_view personType) {
  if (personType == "F" || personType == "f") return "999.999.999-99;0;_";
  if (personType == "J" || personType == "j") return "99.999.999/9999-99;0;_";
  return {};
}

int IndiceCol(const Grid& grid, std::string_view fieldName) {
  for (std::size_t i = 0; i < grid.columns.size(); ++i)
    if (engine::text::equalsIgnoreCase(grid.columns[i].fieldName, fieldName)) return static_cast<int>(i);
  return -1;
}

void SetChildEnabled(Control& container, bool enabled) {
  for (const auto& child : container.children()) child->setEnabled(enabled);
}

}  // namespace ped::hostlib::consiste
