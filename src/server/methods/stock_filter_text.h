#pragma once
// The text that says which allocation rows a stock movement applies to. Only
// two forms are accepted, and they are parsed, never handed to SQL:
//   NRPEDIDO IN ('12','15')                       whole orders
//   (NRPEDIDO = '12') AND (NRITEMPED IN ('1','2')) items of one order
// Values are quoted with '' for a quote inside; blanks between tokens and the
// case of the keywords do not matter.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ped::server {

struct StockSelection {
  std::vector<std::string> orders;                // at least one
  std::optional<std::vector<std::string>> items;  // item form: the items of orders[0]
};

// Throws ServiceError for anything else.
StockSelection parseStockFilter(std::string_view text);

}  // namespace ped::server
