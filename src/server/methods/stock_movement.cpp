#include "server/methods/stock_movement.h"

#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "domain/code_width.h"
#include "domain/layouts.h"
#include "domain/quantities.h"
#include "domain/status_rules.h"
#include "engine/text.h"
#include "engine/value_text.h"
#include "server/methods/order_queries.h"
#include "server/methods/packets.h"
#include "server/methods/service_error.h"
#include "server/methods/stock_filter_text.h"

namespace ped::server {
namespace {

namespace date_time = engine::date_time;

struct Position {
  std::string product, warehouse, location, lot, subLot;
  auto key() const { return std::tie(product, warehouse, location, lot, subLot); }
  bool operator<(const Position& o) const { return key() < o.key(); }
  sql::Params params(const std::string& branch) const {
    return {{"F", branch},       {"P", product}, {"ALMOX", warehouse},
            {"LOCAL", location}, {"LOTE", lot},  {"SUBLOTE", subLot}};
  }
  std::string describe() const {
    std::string d = "produto " + product;
    if (!warehouse.empty()) d += ", almoxarifado " + warehouse;
    if (!location.empty()) d += ", localização " + location;
    if (!lot.empty()) d += ", lote " + lot;
    if (!subLot.empty()) d += "/" + subLot;
    return d;
  }
};

constexpr double kStagingLifetimeDays = 10.0 / (24 * 60);  // ten minutes

constexpr const char* kPositionWhere =
    "CDFILIAL = :F AND CDPRODUTO = :P AND CDALMOXARIFE = :ALMOX AND CDLOCALESTOQ = :LOCAL"
    " AND NRLOTEESTQ = :LOTE AND NRSUBLOTE = :SUBLOTE";

struct ItemKey {
  std::string order, item;
  bool operator<(const ItemKey& o) const { return std::tie(order, item) < std::tie(o.order, o.item); }
};

struct OpenItem {
  std::string product;
  double ordered = 0;
  std::int64_t version = 0;
};

// A lot is expired when its validity ended before today.
bool lotExpired(sql::Connection& db, const std::string& product, const std::string& lot, double today) {
  if (lot.empty()) return false;
  const sql::Result r = db.query("SELECT DTVALILOTE FROM LOTE WHERE CDPRODUTO = :P AND NRLOTEESTQ = :LOTE",
                                 {{"P", product}, {"LOTE", lot}});
  return r.rowCount() == 1 && !r.isNull(0, "DTVALILOTE") && r.number(0, "DTVALILOTE") < today;
}

std::string itemName(const ItemKey& k) { return "item " + k.item + " do pedido " + k.order; }

using OpenItems = std::map<ItemKey, OpenItem>;

// The items to settle: the open items of the orders that the session is
// shown, as a settlement of the whole order takes them, or the listed items.
OpenItems selectItems(sql::Connection& db, const Session& s, const std::string& branch,
                      const StockSelection& selection, const std::optional<std::string>& tiedSeller) {
  OpenItems items;
  for (const std::string& rawOrder : selection.orders) {
    const std::string order = domain::adjustCode(rawOrder, domain::kOrderNumberWidth);
    const sql::Result o =
        db.query("SELECT CDVENDEDOR, NRVERSAO FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                 {{"F", branch}, {"N", order}});
    if (o.rowCount() == 0 || (tiedSeller && *tiedSeller != o.text(0, "CDVENDEDOR")))
      throw ServiceError("Pedido " + order + " não encontrado na filial " + branch + ".");
    const sql::Result its = db.query(
        "SELECT NRITEMPED, IDSITITEMPED, CDPRODUTO, QTITEMPED FROM ITEMPEDIDO WHERE CDFILIAL = :F AND "
        "NRPEDIDO = :N",
        {{"F", branch}, {"N", order}});
    std::set<std::string> listed;
    if (selection.items)
      for (const std::string& i : *selection.items) listed.insert(engine::value_text::trim(i));
    const std::set<std::string> shown =
        selection.items ? std::set<std::string>{} : itemsShown(db, s, branch, order);
    for (std::size_t r = 0; r < its.rowCount(); ++r) {
      const std::string item(its.text(r, "NRITEMPED"));
      if (selection.items ? !listed.erase(item) : !shown.count(item)) continue;
      const bool open = domain::isOpenItem(its.text(r, "IDSITITEMPED"));
      if (!open && selection.items)
        throw ServiceError("O " + itemName({order, item}) + " não está em aberto. Atualize os dados.");
      if (open)
        items[{order, item}] = {std::string(its.text(r, "CDPRODUTO")), its.number(r, "QTITEMPED"),
                                o.integer(0, "NRVERSAO")};
    }
    if (!listed.empty()) throw ServiceError("O " + itemName({order, *listed.begin()}) + " não existe.");
  }
  return items;
}

// One allocation row of a selected item: where its quantity leaves stock.
struct Row {
  ItemKey item;
  Position at;
  double quantity;
};

// The allocation rows of the selected items, each checked, and every item's
// rows adding up to its ordered quantity.
std::vector<Row> allocationRows(sql::Connection& db, const std::string& branch,
                                std::string_view allocationPacket, const OpenItems& items, double today) {
  const ClientPacket rows(
      allocationPacket,
      domain::layouts::fieldsOf(domain::layouts::stockAllocation(),
                                {"CDFILIAL", "CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ",
                                 "NRSUBLOTE", "QTEXP", "NRPEDIDO", "NRITEMPED"}),
      "estoque");
  std::vector<Row> chosen;
  std::map<ItemKey, double> totals;
  for (std::size_t r = 0; r < rows.rowCount(); ++r) {
    if (engine::value_text::trim(rows.text(r, "CDFILIAL")) != branch) continue;
    const ItemKey key{domain::adjustCode(rows.text(r, "NRPEDIDO"), domain::kOrderNumberWidth),
                      engine::value_text::trim(rows.text(r, "NRITEMPED"))};
    const auto it = items.find(key);
    if (it == items.end()) continue;  // not selected, or not open
    const Position at{rows.text(r, "CDPRODUTO"), rows.text(r, "CDALMOXARIFE"), rows.text(r, "CDLOCALESTOQ"),
                      rows.text(r, "NRLOTEESTQ"), rows.text(r, "NRSUBLOTE")};
    const double q = domain::roundQuantity(rows.number(r, "QTEXP"));
    if (!(q > 0))
      throw ServiceError("A quantidade a liquidar do " + itemName(key) + " deve ser maior que 0.");
    if (at.product != it->second.product)
      throw ServiceError("O produto do estoque informado para o " + itemName(key) + " não é o do item.");
    if (lotExpired(db, at.product, at.lot, today))
      throw ServiceError("O lote " + at.lot + " do produto " + at.product + " está com a validade vencida.");
    chosen.push_back({key, at, q});
    totals[key] += q;
  }
  for (const auto& [key, item] : items)
    if (!domain::sameQuantity(totals[key], item.ordered))
      throw ServiceError("A quantidade total a liquidar do " + itemName(key) +
                         " deve ser igual à quantidade pedida.");
  return chosen;
}

// Each position: what this movement takes against what it holds. The
// positions it would drive below zero, as the screen lists them; quantities
// held for items outside this movement stay theirs (a refusal).
sql::Result irregularPositions(sql::Connection& db, const std::string& branch, const std::vector<Row>& chosen,
                               const OpenItems& items) {
  std::map<Position, double> taken;
  for (const Row& r : chosen) taken[r.at] += r.quantity;
  sql::Result irregular{domain::layouts::irregularStock(),
                        engine::emptyTable(domain::layouts::irregularStock())};
  for (const auto& [at, quantity] : taken) {
    const sql::Result pos =
        db.query(std::string("SELECT QTESTOQUE FROM POSESTOQUE WHERE ") + kPositionWhere, at.params(branch));
    if (pos.rowCount() == 0) throw ServiceError("Posição de estoque não cadastrada: " + at.describe() + ".");
    const double stock = pos.number(0, "QTESTOQUE");
    if (domain::lessQuantity(stock, quantity)) {
      const sql::Result product =
          db.query("SELECT CDARVPROD, NMPRODUTO FROM PRODUTO WHERE CDPRODUTO = :P", {{"P", at.product}});
      const engine::RowId r = irregular.table.addRow();
      const engine::Value cells[] = {at.product,
                                     product.text(0, "CDARVPROD"),
                                     product.text(0, "NMPRODUTO"),
                                     at.warehouse,
                                     at.location,
                                     at.lot,
                                     at.subLot,
                                     stock,
                                     -quantity,
                                     domain::roundQuantity(stock - quantity)};
      for (std::size_t c = 0; c < std::size(cells); ++c)
        if (!(cells[c].isText() && cells[c].text().empty()))
          irregular.table.mutableColumn(c).set(r, cells[c]);
      continue;
    }
    const sql::Result held = db.query(
        std::string("SELECT NRPEDIDO, NRITEMPED, QTRESERVADA FROM RESERVAITEM WHERE ") + kPositionWhere,
        at.params(branch));
    double heldByOthers = 0;
    for (std::size_t r = 0; r < held.rowCount(); ++r)
      if (!items.count({std::string(held.text(r, "NRPEDIDO")), std::string(held.text(r, "NRITEMPED"))}))
        heldByOthers += held.number(r, "QTRESERVADA");
    if (domain::moreQuantity(quantity, stock - heldByOthers))
      throw ServiceError("A quantidade a liquidar não está disponível: " + at.describe() + ".");
  }
  return irregular;
}

// The session's staged movement of these items, replacing what it had.
void stage(sql::Connection& db, const std::string& sessionKey, const std::string& branch,
           const std::vector<Row>& chosen, const OpenItems& items, const std::string& description,
           const std::string& now) {
  sql::Transaction tx(db, sql::TransactionMode::Write);
  for (const auto& [key, item] : items)
    db.execute(
        "DELETE FROM MOVESTAGIO WHERE CDSESSAO = :K AND CDFILIAL = :F AND NRPEDIDO = :N AND NRITEMPED = :I",
        {{"K", sessionKey}, {"F", branch}, {"N", key.order}, {"I", key.item}});
  for (const Row& r : chosen) {
    sql::Params p = r.at.params(branch);
    p.insert(p.end(), {{"K", sessionKey},
                       {"N", r.item.order},
                       {"I", r.item.item},
                       {"Q", r.quantity},
                       {"V", items.at(r.item).version},
                       {"D", description.empty() ? std::string("Liquidação Manual") : description},
                       {"AGORA", now}});
    db.execute(
        "INSERT INTO MOVESTAGIO (CDSESSAO, CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, CDALMOXARIFE,"
        " CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, QTEXP, NRVERSAOPED, DSMOVIMENTO, DTCRIACAO)"
        " VALUES (:K, :F, :N, :I, :P, :ALMOX, :LOCAL, :LOTE, :SUBLOTE, :Q, :V, :D, :AGORA)",
        p);
  }
  tx.commit();
}

}  // namespace

std::string StockMovement::AtualizaEstoque(sql::Connection& db, const Session& s, std::string_view branchArg,
                                           std::string_view operatorCode, std::string_view descriptionArg,
                                           std::string_view allocationPacket,
                                           std::string_view filterText) const {
  requireSessionOperator(s, operatorCode);
  const std::string branch = engine::value_text::trim(branchArg);
  // Cut to the column's 60 characters, never inside one.
  const std::string trimmedDescription = engine::value_text::trim(descriptionArg);
  const std::string description(engine::text::truncate(trimmedDescription, 60));
  const sql::Result param =
      db.query("SELECT IDEVOLESTLIQMAN FROM PARAMPEDIDO WHERE CDFILIAL = :F", {{"F", branch}});
  if (param.rowCount() == 0) throw ServiceError("Filial " + branch + " não cadastrada.");
  if (param.text(0, "IDEVOLESTLIQMAN") != "S")
    throw ServiceError("A filial " + branch + " não movimenta estoque na liquidação manual.");

  const StockSelection selection = parseStockFilter(filterText);
  const OpenItems items =
      selectItems(db, s, branch, selection, sellerRestriction(db, branch, s.operatorCode));
  const std::vector<Row> chosen = allocationRows(db, branch, allocationPacket, items, clock_.today());
  const sql::Result irregular = irregularPositions(db, branch, chosen, items);
  if (irregular.rowCount() > 0) return toPacketArray({std::nullopt, toPacket(irregular)});
  stage(db, s.key, branch, chosen, items, description, date_time::toIso(clock_.now()));
  return toPacketArray({std::nullopt, std::nullopt});
}

void StockMovement::applyStaged(sql::Connection& db, const Session& s, const std::string& branch,
                                const std::string& order, const std::string& item, std::int64_t orderVersion,
                                double ordered, std::int64_t history) const {
  const sql::Params itemKey = {{"K", s.key}, {"F", branch}, {"N", order}, {"I", item}};
  // A screen stages right before it settles: a staging older than that was
  // abandoned, and is never applied by a later settlement.
  sql::Params fresh = itemKey;
  fresh.emplace_back("DESDE", date_time::toIso(clock_.now() - kStagingLifetimeDays));
  const sql::Result staged = db.query(
      "SELECT CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, QTEXP, NRVERSAOPED, DSMOVIMENTO"
      " FROM MOVESTAGIO WHERE CDSESSAO = :K AND CDFILIAL = :F AND NRPEDIDO = :N AND NRITEMPED = :I"
      " AND DTCRIACAO >= :DESDE",
      fresh);
  double total = 0;
  for (std::size_t r = 0; r < staged.rowCount(); ++r) {
    if (staged.integer(r, "NRVERSAOPED") != orderVersion)
      throw ServiceError("Esta operação não pode ser realizada. Atualize os dados.");
    total += staged.number(r, "QTEXP");
  }
  if (staged.rowCount() == 0 || !domain::sameQuantity(total, ordered))
    throw ServiceError("Movimento de estoque do item " + item + " ausente. Confirme novamente.");
  const double today = clock_.today();
  const std::string now = date_time::toIso(clock_.now());
  for (std::size_t r = 0; r < staged.rowCount(); ++r) {
    const Position at{std::string(staged.text(r, "CDPRODUTO")), std::string(staged.text(r, "CDALMOXARIFE")),
                      std::string(staged.text(r, "CDLOCALESTOQ")), std::string(staged.text(r, "NRLOTEESTQ")),
                      std::string(staged.text(r, "NRSUBLOTE"))};
    const double q = staged.number(r, "QTEXP");
    if (lotExpired(db, at.product, at.lot, today))
      throw ServiceError("O lote " + at.lot + " do produto " + at.product + " está vencido.");
    sql::Params p = at.params(branch);
    const sql::Result pos =
        db.query(std::string("SELECT QTESTOQUE FROM POSESTOQUE WHERE ") + kPositionWhere, p);
    const double stock = pos.rowCount() ? pos.number(0, "QTESTOQUE") : 0;
    double heldByOthers = 0;
    const sql::Result held = db.query(
        std::string("SELECT NRPEDIDO, NRITEMPED, QTRESERVADA FROM RESERVAITEM WHERE ") + kPositionWhere, p);
    for (std::size_t h = 0; h < held.rowCount(); ++h)
      if (held.text(h, "NRPEDIDO") != order || held.text(h, "NRITEMPED") != item)
        heldByOthers += held.number(h, "QTRESERVADA");
    if (pos.rowCount() == 0 || domain::moreQuantity(q, stock - heldByOthers))
      throw ServiceError("Estoque insuficiente: " + at.describe() + ".");
    // The old value in the WHERE: a concurrent change in between moves nothing.
    p.emplace_back("NOVO", std::max(0.0, domain::roundQuantity(stock - q)));
    p.emplace_back("ANTES", stock);
    if (db.execute(std::string("UPDATE POSESTOQUE SET QTESTOQUE = :NOVO WHERE ") + kPositionWhere +
                       " AND QTESTOQUE = :ANTES",
                   p) != 1)
      throw ServiceError("Estoque alterado por outro usuário. Confirme novamente.");
    sql::Params m = at.params(branch);
    m.insert(m.end(), {{"Q", -q},
                       {"D", staged.text(r, "DSMOVIMENTO")},
                       {"OP", s.operatorCode},
                       {"AGORA", now},
                       {"N", order},
                       {"I", item},
                       {"H", history}});
    db.execute(
        "INSERT INTO MOVESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
        " QTMOVIMENTO, DSMOVIMENTO, CDOPERADOR, DTMOVIMENTO, NRPEDIDO, NRITEMPED, NRHISTORICO)"
        " VALUES (:F, :P, :ALMOX, :LOCAL, :LOTE, :SUBLOTE, :Q, :D, :OP, :AGORA, :N, :I, :H)",
        m);
  }
  db.execute(
      "DELETE FROM MOVESTAGIO WHERE CDSESSAO = :K AND CDFILIAL = :F AND NRPEDIDO = :N AND NRITEMPED = :I",
      itemKey);
}

}  // namespace ped::server
