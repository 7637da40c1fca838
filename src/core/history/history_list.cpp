#include "core/history/history_list.h"

#include <map>

#include "domain/status_codes.h"
#include "engine/date_time.h"
#include "hostlib/number_format.h"

namespace ped::core {
namespace {

// "code - name", or the code alone when there is no name.
std::string codeAndName(const engine::DataSet& ds, const char* code, const char* name) {
  std::string text = ds.field(code).displayText();
  const std::string n = ds.field(name).asString();
  if (!n.empty()) text += " - " + n;
  return text;
}

struct Entry {
  std::string when, who;
};

// "2 - Confirmado": an item status as the history shows it.
std::string itemStatusText(std::string_view code) {
  namespace status = domain::item_status;
  static const std::map<std::string_view, const char*> names = {
      {status::Pending, "Pendente"},           {status::Confirmed, "Confirmado"},
      {status::Approved, "Aprovado"},          {status::Settled, "Liquidado"},
      {status::Cancelled, "Cancelado"},        {status::SettledByHand, "Liquidado manualmente"},
      {status::PartlyServed, "Parc. Atendido"}};
  const auto found = names.find(code);
  return found == names.end() ? std::string(code) : std::string(code) + " - " + found->second;
}

}  // namespace

hostlib::ListWindow historyList(std::string_view order, engine::DataSet& history,
                                engine::DataSet& positions) {
  hostlib::ListWindow list;
  list.title = "Histórico do Pedido " + std::string(order);
  list.columns = {"Data/Hora",  "Operador",          "Operação",      "Item",          "Produto",
                  "Quantidade", "Situação Anterior", "Situação Nova", "Justificativa", "Vínculo"};
  list.detailTitle = "Posições de estoque da liquidação";
  list.detailColumns = {"Almoxarifado", "Localização", "Lote", "Sub-Lote", "Quantidade"};

  // Each row's key, when and by whom, so a pair can name its other half.
  std::map<std::int64_t, Entry> entries;
  std::map<std::int64_t, std::int64_t> reversedBy;  // settlement -> its exclusion
  for (history.first(); !history.eof(); history.next()) {
    const std::int64_t key = history.field("NRHISTORICO").asInteger();
    entries[key] = {engine::date_time::toBrazilian(history.field("DTOPERACAO").asDateTime(), true),
                    history.field("CDOPERADOR").asString()};
    if (!history.field("NRHISTLIQ").isNull()) reversedBy[history.field("NRHISTLIQ").asInteger()] = key;
  }
  std::map<std::int64_t, std::vector<std::vector<std::string>>> taken;
  for (positions.first(); !positions.eof(); positions.next())
    taken[positions.field("NRHISTORICO").asInteger()].push_back(
        {codeAndName(positions, "CDALMOXARIFE", "DSALMOXARIFE"),
         codeAndName(positions, "CDLOCALESTOQ", "DSLOCALESTOQ"), positions.field("NRLOTEESTQ").asString(),
         positions.field("NRSUBLOTE").asString(),
         hostlib::FormatFloat("###0.000", positions.field("QTMOVIMENTO").asFloat())});

  int settlements = 0, exclusions = 0;
  for (history.first(); !history.eof(); history.next()) {
    const std::int64_t key = history.field("NRHISTORICO").asInteger();
    const bool exclusion = history.field("IDOPERACAO").asString() == "E";
    (exclusion ? exclusions : settlements)++;
    std::string link;
    if (exclusion && !history.field("NRHISTLIQ").isNull()) {
      const auto reversed = entries.find(history.field("NRHISTLIQ").asInteger());
      link = reversed == entries.end()
                 ? "Estorna a liquidação nº " + std::to_string(history.field("NRHISTLIQ").asInteger())
                 : "Estorna a liquidação de " + reversed->second.when + " (" + reversed->second.who + ")";
    } else if (const auto by = reversedBy.find(key); !exclusion && by != reversedBy.end()) {
      const Entry& e = entries[by->second];
      link = "Excluída em " + e.when + " (" + e.who + ")";
    }
    std::string quantity = hostlib::FormatFloat("###0.000", history.field("QTITEMPED").asFloat());
    if (!history.field("SGUNIDADE").asString().empty())
      quantity += " " + history.field("SGUNIDADE").asString();
    list.rows.push_back({entries[key].when, codeAndName(history, "CDOPERADOR", "NMOPERADOR"),
                         exclusion ? "Exclusão da Liquidação" : "Liquidação",
                         history.field("NRITEMPED").asString(),
                         codeAndName(history, "CDARVPROD", "NMPRODUTO"), quantity,
                         itemStatusText(history.field("IDSITANTERIOR").asString()),
                         itemStatusText(history.field("IDSITNOVA").asString()),
                         codeAndName(history, "CDJUSTEXCHIS", "DSJUSTEXCHIS"), link});
    list.details.push_back(exclusion ? std::vector<std::vector<std::string>>{} : taken[key]);
  }
  list.summary = list.rows.empty() ? "Nenhuma liquidação ou exclusão registrada para este pedido."
                                   : std::to_string(settlements) + " liquidação(ões), " +
                                         std::to_string(exclusions) + " exclusão(ões).";
  return list;
}

}  // namespace ped::core
