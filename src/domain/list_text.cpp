#include "domain/list_text.h"

namespace ped::domain {

std::vector<std::string> splitListText(std::string_view listText) {
  std::vector<std::string> keys;
  while (!listText.empty()) {
    const std::size_t sep = listText.find(kListSeparator);
    const std::string_view key = listText.substr(0, sep);
    if (!key.empty()) keys.emplace_back(key);
    if (sep == std::string_view::npos) break;
    listText.remove_prefix(sep + 1);
  }
  return keys;
}

std::string joinListText(const std::vector<std::string>& keys) {
  std::string out;
  for (const std::string& k : keys) {
    if (k.empty()) continue;
    if (!out.empty()) out += kListSeparator;
    out += k;
  }
  return out;
}

}  // namespace ped::domain
