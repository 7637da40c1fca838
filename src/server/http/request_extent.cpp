#include "server/http/request_extent.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace ped::server {
namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A Content-Length value: digits only; nullopt for anything else.
std::optional<std::size_t> length(std::string_view value) {
  value = trim(value);
  std::size_t n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return n;
}

}  // namespace

RequestExtent measureRequest(std::string_view data, std::size_t& scanFrom, std::size_t maxHeadBytes,
                             std::size_t maxBodyBytes) {
  RequestExtent extent;
  const std::string_view window = data.substr(0, std::min(data.size(), maxHeadBytes));
  const std::size_t from = scanFrom > 3 ? scanFrom - 3 : 0;
  const std::size_t end = window.find("\r\n\r\n", from);
  if (end == std::string_view::npos) {
    scanFrom = window.size();
    if (window.size() >= maxHeadBytes) extent.state = RequestExtent::State::HeadTooLarge;
    return extent;
  }
  const std::size_t headBytes = end + 4;
  const std::string_view head = data.substr(0, end);

  std::size_t lineEnd = head.find("\r\n");
  const std::string_view requestLine = head.substr(0, lineEnd);
  const std::string_view method = requestLine.substr(0, requestLine.find(' '));
  std::optional<std::size_t> contentLength;
  bool lengthSeen = false, badLength = false, transferEncoding = false;
  while (lineEnd != std::string_view::npos) {
    const std::size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string_view line =
        head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    if (equalsNoCase(name, "Content-Length")) {
      const auto n = length(line.substr(colon + 1));
      // Two lengths that differ leave the body's end in doubt.
      if (!n || (lengthSeen && contentLength != n)) badLength = true;
      contentLength = n;
      lengthSeen = true;
    } else if (equalsNoCase(name, "Transfer-Encoding")) {
      transferEncoding = true;
    }
  }

  const bool needsBody = method == "POST" || method == "PUT" || method == "PATCH";
  extent.bodyUnread = transferEncoding || badLength || (contentLength && *contentLength > maxBodyBytes) ||
                      (needsBody && !lengthSeen);
  extent.bytes = headBytes + (extent.bodyUnread || !contentLength ? 0 : *contentLength);
  if (data.size() >= extent.bytes) extent.state = RequestExtent::State::Complete;
  return extent;
}

}  // namespace ped::server
