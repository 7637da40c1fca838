#pragma once
// The order query as the filter dialog last confirmed it: its 20 arguments
// on the wire, and its three packets into the main screen's data sets.

#include "engine/data_set.h"
#include "hostlib/remote_result.h"

namespace ped::core {

class TfrmLiquidaItem;

// Loads a GetPedidos payload: [0] cdsParamFilial, [1] cdsParamPedido,
// [2] cdsPedido, in that order. A missing or unreadable packet changes none
// of them: the failure is shown and aborts.
void loadOrderQuery(TfrmLiquidaItem& screen, const hostlib::RemoteResult& payload);

// Loads the one packet of `method`'s payload into `into`; a missing or
// unreadable packet leaves it as it was, is shown, and aborts.
void loadPayload(TfrmLiquidaItem& screen, engine::DataSet& into, const hostlib::RemoteResult& payload,
                 const char* method);

}  // namespace ped::core
