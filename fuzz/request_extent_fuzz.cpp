// Where a request ends, on arbitrary bytes fed in two pieces: the measure of
// the whole never depends on how it arrived, and never reaches past it.

#include <cstdint>
#include <string_view>

#include "server/http/request_extent.h"

using ped::server::measureRequest;
using ped::server::RequestExtent;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  constexpr std::size_t kHead = 512, kBody = 4096;
  std::size_t scanned = 0;
  const RequestExtent whole = measureRequest(bytes, scanned, kHead, kBody);
  std::size_t pieceScan = 0;
  measureRequest(bytes.substr(0, size / 2), pieceScan, kHead, kBody);
  const RequestExtent pieces = measureRequest(bytes, pieceScan, kHead, kBody);
  if (whole.state != pieces.state || whole.bytes != pieces.bytes || whole.bodyUnread != pieces.bodyUnread)
    __builtin_trap();
  if (whole.state == RequestExtent::State::Complete && whole.bytes > size) __builtin_trap();
  return 0;
}
