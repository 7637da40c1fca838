#include "core/shell/mark_images.h"

#include <cstddef>

namespace ped::core {
namespace {

// One character a pixel: '.' transparent olive, '#' black, '+' light grey,
// 'w' white. The box has a black top and left edge and a grey shadow one
// transparent pixel away on the right and at the bottom.
using Art = std::array<const char[MarkImage::kSize + 1], MarkImage::kSize>;

constexpr Art kCheck = {
    "................", ".............+..", "..##########.+..", "..#wwwwwwwww.+..",
    "..#wwwwwww#w.+..", "..#wwwwww##w.+..", "..#w#www###w.+..", "..#w##w###ww.+..",
    "..#w#####www.+..", "..#ww###wwww.+..", "..#www#wwwww.+..", "..#wwwwwwwww.+..",
    ".............+..", ".+++++++++++++..", "................", "................",
};

constexpr Art kUncheck = {
    "................", ".............+..", "..##########.+..", "..#wwwwwwwww.+..",
    "..#wwwwwwwww.+..", "..#wwwwwwwww.+..", "..#wwwwwwwww.+..", "..#wwwwwwwww.+..",
    "..#wwwwwwwww.+..", "..#wwwwwwwww.+..", "..#wwwwwwwww.+..", "..#wwwwwwwww.+..",
    ".............+..", ".+++++++++++++..", "................", "................",
};

// A greyed box: the row cannot be marked.
constexpr Art kDescheck = {
    "................", ".............+..", "..##########.+..", "..#+++++++++.+..",
    "..#+++++++++.+..", "..#+++++++++.+..", "..#+++++++++.+..", "..#+++++++++.+..",
    "..#+++++++++.+..", "..#+++++++++.+..", "..#+++++++++.+..", "..#+++++++++.+..",
    ".............+..", ".+++++++++++++..", "................", "................",
};

std::uint32_t colourOf(char c) {
  switch (c) {
    case '#':
      return 0x000000;
    case '+':
      return 0xC0C0C0;
    case 'w':
      return 0xFFFFFF;
    default:
      return MarkImage::kTransparent;
  }
}

MarkImage fromArt(const Art& art) {
  MarkImage image;
  for (int y = 0; y < MarkImage::kSize; ++y)
    for (int x = 0; x < MarkImage::kSize; ++x)
      image.pixels[static_cast<std::size_t>(y * MarkImage::kSize + x)] =
          colourOf(art[static_cast<std::size_t>(y)][x]);
  return image;
}

}  // namespace

const MarkImage& imgCheck() {
  static const MarkImage image = fromArt(kCheck);
  return image;
}

const MarkImage& imgUncheck() {
  static const MarkImage image = fromArt(kUncheck);
  return image;
}

const MarkImage& imgDescheck() {
  static const MarkImage image = fromArt(kDescheck);
  return image;
}

}  // namespace ped::core
