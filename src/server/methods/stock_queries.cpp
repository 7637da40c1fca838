#include "server/methods/stock_queries.h"

#include <map>
#include <numeric>
#include <set>

#include "domain/code_width.h"
#include "domain/layouts.h"
#include "domain/quantities.h"
#include "domain/status_rules.h"
#include "engine/value_text.h"
#include "server/methods/order_queries.h"
#include "server/methods/packets.h"
#include "server/methods/service_error.h"
#include "sql/text_list.h"

namespace ped::server {
namespace {

// Joins of a stock position (alias E, or R for a reservation) to the names
// of its warehouse and location and the dates of its lot.
constexpr const char* kPositionNames =
    " LEFT JOIN ALMOXARIFE A ON A.CDFILIAL = E.CDFILIAL AND A.CDALMOXARIFE = E.CDALMOXARIFE"
    " LEFT JOIN LOCALESTOQ L ON L.CDFILIAL = E.CDFILIAL AND L.CDALMOXARIFE = E.CDALMOXARIFE"
    " AND L.CDLOCALESTOQ = E.CDLOCALESTOQ"
    " LEFT JOIN LOTE T ON T.CDPRODUTO = E.CDPRODUTO AND T.NRLOTEESTQ = E.NRLOTEESTQ";

// Everything reserved at position E.
constexpr const char* kReservedAtPosition =
    "COALESCE((SELECT SUM(X.QTRESERVADA) FROM RESERVAITEM X WHERE X.CDFILIAL = E.CDFILIAL"
    " AND X.CDPRODUTO = E.CDPRODUTO AND X.CDALMOXARIFE = E.CDALMOXARIFE AND X.CDLOCALESTOQ = E.CDLOCALESTOQ"
    " AND X.NRLOTEESTQ = E.NRLOTEESTQ AND X.NRSUBLOTE = E.NRSUBLOTE), 0)";

}  // namespace

std::string StockQueries::GetEvolEstq(sql::Connection& db, const Session& s,
                                      std::string_view ordersPacket) const {
  const ClientPacket orders(ordersPacket,
                            domain::layouts::fieldsOf(domain::layouts::orders(), {"CDFILIAL", "NRPEDIDO"}),
                            "pedidos");
  std::map<std::string, std::vector<std::string>> wanted;  // branch -> orders
  for (std::size_t r = 0; r < orders.rowCount(); ++r)
    wanted[orders.text(r, "CDFILIAL")].push_back(orders.text(r, "NRPEDIDO"));

  // One statement for every branch that moves stock: its listed orders'
  // reservations, and what stays free at each position summed once per
  // position rather than once per row.
  sql::Params p;
  std::string branches, listed;
  bool tiedAnywhere = false;
  for (const auto& [branch, numbers] : wanted) {
    const sql::Result moves =
        db.query("SELECT IDEVOLESTLIQMAN FROM PARAMPEDIDO WHERE CDFILIAL = :F", {{"F", branch}});
    if (moves.rowCount() == 0 || moves.text(0, "IDEVOLESTLIQMAN") != "S") continue;
    const std::string k = std::to_string(p.size());
    p.emplace_back("F" + k, branch);
    p.emplace_back("L" + k, sql::textList(db.dialect(), numbers));
    branches += (branches.empty() ? ":F" : ", :F") + k;
    listed += (listed.empty() ? "(R.CDFILIAL = :F" : " OR (R.CDFILIAL = :F") + k + " AND " +
              sql::inTextList(db.dialect(), "R.NRPEDIDO", "L" + k);
    if (const auto tied = sellerRestriction(db, branch, s.operatorCode)) {
      listed += " AND P.CDVENDEDOR = :V" + k;
      tiedAnywhere = true;
      p.emplace_back("V" + k, *tied);
    }
    listed += ")";
  }
  const domain::layouts::Layout& layout = domain::layouts::stockAllocation();
  if (listed.empty()) return engine::encodePacket(layout, engine::emptyTable(layout), {});
  std::string open;
  for (std::size_t i = 0; i < domain::kOpenItemStatuses.size(); ++i) {
    const std::string name = "ABERTO" + std::to_string(i);
    open += (i ? ", :" : ":") + name;
    p.emplace_back(name, domain::kOpenItemStatuses[i]);
  }
  // Each position's free stock, names and lot dates once (a few hundred
  // rows), then one look-up per reservation.
  const std::string positions =
      "WITH RES AS (SELECT CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
      " SUM(QTRESERVADA) AS QT FROM RESERVAITEM WHERE CDFILIAL IN (" +
      branches +
      ") GROUP BY CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE),"
      " POS AS MATERIALIZED (SELECT E.CDFILIAL, E.CDPRODUTO, E.CDALMOXARIFE, E.CDLOCALESTOQ, E.NRLOTEESTQ,"
      " E.NRSUBLOTE, E.QTESTOQUE - COALESCE(X.QT, 0) AS QTDISPONIVEL, L.DSLOCALESTOQ, A.DSALMOXARIFE,"
      " T.DTVALILOTE, T.DTENTRLOTE FROM POSESTOQUE E"
      " LEFT JOIN RES X ON X.CDFILIAL = E.CDFILIAL AND X.CDPRODUTO = E.CDPRODUTO"
      " AND X.CDALMOXARIFE = E.CDALMOXARIFE AND X.CDLOCALESTOQ = E.CDLOCALESTOQ"
      " AND X.NRLOTEESTQ = E.NRLOTEESTQ AND X.NRSUBLOTE = E.NRSUBLOTE" +
      std::string(kPositionNames) + " WHERE E.CDFILIAL IN (" + branches + "))";
  return db
      .queryPacket(
          positions +
              " SELECT E.CDFILIAL, E.CDPRODUTO, E.CDALMOXARIFE, E.CDLOCALESTOQ, E.NRLOTEESTQ, E.NRSUBLOTE,"
              " I.SGUNIDADE, E.QTDISPONIVEL, R.QTRESERVADA AS QTEXP, R.NRPEDIDO, R.NRITEMPED, E.DSLOCALESTOQ,"
              " E.DSALMOXARIFE, R.QTRESERVADA AS QTRESPRODPED, E.DTVALILOTE, E.DTENTRLOTE"
              " FROM RESERVAITEM R"
              " JOIN ITEMPEDIDO I ON I.CDFILIAL = R.CDFILIAL AND I.NRPEDIDO = R.NRPEDIDO"
              " AND I.NRITEMPED = R.NRITEMPED" +
              (tiedAnywhere ? " JOIN PEDIDO P ON P.CDFILIAL = R.CDFILIAL AND P.NRPEDIDO = R.NRPEDIDO" : "") +
              " JOIN POS E ON E.CDFILIAL = R.CDFILIAL AND E.CDPRODUTO = R.CDPRODUTO"
              " AND E.CDALMOXARIFE = R.CDALMOXARIFE AND E.CDLOCALESTOQ = R.CDLOCALESTOQ"
              " AND E.NRLOTEESTQ = R.NRLOTEESTQ AND E.NRSUBLOTE = R.NRSUBLOTE"
              " WHERE (" +
              listed + ") AND I.IDSITITEMPED IN (" + open +
              ") ORDER BY R.CDFILIAL, R.NRPEDIDO, LENGTH(R.NRITEMPED), R.NRITEMPED, E.DTVALILOTE",
          p, layout)
      .json;
}

std::string StockQueries::GetPosEstq(sql::Connection& db, const Session& s, std::string_view branchArg,
                                     std::string_view orderArg, std::string_view product,
                                     std::string_view warehouse, std::string_view location,
                                     std::string_view item, std::string_view onlyAvailable,
                                     std::string_view lot, std::string_view subLot) const {
  const std::string branch = engine::value_text::trim(branchArg);
  const std::string order = domain::adjustCode(orderArg, domain::kOrderNumberWidth);
  sql::Params p = {{"F", branch},
                   {"P", engine::value_text::trim(product)},
                   {"N", order},
                   {"I", engine::value_text::trim(item)}};
  std::string where = "E.CDFILIAL = :F AND E.CDPRODUTO = :P";
  const std::pair<const char*, std::string_view> keys[] = {
      {"CDALMOXARIFE", warehouse}, {"CDLOCALESTOQ", location}, {"NRLOTEESTQ", lot}, {"NRSUBLOTE", subLot}};
  for (const auto& [column, value] : keys) {
    if (value.empty()) continue;  // open
    where += std::string(" AND E.") + column + " = :" + column;
    p.emplace_back(column, engine::value_text::trim(value));  // all blanks: the position has no such key
  }
  // An operator tied to his seller looks up stock only for his orders.
  if (const auto tied = sellerRestriction(db, branch, s.operatorCode)) {
    const sql::Result o = db.query("SELECT CDVENDEDOR FROM PEDIDO WHERE CDFILIAL = :F AND NRPEDIDO = :N",
                                   {{"F", branch}, {"N", order}});
    if (o.rowCount() == 0 || o.text(0, "CDVENDEDOR") != *tied) where += " AND 1 = 0";
  }
  const std::string own =
      "COALESCE((SELECT SUM(X.QTRESERVADA) FROM RESERVAITEM X WHERE X.CDFILIAL = E.CDFILIAL"
      " AND X.CDPRODUTO = E.CDPRODUTO AND X.CDALMOXARIFE = E.CDALMOXARIFE AND X.CDLOCALESTOQ = E.CDLOCALESTOQ"
      " AND X.NRLOTEESTQ = E.NRLOTEESTQ AND X.NRSUBLOTE = E.NRSUBLOTE AND X.NRPEDIDO = :N AND X.NRITEMPED = "
      ":I), 0)";
  const std::string free = std::string("E.QTESTOQUE - ") + kReservedAtPosition;
  const bool onlyWithSome = onlyAvailable == "N";
  if (onlyWithSome) where += " AND " + free + " + " + own + " > 0";  // narrowed below
  const domain::layouts::Layout& layout = domain::layouts::stockPositions();
  const sql::Result found = db.query(
      "SELECT E.CDFILIAL, E.CDPRODUTO, E.CDALMOXARIFE, E.CDLOCALESTOQ, E.SGUNIDADE, " + free +
          " AS QTDISPONIVEL, CAST(:N AS VARCHAR(10)) AS NRPEDIDO, CAST(:I AS VARCHAR(10)) AS NRITEMPED,"
          " A.DSALMOXARIFE, L.DSLOCALESTOQ, E.NRLOTEESTQ, E.NRSUBLOTE, " +
          own + " AS QTRESPRODPED, T.DTVALILOTE, T.DTENTRLOTE FROM POSESTOQUE E" + kPositionNames +
          " WHERE " + where +
          " ORDER BY E.CDALMOXARIFE, E.CDLOCALESTOQ, T.DTVALILOTE, E.NRLOTEESTQ, E.NRSUBLOTE",
      p, layout);
  // Something available is something at the quantities' precision: a dust
  // the post would refuse lists nothing.
  std::vector<engine::RowId> kept;
  for (std::size_t r = 0; r < found.rowCount(); ++r)
    if (!onlyWithSome ||
        domain::moreQuantity(found.number(r, "QTDISPONIVEL") + found.number(r, "QTRESPRODPED"), 0))
      kept.push_back(static_cast<engine::RowId>(r));
  return engine::encodePacket(layout, found.table, kept);
}

}  // namespace ped::server
