#include "hostlib/search_button.h"

namespace ped::hostlib {

bool TBtnPesquisa::click(Dialogs& dialogs, Searches& searches) {
  if (!usable() || !dataSource) return false;
  if (onBeforeSearch) onBeforeSearch(*this);
  if (!Pesquisa::Pesquisar(dialogs, searches, *dataSource, title + "|" + emptyListText)) return false;
  if (onAfterSearch) onAfterSearch(*this);
  return true;
}

}  // namespace ped::hostlib
