#include "domain/code_width.h"

#include "engine/text.h"

namespace ped::domain {

std::string adjustCode(std::string_view code, std::size_t width) {
  while (!code.empty() && (code.front() == ' ' || code.front() == '\t')) code.remove_prefix(1);
  while (!code.empty() && (code.back() == ' ' || code.back() == '\t')) code.remove_suffix(1);
  if (code.empty()) return {};
  const std::size_t chars = engine::text::length(code);
  if (chars >= width) return std::string(code);
  return std::string(width - chars, '0') + std::string(code);
}

}  // namespace ped::domain
