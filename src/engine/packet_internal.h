#pragma once
// Pieces the packet reader and writer share.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/packet.h"
#include "engine/text.h"

namespace ped::engine::packet_internal {

// A text quoted for a message, cut short whatever arrives.
inline std::string shown(std::string_view s) {
  constexpr std::size_t kShown = 40;
  std::string out = "'";
  const std::string_view cut = text::truncate(s, kShown);
  out.append(cut);
  if (cut.size() < s.size()) out += "...";
  out += '\'';
  return out;
}

// decodePacket through the full parser only, whatever the packet's form: what
// the one-pass reader is checked against.
Table decodeWithDocument(std::string_view json, std::vector<FieldSpec>& layout);

constexpr std::uint64_t kOnes = 0x0101'0101'0101'0101ULL;
constexpr std::uint64_t kHigh = 0x8080'8080'8080'8080ULL;

inline std::uint64_t zeroBytes(std::uint64_t w) { return (w - kOnes) & ~w & kHigh; }

// High bit set in each byte that a JSON string cannot carry as it is (quote,
// backslash, control character) or that is non-ASCII. Bits above the lowest
// one may be false alarms; the lowest one is exact.
inline std::uint64_t specialBytes(std::uint64_t w) {
  return ((w - kOnes * 0x20) & ~w & kHigh) | (w & kHigh) | zeroBytes(w ^ (kOnes * '"')) |
         zeroBytes(w ^ (kOnes * '\\'));
}

}  // namespace ped::engine::packet_internal
