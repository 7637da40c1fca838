#pragma once
// The packet layouts the screen's data sets expect: field names, types and
// sizes are the contract with the client; the server fills them by column
// name from its queries.

#include <vector>

#include "engine/packet.h"

namespace ped::server::layouts {

using Layout = std::vector<engine::FieldSpec>;

const Layout& pedido();          // order list
const Layout& itemPedido();      // items of an order
const Layout& itemSemFiltro();   // statuses of all items of an order
const Layout& paramPedido();     // order parameters of a branch
const Layout& paramFilial();     // branch parameters
const Layout& vendedorLogado();  // the operator's seller
const Layout& operadores();      // operators who see every seller
const Layout& nrPedido();        // order numbers for the pick list
const Layout& evolEstoque();     // stock allocation rows
const Layout& posicaoEstoque();  // stock positions for look-ups
const Layout& erro();            // per-order errors of a confirmation
const Layout& estoqueIrregular();  // positions a stock movement would drive below zero

}  // namespace ped::server::layouts
