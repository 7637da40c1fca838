#include "hostlib/searches.h"

#include "domain/list_text.h"

namespace ped::hostlib {

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
      searches.chooseKeys(rows, keyField, title, domain::splitListText(listText));
  if (keys) listText = domain::joinListText(*keys);
}

}  // namespace Pesqlista
}  // namespace ped::hostlib
