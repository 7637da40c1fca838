#include "hostlib/searches.h"

namespace ped::hostlib {

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

namespace Pesquisa {

bool Pesquisar(Dialogs& dialogs, Searches& searches, engine::DataSet& rows, std::string_view titleAndEmpty,
               bool, bool) {
  const std::size_t bar = titleAndEmpty.find('|');
  const std::string_view title = titleAndEmpty.substr(0, bar);
  const std::string_view empty =
      bar == std::string_view::npos ? std::string_view() : titleAndEmpty.substr(bar + 1);
  if (!rows.active() || rows.isEmpty()) {
    dialogs.showError(empty.empty() ? std::string_view("Nenhum registro encontrado.") : empty);
    return false;
  }
  const std::optional<std::size_t> chosen = searches.chooseRow(rows, title);
  if (!chosen || *chosen >= rows.recordCount()) return false;
  rows.setRecNo(*chosen + 1);
  return true;
}

}  // namespace Pesquisa

namespace Pesqlista {

void PesquisaLista(Searches& searches, const engine::DataSet& rows, std::string_view keyField,
                   std::string_view title, bool, std::string& listText) {
  const std::optional<std::vector<std::string>> keys =
      searches.chooseKeys(rows, keyField, title, splitListText(listText));
  if (keys) listText = joinListText(*keys);
}

}  // namespace Pesqlista
}  // namespace ped::hostlib
