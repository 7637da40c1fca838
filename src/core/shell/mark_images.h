#pragma once
// The three 16 × 16 check-box pictures of the mark columns (imgCheck,
// imgUncheck, imgDescheck), pixel for pixel.

#include <array>
#include <cstdint>

namespace ped::core {

struct MarkImage {
  static constexpr int kSize = 16;
  // Pixels drawn in this colour let the cell's background show through.
  static constexpr std::uint32_t kTransparent = 0x808000;  // olive

  // 0xRRGGBB of the pixel at column x, row y (both from 0, top left).
  std::uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y * kSize + x)]; }
  bool transparent(int x, int y) const { return pixel(x, y) == kTransparent; }

  std::array<std::uint32_t, kSize * kSize> pixels{};
};

const MarkImage& imgCheck();
const MarkImage& imgUncheck();
const MarkImage& imgDescheck();

}  // namespace ped::core
