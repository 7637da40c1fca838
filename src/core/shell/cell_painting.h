#pragma once
// What one painted grid cell looks like, decided by the screen and drawn by
// the toolkit as it is: the toolkit adds nothing but fonts and pixels.

#include <cstdint>
#include <string>

#include "core/shell/mark_images.h"

namespace ped::core {

// A colour: a fixed RGB, or one of the system colours the platform maps to
// its own (tooltip background, highlight, active caption text).
struct CellColour {
  enum class Kind : std::uint8_t { Rgb, InfoBk, Highlight, CaptionText };
  Kind kind = Kind::Rgb;
  std::uint32_t rgb = 0;  // 0xRRGGBB, for Kind::Rgb

  static constexpr CellColour fixed(std::uint32_t rgb) { return {Kind::Rgb, rgb}; }
  friend bool operator==(const CellColour&, const CellColour&) = default;
};

inline constexpr CellColour clInfoBk{CellColour::Kind::InfoBk};
inline constexpr CellColour clHighlight{CellColour::Kind::Highlight};
inline constexpr CellColour clCaptionText{CellColour::Kind::CaptionText};
inline constexpr CellColour clBlue = CellColour::fixed(0x0000FF);
inline constexpr CellColour clOlive = CellColour::fixed(0x808000);
inline constexpr CellColour clGray = CellColour::fixed(0x808080);
inline constexpr CellColour clGreen = CellColour::fixed(0x008000);
inline constexpr CellColour clPurple = CellColour::fixed(0x800080);
inline constexpr CellColour clRed = CellColour::fixed(0xFF0000);
inline constexpr CellColour clTeal = CellColour::fixed(0x008080);

// How the grid asks for a cell.
struct CellState {
  bool selected = false;
  bool focused = false;
};

enum class TextAlignment : std::uint8_t { Left, Right };

struct CellPainting {
  CellColour background = clInfoBk;  // fills the whole cell
  CellColour textColour;
  std::string text;  // UTF-8; empty: nothing drawn
  // Left: the text starts this far right of the cell's left edge. Right: it
  // ends this far inside the right edge (the toolkit knows the text's width).
  int textOffset = 2;
  int textTop = 2;  // below the cell's top
  TextAlignment alignment = TextAlignment::Left;
  // Drawn after the text at (imageLeft, cell top), cut to the cell's height;
  // its transparent pixels show the background.
  const MarkImage* image = nullptr;
  int imageLeft = 1;
  bool focusRect = false;  // a focus rectangle around the cell

  friend bool operator==(const CellPainting&, const CellPainting&) = default;
};

}  // namespace ped::core
