#pragma once
// The order query as the filter dialog last confirmed it: its 20 arguments
// on the wire, and its three packets into the main screen's data sets.

#include <vector>

#include "hostlib/remote_result.h"
#include "netclient/arg.h"

namespace ped::core {

class TfrmFiltroLiquidaItem;
class TfrmLiquidaItem;

// GetPedidos's arguments from the dialog's argument fields, in wire order.
// Dates travel as ISO text, no date (0) as null.
std::vector<netclient::Arg> getPedidosArgs(const TfrmFiltroLiquidaItem& filter);

// Loads a GetPedidos payload: [0] cdsParamFilial, [1] cdsParamPedido,
// [2] cdsPedido, in that order. Every packet is read first, so a bad answer
// changes none of them (the failure is shown and aborts).
void loadOrderQuery(TfrmLiquidaItem& screen, const hostlib::RemoteResult& payload);

}  // namespace ped::core
