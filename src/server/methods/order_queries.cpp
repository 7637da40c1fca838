#include "server/methods/order_queries.h"

#include <set>

#include "domain/code_width.h"
#include "domain/layouts.h"
#include "domain/list_text.h"
#include "domain/status_rules.h"
#include "engine/text.h"
#include "engine/value_text.h"
#include "server/methods/packets.h"
#include "server/methods/service_error.h"
#include "sql/text_list.h"

namespace ped::server {
namespace {

namespace date_time = engine::date_time;

std::string trimmed(std::string_view s) { return std::string(engine::value_text::trim(s)); }

void requireBranch(sql::Connection& db, const std::string& branch) {
  if (db.query("SELECT CDFILIAL FROM FILIAL WHERE CDFILIAL = :F", {{"F", branch}}).rowCount() == 0)
    throw ServiceError("Filial " + branch + " não cadastrada.");
}

// Appends "COLUMN IN (:P0, :P1...)" with one bound parameter per value.
void appendIn(std::string& where, sql::Params& params, std::string_view column, std::string_view prefix,
              const std::vector<std::string>& values) {
  if (values.empty()) {  // nothing accepted
    where += " AND 1 = 0";
    return;
  }
  where += " AND ";
  where += column;
  where += " IN (";
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string name = std::string(prefix) + std::to_string(i);
    where += i ? ", :" : ":";
    where += name;
    params.emplace_back(name, values[i]);
  }
  where += ')';
}

std::vector<std::string> codes(std::string_view s) {
  std::vector<std::string> out;
  for (char c : s)
    if (c != ' ') out.emplace_back(1, c);
  return out;
}

std::vector<std::string> listKeys(std::string_view list, std::size_t limit, const char* what) {
  std::vector<std::string> keys = domain::splitListText(list);
  if (keys.size() > limit)
    throw ServiceError(std::string("A lista de ") + what + " tem mais de " + std::to_string(limit) +
                       " itens.");
  return keys;
}

constexpr std::size_t kMaxListKeys = 5000;

// The session keeps these texts for GetItem: refused here when longer than
// their columns, so both databases answer alike (SQLite would store them,
// PostgreSQL refuse the write).
constexpr std::size_t kItemStatusesWidth = 20;  // SESSAO.DSSITITEMPED
constexpr std::size_t kProductKeyWidth = 20;    // SESSAOPRODUTO.CDARVPROD, PRODUTO.CDARVPROD

void requireWidths(const OrderFilter& f, const std::vector<std::string>& products) {
  if (engine::text::length(f.itemStatuses) > kItemStatusesWidth)
    throw ServiceError("As situações dos itens do filtro passam de " + std::to_string(kItemStatusesWidth) +
                       " caracteres.");
  for (const std::string& k : products)
    if (engine::text::length(k) > kProductKeyWidth)
      throw ServiceError("O produto " + std::string(engine::text::truncate(k, kProductKeyWidth)) +
                         "... da lista passa de " + std::to_string(kProductKeyWidth) + " caracteres.");
}

}  // namespace

void requireSessionOperator(const Session& s, std::string_view operatorCode) {
  if (trimmed(operatorCode) != s.operatorCode)
    throw ServiceError("O operador informado (" + trimmed(operatorCode) + ") não é o operador da sessão (" +
                       s.operatorCode + ").");
}

std::optional<std::string> sellerRestriction(sql::Connection& db, std::string_view branch,
                                             std::string_view operatorCode) {
  const sql::Result r = db.query(
      "SELECT P.IDEXIBPEDIDO, (SELECT COUNT(*) FROM OPERTPED T WHERE T.CDFILIAL = P.CDFILIAL AND "
      "T.CDOPERADOR = :OP)"
      " AS TODOS, (SELECT O.CDVENDEDOR FROM OPERADOR O WHERE O.CDOPERADOR = :OP) AS CDVENDEDOR"
      " FROM PARAMPEDIDO P WHERE P.CDFILIAL = :F",
      {{"F", branch}, {"OP", operatorCode}});
  if (r.rowCount() == 0 || r.text(0, "IDEXIBPEDIDO") != "2" || r.integer(0, "TODOS") > 0) return std::nullopt;
  return std::string(r.isNull(0, "CDVENDEDOR") ? "" : r.text(0, "CDVENDEDOR"));
}

std::string OrderQueries::GetParam(sql::Connection& db, const Session& s, std::string_view branchArg,
                                   std::string_view operatorCode) const {
  requireSessionOperator(s, operatorCode);
  const std::string branch = trimmed(branchArg);
  requireBranch(db, branch);
  const sql::Params p = {{"F", branch}, {"OP", s.operatorCode}};
  const sql::Result params = db.query(
      "SELECT IDEVOLESTLIQMAN, IDMENSVEND, IDEXIBPEDIDO, IDUTRESELOTE FROM PARAMPEDIDO WHERE CDFILIAL = :F",
      p, domain::layouts::orderParameters());
  if (params.rowCount() == 0)
    throw ServiceError("Parâmetros de pedido não cadastrados para a filial " + branch + ".");
  const sql::PacketRows all =
      db.queryPacket("SELECT CDOPERADOR FROM OPERTPED WHERE CDFILIAL = :F AND CDOPERADOR = :OP", p,
                     domain::layouts::operatorsSeeingAll());
  const sql::PacketRows seller = db.queryPacket(
      "SELECT V.CDVENDEDOR, V.NMFANVEN, V.VRPECOMVEN, V.CDPRECOBASE, V.DSPRECOBASE FROM OPERADOR O"
      " JOIN VENDEDOR V ON V.CDVENDEDOR = O.CDVENDEDOR WHERE O.CDOPERADOR = :OP",
      p, domain::layouts::operatorSeller());
  return toPacketArray({toPacket(params), all.json, seller.json});
}

namespace {

// The WHERE of the order query, its parameters added to `p`: every argument
// of the filter, the operator's tie to his seller, and at least one item of
// the wanted statuses and products.
std::string orderWhere(sql::Connection& db, const std::string& branch, const Session& s, const OrderFilter& f,
                       const std::vector<std::string>& products, sql::Params& p) {
  std::string where = "P.CDFILIAL = :F";

  appendIn(where, p, "P.IDSITPEDIDO", "SP", codes(f.orderStatuses));
  if (f.allOrders != "T") {
    if (!engine::value_text::trim(f.orderList).empty()) {
      std::vector<std::string> keys = listKeys(f.orderList, kMaxListKeys, "pedidos");
      for (std::string& k : keys) k = domain::adjustCode(k, domain::kOrderNumberWidth);
      appendIn(where, p, "P.NRPEDIDO", "NP", keys);
    } else {
      // Numbers brought to width 10 compare like the numbers.
      const std::string from = domain::adjustCode(f.orderFrom, domain::kOrderNumberWidth);
      const std::string to = domain::adjustCode(f.orderTo, domain::kOrderNumberWidth);
      if (!from.empty()) {
        where += " AND P.NRPEDIDO >= :NRDE";
        p.emplace_back("NRDE", from);
      }
      if (!to.empty()) {
        where += " AND P.NRPEDIDO <= :NRATE";
        p.emplace_back("NRATE", to);
      }
    }
  }
  if (f.allClients != "T")
    appendIn(where, p, "P.CDCLIENTE", "CL", listKeys(f.clientList, kMaxListKeys, "clientes"));

  if (const auto tied = sellerRestriction(db, branch, s.operatorCode)) {
    appendIn(where, p, "P.CDVENDEDOR", "VD", {*tied});
  } else if (f.allSellers != "T") {
    appendIn(where, p, "P.CDVENDEDOR", "VD", listKeys(f.sellerList, kMaxListKeys, "vendedores"));
  }
  if (f.allIssued != "T") {
    where += " AND P.DTPEDIDO >= :EMDE AND P.DTPEDIDO < :EMATE";
    p.emplace_back("EMDE", date_time::toIso(date_time::datePart(f.issuedFrom)));
    p.emplace_back("EMATE", date_time::toIso(date_time::datePart(f.issuedTo) + 1));
  }
  if (f.allDeliveries != "T") {
    where += " AND P.DTENTPED >= :ENDE AND P.DTENTPED < :ENATE";
    p.emplace_back("ENDE", date_time::toIso(date_time::datePart(f.deliveryFrom)));
    p.emplace_back("ENATE", date_time::toIso(date_time::datePart(f.deliveryTo) + 1));
  }
  appendIn(where, p, "P.IDPRIORIDADE", "PR", codes(f.priorities));

  // At least one item of the wanted statuses (and products).
  std::string items = "SELECT 1 FROM ITEMPEDIDO I";
  std::string itemWhere = "I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO";
  appendIn(itemWhere, p, "I.IDSITITEMPED", "SI", codes(f.itemStatuses));
  if (f.allProducts != "T") {
    items += " JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO";
    appendIn(itemWhere, p, "R.CDARVPROD", "PD", products);
  }
  where += " AND EXISTS (" + items + " WHERE " + itemWhere + ")";
  return where;
}

// GetItem shows the items of these orders under the same restriction,
// written whole or not at all; a reload with the filter unchanged writes
// nothing (a write waits for the disk).
void rememberItemRestriction(sql::Connection& db, const Session& s, const OrderFilter& f,
                             const std::vector<std::string>& products) {
  const bool byProduct = f.allProducts != "T";
  const sql::Result known =
      db.query("SELECT DSSITITEMPED, IDTPRODUTO FROM SESSAO WHERE CDSESSAO = :K", {{"K", s.key}});
  const bool unchanged = !byProduct && known.rowCount() == 1 && !known.isNull(0, "DSSITITEMPED") &&
                         known.text(0, "DSSITITEMPED") == f.itemStatuses &&
                         known.text(0, "IDTPRODUTO") == "T";
  if (!unchanged) {
    sql::Transaction restriction(db, sql::TransactionMode::Write);
    db.execute("UPDATE SESSAO SET DSSITITEMPED = :SI, IDTPRODUTO = :TP WHERE CDSESSAO = :K",
               {{"SI", f.itemStatuses}, {"TP", byProduct ? "N" : "T"}, {"K", s.key}});
    db.execute("DELETE FROM SESSAOPRODUTO WHERE CDSESSAO = :K", {{"K", s.key}});
    if (byProduct) {
      for (const std::string& k : std::set<std::string>(products.begin(), products.end()))
        db.execute("INSERT INTO SESSAOPRODUTO (CDSESSAO, CDARVPROD) VALUES (:K, :P)",
                   {{"K", s.key}, {"P", k}});
    }
    restriction.commit();
  }
}

}  // namespace

std::string OrderQueries::GetPedidos(sql::Connection& db, const Session& s, const OrderFilter& f) const {
  const std::string branch = trimmed(f.branch);
  requireBranch(db, branch);
  const std::vector<std::string> products =
      f.allProducts != "T" ? listKeys(f.productList, kMaxListKeys, "produtos") : std::vector<std::string>();
  requireWidths(f, products);
  sql::Params p = {{"F", branch}};
  const std::string where = orderWhere(db, branch, s, f, products, p);

  sql::Transaction tx(db, sql::TransactionMode::Read);
  const sql::PacketRows paramFilial = db.queryPacket(
      "SELECT IDUTILALMOX, IDUTILLCESTQ, IDUTILLOTE, IDCTRLESTQ FROM PARAMFILIAL WHERE CDFILIAL = :F",
      {{"F", branch}}, domain::layouts::branchParameters());
  const sql::PacketRows paramPedido = db.queryPacket(
      "SELECT IDEVOLESTLIQMAN, IDMENSVEND, IDEXIBPEDIDO, IDUTRESELOTE FROM PARAMPEDIDO WHERE CDFILIAL = :F",
      {{"F", branch}}, domain::layouts::orderParameters());
  // One row past the limit tells that the limit was reached, without reading on.
  p.emplace_back("LIMITE", static_cast<std::int64_t>(maxRows_ + 1));
  const sql::PacketRows orders = db.queryPacket(
      "SELECT " + initialMarkColumn("P.IDSITPEDIDO", domain::kMarkableOrderStatuses) +
          ", P.IDSITPEDIDO, P.NRPEDIDO, P.CDCLIENTE, C.NMFANTCLIE, P.DTENTPED, P.DTPEDIDO,"
          " P.CDFILIAL, P.CDVENDEDOR FROM PEDIDO P JOIN CLIENTE C ON C.CDCLIENTE = P.CDCLIENTE WHERE " +
          where + " ORDER BY P.NRPEDIDO LIMIT :LIMITE",
      p, domain::layouts::orders());
  tx.commit();
  if (orders.rows > maxRows_)
    throw ServiceError("A consulta devolveria mais que " + std::to_string(maxRows_) +
                       " pedidos. Restrinja o filtro.");

  rememberItemRestriction(db, s, f, products);
  return toPacketArray({paramFilial.json, paramPedido.json, orders.json});
}

namespace {

// The operator may see order P: its branch does not tie operators to their
// seller, or he sees every seller there, or the order is his seller's. The
// SQL form of sellerRestriction, for reads that are one statement.
constexpr const char* kVisibleToOperator =
    "(NOT EXISTS (SELECT 1 FROM PARAMPEDIDO M WHERE M.CDFILIAL = P.CDFILIAL AND M.IDEXIBPEDIDO = '2')"
    " OR EXISTS (SELECT 1 FROM OPERTPED T WHERE T.CDFILIAL = P.CDFILIAL AND T.CDOPERADOR = :OP)"
    " OR P.CDVENDEDOR = (SELECT O.CDVENDEDOR FROM OPERADOR O WHERE O.CDOPERADOR = :OP))";

// The session's item restriction (statuses and products of its last order
// query) over ITEMPEDIDO I, PRODUTO R and SESSAO S (left-joined on :K).
std::string itemRestriction(sql::Dialect dialect) {
  // The item's status among the session's codes, without building a pattern per row.
  std::string sql = "(S.DSSITITEMPED IS NULL OR ";
  sql += dialect == sql::Dialect::Sqlite ? "INSTR(S.DSSITITEMPED, I.IDSITITEMPED) > 0"
                                         : "STRPOS(S.DSSITITEMPED, I.IDSITITEMPED) > 0";
  sql +=
      ") AND (S.IDTPRODUTO IS NULL OR S.IDTPRODUTO <> 'N' OR EXISTS (SELECT 1 FROM SESSAOPRODUTO X"
      " WHERE X.CDSESSAO = :K AND X.CDARVPROD = R.CDARVPROD))";
  return sql;
}

}  // namespace

std::set<std::string> itemsShown(sql::Connection& db, const Session& s, const std::string& branch,
                                 const std::string& order) {
  const sql::Result r = db.query(
      "SELECT I.NRITEMPED FROM ITEMPEDIDO I JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"
      " LEFT JOIN SESSAO S ON S.CDSESSAO = :K WHERE I.CDFILIAL = :F AND I.NRPEDIDO = :N AND " +
          itemRestriction(db.dialect()),
      {{"F", branch}, {"N", order}, {"K", s.key}});
  std::set<std::string> items;
  for (std::size_t row = 0; row < r.rowCount(); ++row) items.emplace(r.text(row, "NRITEMPED"));
  return items;
}

// One statement: it runs on every move through the order list.
std::string OrderQueries::GetItem(sql::Connection& db, const Session& s, std::string_view branchArg,
                                  std::string_view orderArg) const {
  std::string sql =
      "SELECT I.CDOPERADOR, I.CDJUSTEXCHIS, " +
      initialMarkColumn("I.IDSITITEMPED", domain::kMarkableItemStatuses) +
      ", I.NRITEMPED, I.IDSITITEMPED, R.CDARVPROD,"
      " R.NMPRODUTO, I.QTITEMPED, I.SGUNIDADE, I.VRPREUNITPED, I.NRPEDIDO, I.CDFILIAL, I.VRDESITPED, "
      "I.CDPRODUTO"
      " FROM ITEMPEDIDO I JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO"
      " JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO"
      " LEFT JOIN SESSAO S ON S.CDSESSAO = :K"
      " WHERE I.CDFILIAL = :F AND I.NRPEDIDO = :N AND ";
  sql += itemRestriction(db.dialect());
  sql += " AND ";
  sql += kVisibleToOperator;
  sql += " ORDER BY LENGTH(I.NRITEMPED), I.NRITEMPED";
  return db
      .queryPacket(sql,
                   {{"F", trimmed(branchArg)},
                    {"N", domain::adjustCode(orderArg, domain::kOrderNumberWidth)},
                    {"K", s.key},
                    {"OP", s.operatorCode}},
                   domain::layouts::orderItems())
      .json;
}

namespace {

// itemRestriction with the session's row read once, for a read of many
// items: no join per item row. Binds :SI when the statuses are restricted.
struct ReadRestriction {
  std::string where = "1 = 1";
  bool byProduct = false;
};
ReadRestriction itemRestrictionOnce(sql::Connection& db, const Session& s, sql::Params& p) {
  ReadRestriction out;
  const sql::Result r =
      db.query("SELECT DSSITITEMPED, IDTPRODUTO FROM SESSAO WHERE CDSESSAO = :K", {{"K", s.key}});
  if (r.rowCount() == 0) return out;
  if (!r.isNull(0, "DSSITITEMPED")) {
    out.where = db.dialect() == sql::Dialect::Sqlite ? "INSTR(:SI, I.IDSITITEMPED) > 0"
                                                     : "STRPOS(:SI, I.IDSITITEMPED) > 0";
    p.emplace_back("SI", std::string(r.text(0, "DSSITITEMPED")));
  }
  if (!r.isNull(0, "IDTPRODUTO") && r.text(0, "IDTPRODUTO") == "N") {
    out.byProduct = true;
    p.emplace_back("K", s.key);
    out.where +=
        " AND EXISTS (SELECT 1 FROM SESSAOPRODUTO X WHERE X.CDSESSAO = :K AND X.CDARVPROD = R.CDARVPROD)";
  }
  return out;
}

}  // namespace

// One statement for the whole list: a walk over thousands of orders reads
// their items in one round trip instead of one per order.
std::string OrderQueries::GetItensPedidos(sql::Connection& db, const Session& s, std::string_view branchArg,
                                          std::string_view ordersPacket) const {
  const ClientPacket orders(ordersPacket, domain::layouts::fieldsOf(domain::layouts::orders(), {"NRPEDIDO"}),
                            "pedidos");
  if (orders.rowCount() > maxRows_)
    throw ServiceError("A lista tem mais que " + std::to_string(maxRows_) + " pedidos.");
  std::vector<std::string> numbers;
  numbers.reserve(orders.rowCount());
  for (std::size_t r = 0; r < orders.rowCount(); ++r)
    numbers.push_back(domain::adjustCode(orders.text(r, "NRPEDIDO"), domain::kOrderNumberWidth));
  const std::string branch = trimmed(branchArg);
  sql::Params p = {{"F", branch}, {"L", sql::textList(db.dialect(), numbers)}};
  // The seller restriction once for the branch, not once per item.
  const std::optional<std::string> tied = sellerRestriction(db, branch, s.operatorCode);
  const ReadRestriction restriction = itemRestrictionOnce(db, s, p);
  std::string sql =
      "SELECT I.CDFILIAL, I.NRPEDIDO, I.NRITEMPED, I.IDSITITEMPED, I.QTITEMPED FROM ITEMPEDIDO I";
  if (restriction.byProduct) sql += " JOIN PRODUTO R ON R.CDPRODUTO = I.CDPRODUTO";
  if (tied) {
    sql += " JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL AND P.NRPEDIDO = I.NRPEDIDO AND P.CDVENDEDOR = :V";
    p.emplace_back("V", *tied);
  }
  sql += " WHERE I.CDFILIAL = :F AND ";
  sql += sql::inTextList(db.dialect(), "I.NRPEDIDO", "L");
  sql += " AND ";
  sql += restriction.where;
  return db.queryPacket(sql, p, domain::layouts::itemsOfOrders()).json;
}

std::string OrderQueries::GetItSemFiltro(sql::Connection& db, const Session& s, std::string_view branchArg,
                                         std::string_view orderArg) const {
  return db
      .queryPacket(
          std::string("SELECT I.IDSITITEMPED FROM ITEMPEDIDO I JOIN PEDIDO P ON P.CDFILIAL = I.CDFILIAL"
                      " AND P.NRPEDIDO = I.NRPEDIDO WHERE I.CDFILIAL = :F AND I.NRPEDIDO = :N AND ") +
              kVisibleToOperator + " ORDER BY LENGTH(I.NRITEMPED), I.NRITEMPED",
          {{"F", trimmed(branchArg)},
           {"N", domain::adjustCode(orderArg, domain::kOrderNumberWidth)},
           {"OP", s.operatorCode}},
          domain::layouts::allItemStatuses())
      .json;
}

std::string OrderQueries::GetNrPedido(sql::Connection& db, const Session& s, std::string_view,
                                      std::string_view branchArg, std::string_view operatorCode) const {
  requireSessionOperator(s, operatorCode);
  const std::string branch = trimmed(branchArg);
  sql::Params p = {{"F", branch}};
  std::string where = "P.CDFILIAL = :F";
  if (const auto tied = sellerRestriction(db, branch, s.operatorCode))
    appendIn(where, p, "P.CDVENDEDOR", "VD", {*tied});
  p.emplace_back("LIMITE", static_cast<std::int64_t>(maxRows_ + 1));
  const sql::PacketRows orders = db.queryPacket(
      "SELECT 'N' AS IDMARCADO, P.NRPEDIDO, C.NMFANTCLIE FROM PEDIDO P JOIN CLIENTE C ON C.CDCLIENTE = "
      "P.CDCLIENTE"
      " WHERE " +
          where + " ORDER BY P.NRPEDIDO LIMIT :LIMITE",
      p, domain::layouts::orderNumbers());
  if (orders.rows > maxRows_)
    throw ServiceError("A filial tem mais de " + std::to_string(maxRows_) + " pedidos para listar.");
  return orders.json;
}

}  // namespace ped::server
