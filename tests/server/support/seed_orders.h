#pragma once
// A small, fixed set of branches, operators (password "senha"), orders,
// items and stock, the ground the server's method tests stand on.
//
// Branch 0001 ties operators to their seller and moves stock on manual
// settlement (warehouse ALM01, location LC01, lots L1, LV expired, LH
// expiring today, L2); branch 0003 does neither. GERENTE sees every seller
// on 0001, VEND1 is tied to seller 0001, SEMVEND has no seller.

#include "sql/connection.h"

namespace ped::server {
void seedOrders(sql::Connection& db);
}
