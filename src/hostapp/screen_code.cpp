#include "hostapp/screen_code.h"

#include <cctype>

#include "engine/value_text.h"

namespace ped::hostapp {

std::optional<std::string> normalizeScreenCode(std::string_view typed) {
  std::string code = engine::value_text::trim(typed);
  if (code.empty() || code.size() > 32) return std::nullopt;
  for (char& c : code) {
    const auto u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '_') return std::nullopt;
    c = static_cast<char>(std::toupper(u));
  }
  return code;
}

}  // namespace ped::hostapp
