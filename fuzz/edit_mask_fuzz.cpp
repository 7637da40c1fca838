// Edit masks: the mask text up to the first newline, a value after it.
// Every operation on any mask and value, never a crash; formatting keeps
// within the mask's positions.

#include <cstdint>
#include <string_view>

#include "hostlib/edit_mask.h"

using namespace ped::hostlib;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view mask = input.substr(0, newline);
  const std::string_view value =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  const EditMask m(mask);
  const std::string shown = m.format(value);
  if (!m.empty() && toCodePoints(shown).size() != m.positions()) __builtin_trap();
  m.valueOf(shown);
  m.valueOf(value);
  m.complete(value);
  const std::u32string typed = toCodePoints(value);
  for (std::size_t i = 0; i < m.positions() && i < typed.size(); ++i)
    if (m.accepts(i, typed[i])) m.convert(i, typed[i]);
  formatMaskText(mask, value);
  toUtf8(typed);
  return 0;
}
