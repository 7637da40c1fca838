#include "server/demo/writer.h"

#include <utility>

#include "engine/date_time.h"
#include "server/auth/password.h"
#include "server/storage/migrations.h"

namespace ped::server::demo {
namespace {

using engine::Value;
using Row = std::vector<Value>;

constexpr const char* kBrazil = "1058";

Value flag(bool on) { return Value(on ? "S" : "N"); }
Value code(char c) { return Value(std::string(1, c)); }
Value date(double day) { return Value(engine::date_time::toIso(day)); }
Value date(const std::optional<double>& day) { return day ? date(*day) : Value(); }
Value optionalText(const std::optional<std::string>& s) { return s ? Value(*s) : Value(); }
// "2026-03-05 14:20:00", as both databases write a timestamp.
Value timestamp(double when) {
  std::string iso = engine::date_time::toIso(when);
  if (iso.size() > 10) iso[10] = ' ';
  return Value(std::move(iso));
}

template <typename T, typename ToRow>
std::int64_t insertAll(sql::Connection& db, std::string_view table, const std::vector<std::string>& columns,
                       const std::vector<T>& rows, ToRow toRow) {
  auto bulk = db.bulkInsert(table, columns);
  for (const T& r : rows) bulk->add(toRow(r));
  return bulk->finish();
}

// Rows of one source row that go to one table (an operator's OPERTPED rows,
// a client's addresses).
template <typename T, typename ToRows>
void insertEach(sql::Connection& db, std::string_view table, const std::vector<std::string>& columns,
                const std::vector<T>& rows, ToRows toRows) {
  auto bulk = db.bulkInsert(table, columns);
  for (const T& r : rows)
    for (const Row& out : toRows(r)) bulk->add(out);
  bulk->finish();
}

void refuseUnlessEmpty(sql::Connection& db) {
  const std::int64_t orders = db.query("SELECT COUNT(*) AS N FROM PEDIDO").integer(0, "N");
  if (orders > 0)
    throw DemoError(
        std::string("O banco de dados já tem ") + std::to_string(orders) +
        " pedido(s); nada foi alterado. Use --force para apagar os dados existentes e gerar os de "
        "demonstração.");
  for (const std::string& table : demoTables()) {
    if (db.query(std::string("SELECT COUNT(*) AS N FROM ") + table).integer(0, "N") > 0)
      throw DemoError(std::string("O banco de dados já tem dados na tabela ") + table +
                      "; nada foi alterado. Use --force para apagar os dados existentes e gerar os de "
                      "demonstração.");
  }
}

void clearDemoTables(sql::Connection& db) {
  const auto& tables = demoTables();
  if (db.dialect() == sql::Dialect::Postgres) {
    // One TRUNCATE of them all: far quicker than row-by-row deletes and their reference checks.
    std::string sql = "TRUNCATE ";
    for (std::size_t i = 0; i < tables.size(); ++i) sql.append(i == 0 ? "" : ", ").append(tables[i]);
    db.executeScript(sql);
    return;
  }
  for (auto it = tables.rbegin(); it != tables.rend(); ++it) db.execute(std::string("DELETE FROM ") + *it);
}

void writeRegisters(sql::Connection& db, const DemoData& data, const std::vector<std::string>& hashes,
                    DemoSummary& summary) {
  summary.branches = insertAll(db, "FILIAL", {"CDFILIAL", "NMFILIAL"}, data.branches, [](const Branch& b) {
    return Row{b.code, b.name};
  });
  insertAll(db, "PARAMFILIAL", {"CDFILIAL", "IDUTILALMOX", "IDUTILLCESTQ", "IDUTILLOTE", "IDCTRLESTQ"},
            data.branches, [](const Branch& b) {
              return Row{b.code, flag(b.usesWarehouse), flag(b.usesLocation), flag(b.usesLot),
                         flag(b.controlsStock)};
            });
  insertAll(db, "PARAMPEDIDO", {"CDFILIAL", "IDEVOLESTLIQMAN", "IDEXIBPEDIDO"}, data.branches,
            [](const Branch& b) {
              return Row{b.code, flag(b.movesStockOnSettlement), code(b.showOrders)};
            });
  summary.sellers =
      insertAll(db, "VENDEDOR", {"CDVENDEDOR", "NMFANVEN", "VRPECOMVEN", "CDPRECOBASE", "DSPRECOBASE"},
                data.sellers, [](const Seller& s) {
                  return Row{s.code, s.name, s.commissionPercent, s.priceTableCode, s.priceTableName};
                });
  std::size_t next = 0;
  summary.operators =
      insertAll(db, "OPERADOR", {"CDOPERADOR", "NMOPERADOR", "DSSENHAHASH", "CDVENDEDOR", "IDATIVO"},
                data.operators, [&](const Operator& o) {
                  return Row{o.code, o.name, hashes[next++], optionalText(o.seller), "S"};
                });
  insertEach(db, "OPERTPED", {"CDFILIAL", "CDOPERADOR"}, data.operators, [&](const Operator& o) {
    std::vector<Row> rows;
    if (o.seesAllSellers)
      for (const Branch& b : data.branches) rows.push_back({b.code, o.code});
    return rows;
  });
  insertAll(db, "JUSTEXCHIS", {"CDJUSTEXCHIS", "DSJUSTEXCHIS"}, data.justifications,
            [](const Justification& j) {
              return Row{j.code, j.description};
            });
  db.execute("INSERT INTO PAIS (CDPAIS, NMPAIS) VALUES (:P, 'Brasil')", {{"P", kBrazil}});
  insertAll(db, "MUNICIPIO", {"CDPAIS", "SGESTADO", "CDMUNICIPIO", "NMMUNICIPIO"}, data.cities,
            [](const City& c) {
              return Row{kBrazil, c.state, c.code, c.name};
            });
  summary.clients =
      insertAll(db, "CLIENTE", {"CDCLIENTE", "IDTPIJURCLIE", "NRINSJURCLIE", "NMFANTCLIE", "NMRAZSOCCLIE"},
                data.clients, [](const Client& c) {
                  return Row{c.code, code(c.personType), c.document, c.tradeName, c.legalName};
                });
  insertEach(db, "ENDECLIE", {"CDCLIENTE", "IDTPENDECLIE", "DSENDECLIE", "CDPAIS", "SGESTADO", "CDMUNICIPIO"},
             data.clients, [](const Client& c) {
               std::vector<Row> rows;
               for (const Address& a : c.addresses)
                 rows.push_back({c.code, code(a.type), a.street, kBrazil, a.state, a.cityCode});
               return rows;
             });
  summary.products = insertAll(db, "PRODUTO", {"CDPRODUTO", "CDARVPROD", "NMPRODUTO", "SGUNIDADE"},
                               data.products, [](const Product& p) {
                                 return Row{p.code, p.treeCode, p.name, p.unit};
                               });
}

void writeStock(sql::Connection& db, const DemoData& data, DemoSummary& summary) {
  insertAll(db, "ALMOXARIFE", {"CDFILIAL", "CDALMOXARIFE", "DSALMOXARIFE"}, data.warehouses,
            [](const Warehouse& w) {
              return Row{w.branch, w.code, w.name};
            });
  insertAll(db, "LOCALESTOQ", {"CDFILIAL", "CDALMOXARIFE", "CDLOCALESTOQ", "DSLOCALESTOQ"}, data.locations,
            [](const Location& l) {
              return Row{l.branch, l.warehouse, l.code, l.name};
            });
  summary.lots = insertAll(db, "LOTE", {"CDPRODUTO", "NRLOTEESTQ", "DTVALILOTE", "DTENTRLOTE"}, data.lots,
                           [](const Lot& l) {
                             return Row{l.product, l.number, date(l.validUntil), date(l.enteredOn)};
                           });
  summary.positions = insertAll(db, "POSESTOQUE",
                                {"CDFILIAL", "CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ",
                                 "NRSUBLOTE", "SGUNIDADE", "QTESTOQUE"},
                                data.positions, [](const Position& p) {
                                  return Row{p.branch, p.product, p.warehouse, p.location,
                                             p.lot,    p.subLot,  p.unit,      p.quantity};
                                });
}

void writeOrders(sql::Connection& db, const DemoData& data, DemoSummary& summary) {
  summary.orders = insertAll(db, "PEDIDO",
                             {"CDFILIAL", "NRPEDIDO", "CDCLIENTE", "CDVENDEDOR", "DTPEDIDO", "DTENTPED",
                              "IDPRIORIDADE", "IDSITPEDIDO"},
                             data.orders, [](const Order& o) {
                               return Row{o.branch,     o.number,         o.client,         o.seller,
                                          date(o.date), date(o.delivery), code(o.priority), code(o.status)};
                             });
  summary.items = insertAll(db, "ITEMPEDIDO",
                            {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO", "QTITEMPED", "SGUNIDADE",
                             "VRPREUNITPED", "VRDESITPED", "IDSITITEMPED", "CDOPERADOR", "CDJUSTEXCHIS"},
                            data.items, [](const Item& i) {
                              return Row{i.branch,
                                         i.order,
                                         i.number,
                                         i.product,
                                         i.quantity,
                                         i.unit,
                                         i.unitPrice,
                                         i.discount,
                                         code(i.status),
                                         optionalText(i.settledBy),
                                         optionalText(i.justification)};
                            });
  summary.reservations = insertAll(db, "RESERVAITEM",
                                   {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "CDPRODUTO", "CDALMOXARIFE",
                                    "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE", "QTRESERVADA"},
                                   data.reservations, [](const Reservation& r) {
                                     return Row{r.branch,   r.order, r.item,   r.product, r.warehouse,
                                                r.location, r.lot,   r.subLot, r.quantity};
                                   });
  summary.settlements =
      insertAll(db, "HISTLIQMAN",
                {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "IDOPERACAO", "CDOPERADOR", "DTOPERACAO",
                 "CDJUSTEXCHIS", "IDSITANTERIOR", "IDSITNOVA", "QTITEMPED"},
                data.settlements, [](const Settlement& s) {
                  return Row{s.branch,          s.order,           s.item,          code(s.operation),
                             s.operatorCode,    timestamp(s.when), s.justification, code(s.previousStatus),
                             code(s.newStatus), s.quantity};
                });
}

}  // namespace

const std::vector<std::string>& demoTables() {
  static const std::vector<std::string> tables = {
      "FILIAL",     "PARAMFILIAL", "PARAMPEDIDO", "VENDEDOR",   "OPERADOR",   "OPERTPED",
      "SESSAO",     "JUSTEXCHIS",  "PAIS",        "MUNICIPIO",  "CLIENTE",    "ENDECLIE",
      "PRODUTO",    "ALMOXARIFE",  "LOCALESTOQ",  "LOTE",       "POSESTOQUE", "PEDIDO",
      "ITEMPEDIDO", "RESERVAITEM", "HISTLIQMAN",  "MOVESTOQUE", "MOVESTAGIO"};
  return tables;
}

DemoSummary writeDemoData(sql::Connection& db, const DemoData& data, bool replace) {
  storage::migrate(db);
  // Hashing is slow on purpose: done before the write lock is taken.
  std::vector<std::string> hashes;
  for (const Operator& o : data.operators) hashes.push_back(auth::hashPassword(o.password));

  sql::Transaction tx(db, sql::TransactionMode::Write);
  if (replace)
    clearDemoTables(db);
  else
    refuseUnlessEmpty(db);
  DemoSummary summary;
  writeRegisters(db, data, hashes, summary);
  writeStock(db, data, summary);
  writeOrders(db, data, summary);
  tx.commit();
  return summary;
}

}  // namespace ped::server::demo
