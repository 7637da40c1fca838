#pragma once
// The packets the remote methods exchange: field names, types and text sizes
// in their order. The server answers with these layouts and reads the
// client's packets with them; the screen builds its data sets' data fields
// from them (adding labels, display widths and calculated fields), so the two
// cannot drift apart. Each layout is built once and lives for the program.

#include <initializer_list>
#include <string_view>
#include <vector>

#include "engine/packet.h"

namespace ped::domain::layouts {

using Layout = std::vector<engine::FieldSpec>;

const Layout& orders();              // GetPedidos [2], SetLiquidaPed: cdsPedido
const Layout& orderItems();          // GetItem, SetLiquidaItem, SetDesfazLiq: cdsItemPedido
const Layout& allItemStatuses();     // GetItSemFiltro: cdsItemPedidoSemFiltro
const Layout& itemsOfOrders();       // GetItensPedidos: the items a walk over the orders checks
const Layout& orderParameters();     // GetParam [0], GetPedidos [1]: cdsParamPedido
const Layout& branchParameters();    // GetPedidos [0]: cdsParamFilial
const Layout& operatorsSeeingAll();  // GetParam [1]: cdsOperTPed
const Layout& operatorSeller();      // GetParam [2]: cdsVendLog
const Layout& orderNumbers();        // GetNrPedido: the order-number pick list
const Layout& stockAllocation();     // GetEvolEstq, AtualizaEstoque: cdsEvolEst and cdsEvolEstAux
const Layout& stockPositions();      // GetPosEstq: cdsPesqEvolEst
const Layout& orderErrors();         // per-order errors of a confirmation: cdsErro
const Layout& irregularStock();      // positions a stock movement would drive below zero
const Layout& orderHistory();        // GetHistorico [0]: settlements and exclusions, newest first
const Layout& historyPositions();    // GetHistorico [1]: the positions each settlement took

// The fields of `layout` named in `names`, in that order: what a method reads
// of a packet the client sent. Throws std::logic_error for a name the layout
// lacks.
Layout fieldsOf(const Layout& layout, std::initializer_list<std::string_view> names);

}  // namespace ped::domain::layouts
