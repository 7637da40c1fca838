// The stock filter text of AtualizaEstoque, sent by the client: a
// ServiceError or a selection of at least one order, never a crash.

#include <cstdint>
#include <string_view>

#include "server/methods/service_error.h"
#include "server/methods/stock_filter_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto selection =
        ped::server::parseStockFilter(std::string_view(reinterpret_cast<const char*>(data), size));
    if (selection.orders.empty()) __builtin_trap();
    if (selection.items && (selection.orders.size() != 1 || selection.items->empty())) __builtin_trap();
  } catch (const ped::server::ServiceError&) {
  }
  return 0;
}
