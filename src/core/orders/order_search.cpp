// The base screen's search (Procurar) over the list of the page in use.

#include <algorithm>
#include <array>
#include <string_view>

#include "core/shell/Cli_ped00800.h"
#include "hostlib/searches.h"

namespace ped::core {

namespace {

// What the operator searches by, and the key that finds the chosen row again.
struct SearchedList {
  engine::DataSet& rows;
  std::string_view key;
  std::array<std::string_view, 4> shown;
  std::string_view title;
};

}  // namespace

void TfrmLiquidaItem::sbtProcurarClick() {
  const bool items = pgcPadrao.isActive(tshItemPedido);
  if (!items && !pgcPadrao.isActive(tshPadrao)) return;
  const SearchedList list = items ? SearchedList{cdsItemPedido,
                                                 "NRITEMPED",
                                                 {"NRITEMPED", "CDARVPROD", "NMPRODUTO"},
                                                 tshItemPedido.caption()}
                                  : SearchedList{cdsPedido,
                                                 "NRPEDIDO",
                                                 {"NRPEDIDO", "NMFANTCLIE", "DTPEDIDO", "DTENTPED"},
                                                 tshPadrao.caption()};
  if (!list.rows.active()) return;
  // The search shows a copy (sharing the rows) with only the searched fields,
  // so the list itself neither moves nor changes until a row is chosen.
  engine::DataSet choices("cdsProcurar");
  for (std::size_t i = 0; i < list.rows.fieldCount(); ++i) {
    const engine::Field& source = list.rows.field(i);
    engine::FieldDef def = source.definition();
    def.visible = std::find(list.shown.begin(), list.shown.end(), def.name) != list.shown.end();
    choices.addField(def).onGetText = source.onGetText;
  }
  choices.copyFrom(list.rows);
  if (!hostlib::Pesquisa::Pesquisar(dialogs, searches, choices, list.title)) return;
  list.rows.locate(list.key, {choices.field(list.key).value()}, {.caseInsensitive = true});
}

void TfrmLiquidaItem::mnuProcurarClick() {
  if (sbtProcurar.usable()) sbtProcurarClick();
}

}  // namespace ped::core
