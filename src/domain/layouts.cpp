#include "domain/layouts.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "engine/text.h"

namespace ped::domain::layouts {
namespace {

using engine::FieldType;

engine::FieldSpec text(const char* name, int size) { return {name, FieldType::Text, size, false}; }
engine::FieldSpec number(const char* name) { return {name, FieldType::Float, 0, false}; }
engine::FieldSpec date(const char* name) { return {name, FieldType::DateTime, 0, false}; }
engine::FieldSpec integer(const char* name) { return {name, FieldType::Integer, 0, false}; }

}  // namespace

const Layout& orders() {
  static const Layout l = {text("IDCHECK", 1),    text("IDSITPEDIDO", 1), text("NRPEDIDO", 10),
                           text("CDCLIENTE", 21), text("NMFANTCLIE", 50), date("DTENTPED"),
                           date("DTPEDIDO"),      text("CDFILIAL", 4),    text("CDVENDEDOR", 4)};
  return l;
}

const Layout& orderItems() {
  static const Layout l = {text("CDOPERADOR", 12), text("CDJUSTEXCHIS", 4), text("IDCHECK", 1),
                           text("NRITEMPED", 10),  text("IDSITITEMPED", 1), text("CDARVPROD", 20),
                           text("NMPRODUTO", 50),  number("QTITEMPED"),     text("SGUNIDADE", 10),
                           number("VRPREUNITPED"), text("NRPEDIDO", 10),    text("CDFILIAL", 4),
                           number("VRDESITPED"),   text("CDPRODUTO", 10)};
  return l;
}

const Layout& itemsOfOrders() {
  static const Layout l =
      fieldsOf(orderItems(), {"CDFILIAL", "NRPEDIDO", "NRITEMPED", "IDSITITEMPED", "QTITEMPED"});
  return l;
}

const Layout& allItemStatuses() {
  static const Layout l = {text("IDSITITEMPED", 1)};
  return l;
}

const Layout& orderParameters() {
  static const Layout l = {text("IDEVOLESTLIQMAN", 1), text("IDMENSVEND", 1), text("IDEXIBPEDIDO", 1),
                           text("IDUTRESELOTE", 1)};
  return l;
}

const Layout& branchParameters() {
  static const Layout l = {text("IDUTILALMOX", 1), text("IDUTILLCESTQ", 1), text("IDUTILLOTE", 1),
                           text("IDCTRLESTQ", 1)};
  return l;
}

const Layout& operatorsSeeingAll() {
  static const Layout l = {text("CDOPERADOR", 32)};
  return l;
}

const Layout& operatorSeller() {
  static const Layout l = {text("CDVENDEDOR", 4), text("NMFANVEN", 50), number("VRPECOMVEN"),
                           text("CDPRECOBASE", 2), text("DSPRECOBASE", 30)};
  return l;
}

const Layout& orderNumbers() {
  static const Layout l = {text("IDMARCADO", 1), text("NRPEDIDO", 10), text("NMFANTCLIE", 50)};
  return l;
}

const Layout& stockAllocation() {
  static const Layout l = {
      text("CDFILIAL", 4),      text("CDPRODUTO", 10),  text("CDALMOXARIFE", 6), text("CDLOCALESTOQ", 6),
      text("NRLOTEESTQ", 20),   text("NRSUBLOTE", 4),   text("SGUNIDADE", 10),   number("QTDISPONIVEL"),
      number("QTEXP"),          text("NRPEDIDO", 10),   text("NRITEMPED", 10),   text("DSLOCALESTOQ", 30),
      text("DSALMOXARIFE", 30), number("QTRESPRODPED"), date("DTVALILOTE"),      date("DTENTRLOTE")};
  return l;
}

// The allocation row's fields without QTEXP, in the order the look-up lists
// show them.
const Layout& stockPositions() {
  static const Layout l = {text("CDFILIAL", 4),      text("CDPRODUTO", 10),  text("CDALMOXARIFE", 6),
                           text("CDLOCALESTOQ", 6),  text("SGUNIDADE", 10),  number("QTDISPONIVEL"),
                           text("NRPEDIDO", 10),     text("NRITEMPED", 10),  text("DSALMOXARIFE", 30),
                           text("DSLOCALESTOQ", 30), text("NRLOTEESTQ", 20), text("NRSUBLOTE", 4),
                           number("QTRESPRODPED"),   date("DTVALILOTE"),     date("DTENTRLOTE")};
  return l;
}

const Layout& orderErrors() {
  // DSERRO keeps its 70 characters for readers that know only it; the whole
  // text, and whether the order was already as asked by an earlier action
  // (IDJAFEITO "S"), come after it.
  static const Layout l = {text("CDFILIAL", 4), text("NRPEDIDO", 10),     text("IDSITPEDIDO", 1),
                           text("DSERRO", 70),  text("DSERROCOMPL", 500), text("IDJAFEITO", 1)};
  return l;
}

const Layout& irregularStock() {
  static const Layout l = {text("CDPRODUTO", 10),   text("CDARVPROD", 20),   text("NMPRODUTO", 50),
                           text("CDALMOXARIFE", 6), text("CDLOCALESTOQ", 6), text("NRLOTEESTQ", 20),
                           text("NRSUBLOTE", 4),    number("QTESTOQUE"),     number("QTMOVIMENTO"),
                           number("QTFINAL")};
  return l;
}

// NRHISTLIQ: an exclusion's reversed settlement (its NRHISTORICO), null for
// a settlement.
const Layout& orderHistory() {
  static const Layout l = {integer("NRHISTORICO"),  date("DTOPERACAO"),       text("CDOPERADOR", 12),
                           text("NMOPERADOR", 50),  text("IDOPERACAO", 1),    text("NRITEMPED", 10),
                           text("CDARVPROD", 20),   text("NMPRODUTO", 50),    number("QTITEMPED"),
                           text("SGUNIDADE", 10),   text("IDSITANTERIOR", 1), text("IDSITNOVA", 1),
                           text("CDJUSTEXCHIS", 4), text("DSJUSTEXCHIS", 40), integer("NRHISTLIQ")};
  return l;
}

// QTMOVIMENTO: the quantity taken, positive.
const Layout& historyPositions() {
  static const Layout l = {integer("NRHISTORICO"),  text("CDALMOXARIFE", 6),  text("DSALMOXARIFE", 30),
                           text("CDLOCALESTOQ", 6), text("DSLOCALESTOQ", 30), text("NRLOTEESTQ", 20),
                           text("NRSUBLOTE", 4),    number("QTMOVIMENTO")};
  return l;
}

Layout fieldsOf(const Layout& layout, std::initializer_list<std::string_view> names) {
  Layout out;
  for (const std::string_view name : names) {
    const auto it = std::find_if(layout.begin(), layout.end(), [&](const engine::FieldSpec& f) {
      return engine::text::equalsIgnoreCase(f.name, name);
    });
    if (it == layout.end()) throw std::logic_error("campo fora do leiaute: " + std::string(name));
    out.push_back(*it);
  }
  return out;
}

}  // namespace ped::domain::layouts
