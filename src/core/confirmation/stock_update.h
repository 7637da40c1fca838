#pragma once
// The stock movement a liquidation sends first, when the order parameters
// say settling moves stock: the allocation rows and the text naming which
// of them apply.

#include <string>

#include "core/confirmation/confirmation_run.h"
#include "engine/data_set.h"

namespace ped::core {

// NRPEDIDO IN ('a','b'): the orders marked "S", in list order, each value
// quoted with any quote inside it doubled.
std::string orderStockFilter(const engine::DataSet& orders);

// (NRPEDIDO = 'x') AND (NRITEMPED IN ('1','2')): the current item's order and
// the items marked "S", in list order, quoted the same way.
// REQUIRES: `items` has a current row.
std::string itemStockFilter(const engine::DataSet& items);

// AtualizaEstoque with the whole allocation data set and `filter`. When the
// server answers positions that would become irregular, the window is
// thawed, the busy indicator taken down, "Irreg_Estq" shown and the
// operation aborted: nothing is settled and the marks stay.
void updateStock(ConfirmationRun& run, const std::string& filter);

}  // namespace ped::core
