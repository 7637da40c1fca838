#include "server/methods/order_changes.h"

#include <map>
#include <set>

#include "domain/code_width.h"
#include "domain/layouts.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/text.h"
#include "engine/value_text.h"
#include "server/methods/order_queries.h"
#include "server/methods/packets.h"
#include "server/methods/service_error.h"
#include "sql/text_list.h"

namespace ped::server {
namespace {

namespace date_time = engine::date_time;

const char* const kBlocked = "Operação bloqueada. Pedido em alteração por outro usuário.";
const char* const kStale = "Esta operação não pode ser realizada. Atualize os dados.";

std::string requireJustification(sql::Connection& db, std::string_view code) {
  const std::string trimmed = engine::value_text::trim(code);
  if (trimmed.empty()) throw ServiceError("Justificativa deve ser informada.");
  const std::string adjusted = domain::adjustCode(trimmed, domain::kJustificationCodeWidth);
  if (db.query("SELECT CDJUSTEXCHIS FROM JUSTEXCHIS WHERE CDJUSTEXCHIS = :J", {{"J", adjusted}}).rowCount() ==
      0)
    throw ServiceError("Justificativa de exclusão do histórico não cadastrada.");
  return adjusted;
}

domain::layouts::Layout orderFields() {
  return domain::layouts::fieldsOf(domain::layouts::orders(),
                                   {"CDFILIAL", "NRPEDIDO", "IDSITPEDIDO", "IDCHECK"});
}

domain::layouts::Layout itemFields() {
  return domain::layouts::fieldsOf(domain::layouts::orderItems(),
                                   {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "IDSITITEMPED", "IDCHECK"});
}

bool lockFailure(const sql::SqlError& e) {
  return e.kind() == sql::SqlError::Kind::Busy || e.kind() == sql::SqlError::Kind::Conflict;
}

struct ErrorRows {
  engine::Table table = engine::emptyTable(domain::layouts::orderErrors());
  void add(const std::string& branch, const std::string& order, const std::string& status,
           const OrderChanges::Outcome& outcome) {
    const engine::RowId r = table.addRow();
    table.mutableColumn(0).set(r, branch);
    table.mutableColumn(1).set(r, order);
    if (!status.empty()) table.mutableColumn(2).set(r, status);
    table.mutableColumn(3).set(r, std::string(engine::text::truncate(outcome.error, 70)));
    table.mutableColumn(4).set(r, std::string(engine::text::truncate(outcome.error, 500)));
    table.mutableColumn(5).set(r, outcome.alreadyDone ? "S" : "N");
  }
  std::optional<std::string> packet() const {
    if (table.physicalRows() == 0) return std::nullopt;
    return toPacket(sql::Result{domain::layouts::orderErrors(), table});
  }
};

std::string currentStatus(sql::Connection& db, const std::string& branch, const std::string& order) {
  const sql::Result r = db.query("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                                 {{"F", branch}, {"N", order}});
  return r.rowCount() ? std::string(r.text(0, "IDSITPEDIDO")) : std::string();
}

// The orders as they now stand, in order-number order: one statement per
// branch, the numbers in one parameter.
std::string ordersNow(sql::Connection& db, const std::map<std::string, std::vector<std::string>>& byBranch) {
  sql::Result out{domain::layouts::orders(), engine::emptyTable(domain::layouts::orders())};
  for (const auto& [branch, numbers] : byBranch) {
    const sql::Result part =
        db.query("SELECT " + initialMarkColumn("P.IDSITPEDIDO", domain::kMarkableOrderStatuses) +
                     ", P.IDSITPEDIDO, P.NRPEDIDO, P.CDCLIENTE, C.NMFANTCLIE, P.DTENTPED, P.DTPEDIDO,"
                     " P.CDFILIAL, P.CDVENDEDOR FROM PEDIDO P JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE"
                     " WHERE P.CDFILIAL = :F AND " +
                     sql::inTextList(db.dialect(), "P.NRPEDIDO", "NS") + " ORDER BY P.NRPEDIDO",
                 {{"F", branch}, {"NS", sql::textList(db.dialect(), numbers)}}, domain::layouts::orders());
    if (byBranch.size() == 1) return toPacket(part);
    for (std::size_t r = 0; r < part.rowCount(); ++r) {
      const engine::RowId dst = out.table.addRow();
      for (std::size_t c = 0; c < out.layout.size(); ++c)
        out.table.mutableColumn(c).set(dst,
                                       part.table.column(c).cell(static_cast<engine::RowId>(r)).toValue());
    }
  }
  return toPacket(out);
}

// The errors packet kept by a change, back into an answer's element.
std::optional<std::string> keptErrors(const std::string& kept) {
  if (kept == "null") return std::nullopt;
  return kept;
}

// The latest history row of the order's item `item` (any item when empty).
sql::Result latestHistory(sql::Connection& db, const std::string& branch, const std::string& order,
                          const std::string& item) {
  sql::Params p = {{"F", branch}, {"N", order}};
  if (!item.empty()) p.emplace_back("I", item);
  static const domain::layouts::Layout layout = {{"IDOPERACAO", engine::FieldType::Text, 1},
                                                 {"CDOPERADOR", engine::FieldType::Text, 12},
                                                 {"DTOPERACAO", engine::FieldType::DateTime}};
  return db.query(std::string("SELECT IDOPERACAO, CDOPERADOR, DTOPERACAO FROM HISTLIQMAN"
                              " WHERE CDFILIAL = :F AND NRPEDIDO = :N") +
                      (item.empty() ? "" : " AND NRITEMPED = :I") + " ORDER BY NRHISTORICO DESC LIMIT 1",
                  p, layout);
}

// "por OPERADOR em DATA" of the latest history row when it is of `operation`
// ("L" or "E"); empty otherwise.
std::string doneBy(const sql::Result& last, std::string_view operation) {
  if (last.rowCount() == 0 || last.text(0, "IDOPERACAO") != operation) return {};
  return " por " + std::string(last.text(0, "CDOPERADOR")) + " em " +
         date_time::toBrazilian(last.number(0, "DTOPERACAO"), true).substr(0, 16);  // to the minute
}

}  // namespace

OrderChanges::Outcome OrderChanges::change(sql::Connection& db, const Session& s, const OrderRequest& request,
                                           Kind kind, const std::string& justification,
                                           std::size_t& changed) const {
  {
    sql::Savepoint order(db);
    try {
      if (changeLocked(db, s, request, kind, justification)) ++changed;
      order.release();
      return {};
    } catch (const AlreadyDone& e) {
      return {e.what(), true};
    } catch (const ServiceError& e) {
      return {e.what()};
    } catch (const sql::SqlError& e) {
      if (!lockFailure(e)) throw;
    }
  }
  // Held by another: an order no longer as it was read says so, rather
  // than "blocked" (settled since, by an earlier action: a lost answer,
  // another screen).
  const std::string status = currentStatus(db, request.branch, request.order);
  if (kind == Kind::Settle && !request.statusRead.empty() &&
      (request.statusRead != status || !domain::isLiquidableOrder(status))) {
    if (status == domain::order_status::SettledByHand && domain::isLiquidableOrder(request.statusRead))
      if (const std::string by = doneBy(latestHistory(db, request.branch, request.order, {}), "L");
          !by.empty())
        return {"Pedido " + request.order + " já liquidado" + by + ".", true};
    return {kStale};
  }
  return {kBlocked};
}

void OrderChanges::alreadyDone(sql::Connection& db, const OrderRequest& request, const std::string& item,
                               std::string_view operation, std::string_view what) {
  const std::string by = doneBy(latestHistory(db, request.branch, request.order, item), operation);
  if (by.empty()) return;
  const std::string who =
      item.empty() ? "Pedido " + request.order : "Item " + item + " do pedido " + request.order;
  throw AlreadyDone(who + std::string(what) + by + ".");
}

void OrderChanges::itemsDoneBefore(sql::Connection& db, const OrderRequest& request, Kind kind,
                                   const std::map<std::string, std::string>& statuses) {
  namespace item = domain::item_status;
  std::string first;
  for (const ItemRequest& it : request.items) {
    const bool asked =
        kind == Kind::Settle ? domain::isOpenItem(it.statusRead) : it.statusRead == item::SettledByHand;
    if (!asked) continue;
    const auto found = statuses.find(it.item);
    if (found == statuses.end() || (found->second == item::SettledByHand) != (kind == Kind::Settle)) return;
    if (first.empty()) first = it.item;
  }
  if (first.empty()) return;
  // Every item sent: the order's own wording.
  const std::string named = request.items.size() == statuses.size() ? std::string() : first;
  if (kind == Kind::Settle)
    alreadyDone(db, request, named, "L", " já liquidado");
  else
    alreadyDone(db, request, named, "E", " já teve a liquidação excluída");
}

std::map<std::string, OrderChanges::PlannedChange> OrderChanges::plannedChanges(
    sql::Connection& db, const OrderRequest& request, Kind kind, std::string_view status,
    const std::map<std::string, std::string>& statuses, const std::set<std::string>& shown) {
  std::map<std::string, PlannedChange> changes;
  if (kind == Kind::Settle) {
    if (!request.statusRead.empty() && (request.statusRead != status || !domain::isLiquidableOrder(status))) {
      if (status == domain::order_status::SettledByHand && domain::isLiquidableOrder(request.statusRead))
        alreadyDone(db, request, {}, "L", " já liquidado");  // since the read above
      throw ServiceError(kStale);
    }
    if (request.items.empty()) {
      for (const auto& [item, st] : statuses)
        if (domain::isOpenItem(st) && shown.count(item))
          changes[item] = {std::string(domain::item_status::SettledByHand), {}};
    } else {
      itemsDoneBefore(db, request, kind, statuses);
      for (const ItemRequest& it : request.items) {
        const auto found = statuses.find(it.item);
        if (found == statuses.end() || found->second != it.statusRead || !domain::isOpenItem(found->second))
          throw ServiceError(kStale);
        changes[it.item] = {std::string(domain::item_status::SettledByHand), {}};
      }
    }
    if (changes.empty()) throw ServiceError(kStale);
  } else {
    itemsDoneBefore(db, request, kind, statuses);
    for (const ItemRequest& it : request.items) {
      const auto found = statuses.find(it.item);
      if (found == statuses.end() || found->second != it.statusRead) throw ServiceError(kStale);
      if (!domain::isReversibleItem(found->second)) continue;
      const sql::Result last = db.query(
          "SELECT L.NRHISTORICO, L.IDSITANTERIOR FROM HISTLIQMAN L"
          " WHERE L.CDFILIAL = :F AND L.NRPEDIDO = :N AND L.NRITEMPED = :I AND L.IDOPERACAO = 'L'"
          " AND NOT EXISTS (SELECT 1 FROM HISTLIQMAN E WHERE E.NRHISTLIQ = L.NRHISTORICO)"
          " ORDER BY L.NRHISTORICO DESC LIMIT 1",
          {{"F", request.branch}, {"N", request.order}, {"I", it.item}});
      if (last.rowCount() == 0)
        throw ServiceError("Histórico da liquidação do item " + it.item + " não encontrado.");
      changes[it.item] = {std::string(last.text(0, "IDSITANTERIOR")), last.integer(0, "NRHISTORICO")};
    }
    // Nothing to reverse is no exclusion done: never counted as processed.
    if (changes.empty()) {
      alreadyDone(db, request, {}, "E", " já teve a liquidação excluída");
      throw ServiceError("Nenhum item do pedido " + request.order + " tem liquidação a excluir.");
    }
  }
  return changes;
}

bool OrderChanges::changeLocked(sql::Connection& db, const Session& s, const OrderRequest& request, Kind kind,
                                const std::string& justification) const {
  const sql::Params key = {{"F", request.branch}, {"N", request.order}};
  // The order's row lock, held to the end of the transaction; another
  // holder means "bloqueada" at once (55P03), never a wait. Read with it:
  // the order's items, a row each, and its branch's stock parameter.
  const sql::Result order =
      db.query(std::string("SELECT P.IDSITPEDIDO, P.NRVERSAO, P.CDVENDEDOR, M.IDEVOLESTLIQMAN, I.NRITEMPED,"
                           " I.IDSITITEMPED, I.QTITEMPED FROM PEDIDO P"
                           " LEFT JOIN PARAMPEDIDO M ON M.CDFILIAL = P.CDFILIAL"
                           " LEFT JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
                           " WHERE P.CDFILIAL = :F AND P.NRPEDIDO = :N") +
                   (db.dialect() == sql::Dialect::Postgres ? " FOR UPDATE OF P NOWAIT" : ""),
               key);
  if (order.rowCount() == 0) throw ServiceError("Pedido " + request.order + " não encontrado.");
  if (const auto tied = sellerRestriction(db, request.branch, s.operatorCode);
      tied && *tied != order.text(0, "CDVENDEDOR"))
    throw ServiceError("Pedido " + request.order + " não pertence ao vendedor do operador.");
  const std::string status(order.text(0, "IDSITPEDIDO"));
  const std::int64_t version = order.integer(0, "NRVERSAO");

  std::map<std::string, std::string> statuses;
  std::map<std::string, double> quantities;
  for (std::size_t r = 0; r < order.rowCount(); ++r) {
    if (order.isNull(r, "NRITEMPED")) continue;  // an order without items
    statuses[std::string(order.text(r, "NRITEMPED"))] = order.text(r, "IDSITITEMPED");
    quantities[std::string(order.text(r, "NRITEMPED"))] = order.number(r, "QTITEMPED");
  }

  // A whole order is the items its operator is shown, as its stock movement.
  const std::set<std::string> shown = kind == Kind::Settle && request.items.empty()
                                          ? itemsShown(db, s, request.branch, request.order)
                                          : std::set<std::string>{};
  const std::map<std::string, PlannedChange> changes =
      plannedChanges(db, request, kind, status, statuses, shown);

  const bool movesStock = kind == Kind::Settle && order.text(0, "IDEVOLESTLIQMAN") == "S";
  const std::string now = date_time::toIso(clock_.now());
  std::vector<std::string> after;
  for (const auto& [item, st] : statuses) {
    const auto changed = changes.find(item);
    after.push_back(changed == changes.end() ? st : changed->second.next);
  }
  const OrderRow row{domain::orderStatusFromItems(after), version + (changes.empty() ? 0 : 1)};
  if (kind == Kind::Settle) {
    settleItems(db, s, request, changes, version, movesStock, justification, now, row);
  } else {
    undoItems(db, s, request, changes, statuses, quantities, justification, now);
    db.execute(
        "UPDATE PEDIDO SET IDSITPEDIDO = :SITUACAO, NRVERSAO = :V WHERE CDFILIAL = :F AND NRPEDIDO = :N",
        {{"F", request.branch}, {"N", request.order}, {"SITUACAO", row.status}, {"V", row.version}});
  }
  return !changes.empty();
}

void OrderChanges::undoItems(sql::Connection& db, const Session& s, const OrderRequest& request,
                             const std::map<std::string, PlannedChange>& changes,
                             const std::map<std::string, std::string>& statuses,
                             const std::map<std::string, double>& quantities,
                             const std::string& justification, const std::string& now) {
  for (const auto& [item, change] : changes) {
    const sql::Params p = {{"F", request.branch},
                           {"N", request.order},
                           {"I", item},
                           {"NOVA", change.next},
                           {"ANT", statuses.at(item)},
                           {"OP", s.operatorCode},
                           {"J", justification},
                           {"AGORA", now},
                           {"Q", quantities.at(item)},
                           {"K", s.key},
                           {"ESTORNA", change.reverses ? engine::Value(*change.reverses) : engine::Value()}};
    db.execute(
        "UPDATE ITEMPEDIDO SET IDSITITEMPED = :NOVA, CDOPERADOR = :OP, CDJUSTEXCHIS = :J WHERE CDFILIAL = :F"
        " AND NRPEDIDO = :N AND NRITEMPED = :I",
        p);
    db.execute(
        "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO,"
        " CDJUSTEXCHIS, IDSITANTERIOR, IDSITNOVA, QTITEMPED, CDSESSAO, NRHISTLIQ)"
        " VALUES (:F, :N, :I, 'E', :OP, :AGORA, :J, :ANT, :NOVA, :Q, :K, :ESTORNA)",
        p);
  }
}

void OrderChanges::settleItems(sql::Connection& db, const Session& s, const OrderRequest& request,
                               const std::map<std::string, PlannedChange>& changes, std::int64_t version,
                               bool movesStock, const std::string& justification, const std::string& now,
                               const OrderRow& row) const {
  std::vector<std::string> items;
  for (const auto& [item, change] : changes) items.push_back(item);
  const std::string listed = sql::inTextList(db.dialect(), "NRITEMPED", "ITENS");
  const sql::Params p = {{"F", request.branch},
                         {"N", request.order},
                         {"ITENS", sql::textList(db.dialect(), items)},
                         {"NOVA", std::string(domain::item_status::SettledByHand)},
                         {"OP", s.operatorCode},
                         {"J", justification},
                         {"AGORA", now},
                         {"K", s.key},
                         {"SITUACAO", row.status},
                         {"V", row.version}};
  // The history rows first, from the items as they stand: the stock each
  // item moves is written under its row's key.
  const std::string history =
      "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO,"
      " CDJUSTEXCHIS, IDSITANTERIOR, IDSITNOVA, QTITEMPED, CDSESSAO)"
      " SELECT CDFILIAL, NRPEDIDO, NRITEMPED, 'L', :OP, :AGORA, :J, IDSITITEMPED, :NOVA, QTITEMPED, :K"
      " FROM ITEMPEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N AND " +
      listed + " ORDER BY NRITEMPED";
  const std::string itemRows =
      "UPDATE ITEMPEDIDO SET IDSITITEMPED = :NOVA, CDOPERADOR = :OP, CDJUSTEXCHIS = :J"
      " WHERE CDFILIAL = :F AND NRPEDIDO = :N AND " +
      listed;
  const std::string reservations =
      "DELETE FROM RESERVAITEM WHERE CDFILIAL = :F AND NRPEDIDO = :N AND " + listed;
  const std::string order =
      "UPDATE PEDIDO SET IDSITPEDIDO = :SITUACAO, NRVERSAO = :V WHERE CDFILIAL = :F AND NRPEDIDO = :N";
  if (!movesStock && db.dialect() == sql::Dialect::Postgres) {
    // One round trip: each part sees the items as they stood before it.
    db.execute("WITH H AS (" + history + "), I AS (" + itemRows + "), R AS (" + reservations + ") " + order,
               p);
    return;
  }
  const sql::Result written = db.query(history + " RETURNING NRITEMPED, NRHISTORICO, QTITEMPED", p);
  db.execute(itemRows, p);
  if (!movesStock) {
    db.execute(reservations, p);
  } else {
    // Item by item: each item's own reservation goes before the next item's
    // stock is checked, which it would otherwise count as held by another.
    for (std::size_t r = 0; r < written.rowCount(); ++r) {
      const std::string item(written.text(r, "NRITEMPED"));
      stock_.applyStaged(db, s, request.branch, request.order, item, version, written.number(r, "QTITEMPED"),
                         written.integer(r, "NRHISTORICO"));
      db.execute("DELETE FROM RESERVAITEM WHERE CDFILIAL = :F AND NRPEDIDO = :N AND NRITEMPED = :I",
                 {{"F", request.branch}, {"N", request.order}, {"I", item}});
    }
  }
  db.execute(order, p);
}

void OrderChanges::requireRowLimit(std::size_t rows, const char* what) const {
  if (rows > maxRows_)
    throw ServiceError(std::string("O pacote de ") + what + " tem mais de " + std::to_string(maxRows_) +
                       " linhas, mais do que uma tela envia. Nada foi alterado.");
}

ChangeAnswer OrderChanges::settleOrders(sql::Connection& db, const Session& s, std::string_view ordersPacket,
                                        std::string_view operatorCode,
                                        std::string_view justificationArg) const {
  requireSessionOperator(s, operatorCode);
  const std::string justification = requireJustification(db, justificationArg);
  const ClientPacket orders(ordersPacket, orderFields(), "pedidos");
  requireRowLimit(orders.rowCount(), "pedidos");
  ErrorRows errors;
  std::size_t changed = 0;
  for (std::size_t r = 0; r < orders.rowCount(); ++r) {
    if (orders.text(r, "IDCHECK") != domain::mark::Marked) continue;
    const std::string branch = engine::value_text::trim(orders.text(r, "CDFILIAL"));
    const std::string order = domain::adjustCode(orders.text(r, "NRPEDIDO"), domain::kOrderNumberWidth);
    const Outcome outcome = change(db, s, {branch, order, orders.text(r, "IDSITPEDIDO"), {}}, Kind::Settle,
                                   justification, changed);
    if (!outcome.error.empty()) errors.add(branch, order, currentStatus(db, branch, order), outcome);
  }
  return {errors.packet().value_or("null"), changed};
}

std::string OrderChanges::ordersAnswer(sql::Connection& db, std::string_view ordersPacket,
                                       const std::string& kept) const {
  const ClientPacket orders(ordersPacket, orderFields(), "pedidos");
  std::map<std::string, std::vector<std::string>> listed;
  for (std::size_t r = 0; r < orders.rowCount(); ++r)
    listed[engine::value_text::trim(orders.text(r, "CDFILIAL"))].push_back(
        domain::adjustCode(orders.text(r, "NRPEDIDO"), domain::kOrderNumberWidth));
  return toPacketArray({ordersNow(db, listed), keptErrors(kept)});
}

ChangeAnswer OrderChanges::SetLiquidaPed(sql::Connection& db, const Session& s, std::string_view ordersPacket,
                                         std::string_view operatorCode,
                                         std::string_view justification) const {
  const ChangeAnswer done = settleOrders(db, s, ordersPacket, operatorCode, justification);
  return {ordersAnswer(db, ordersPacket, done.json), done.ordersChanged};
}

ChangeAnswer OrderChanges::changeItems(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                                       Kind kind, std::string_view justificationArg) const {
  const std::string justification = requireJustification(db, justificationArg);
  const ClientPacket items(itemsPacket, itemFields(), "itens");
  requireRowLimit(items.rowCount(), "itens");
  // The marked items, order by order, in the packet's order.
  std::vector<OrderRequest> requests;
  for (std::size_t r = 0; r < items.rowCount(); ++r) {
    if (items.text(r, "IDCHECK") != domain::mark::Marked) continue;
    const std::string branch = engine::value_text::trim(items.text(r, "CDFILIAL"));
    const std::string order = domain::adjustCode(items.text(r, "NRPEDIDO"), domain::kOrderNumberWidth);
    auto it = std::find_if(requests.begin(), requests.end(),
                           [&](const OrderRequest& q) { return q.branch == branch && q.order == order; });
    if (it == requests.end()) it = requests.insert(requests.end(), {branch, order, {}, {}});
    it->items.push_back(
        {engine::value_text::trim(items.text(r, "NRITEMPED")), items.text(r, "IDSITITEMPED")});
  }
  ErrorRows errors;
  std::size_t changed = 0;
  for (const OrderRequest& q : requests) {
    const Outcome outcome = change(db, s, q, kind, justification, changed);
    if (!outcome.error.empty()) errors.add(q.branch, q.order, currentStatus(db, q.branch, q.order), outcome);
  }
  return {errors.packet().value_or("null"), changed};
}

std::string OrderChanges::itemsAnswer(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                                      const std::string& kept) const {
  const ClientPacket items(itemsPacket, itemFields(), "itens");
  // The items of the packet's order as they now stand, as GetItem shows them.
  std::optional<std::string> now;
  if (items.rowCount() > 0)
    now = OrderQueries().GetItem(db, s, items.text(0, "CDFILIAL"), items.text(0, "NRPEDIDO"));
  return toPacketArray({now, keptErrors(kept)});
}

ChangeAnswer OrderChanges::settleItems(sql::Connection& db, const Session& s, std::string_view operatorCode,
                                       std::string_view itemsPacket, std::string_view justification) const {
  requireSessionOperator(s, operatorCode);
  return changeItems(db, s, itemsPacket, Kind::Settle, justification);
}

ChangeAnswer OrderChanges::undoItems(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                                     std::string_view operatorCode, std::string_view justification) const {
  requireSessionOperator(s, operatorCode);
  return changeItems(db, s, itemsPacket, Kind::Undo, justification);
}

ChangeAnswer OrderChanges::SetLiquidaItem(sql::Connection& db, const Session& s,
                                          std::string_view operatorCode, std::string_view itemsPacket,
                                          std::string_view justification) const {
  const ChangeAnswer done = settleItems(db, s, operatorCode, itemsPacket, justification);
  return {itemsAnswer(db, s, itemsPacket, done.json), done.ordersChanged};
}

ChangeAnswer OrderChanges::SetDesfazLiq(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                                        std::string_view operatorCode, std::string_view justification) const {
  const ChangeAnswer done = undoItems(db, s, itemsPacket, operatorCode, justification);
  return {itemsAnswer(db, s, itemsPacket, done.json), done.ordersChanged};
}

}  // namespace ped::server
