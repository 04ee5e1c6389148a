#pragma once
#include "platform/bitmap.h"

namespace kumodo {

// The eight digital colours: bit 0 of the index is blue, bit 1 red, bit 2
// green, each at full intensity. Any other index is black.
constexpr Rgb PaletteColour(int index) {
  if (index < 0 || index > 7) return 0;
  return ((index & 2) ? 0x0000FFu : 0) | ((index & 4) ? 0x00FF00u : 0) | ((index & 1) ? 0xFF0000u : 0);
}

// Interface colours of the panels and scroll bars.
constexpr Rgb kPanelBackground = 0xDBEBEF;
constexpr Rgb kScrollTrough = 0xE3E7EC;
constexpr Rgb kThumbEdge = 0xC8D0DA;
constexpr Rgb kFrame = 0x808080;
constexpr Rgb kShadow = 0x404040;

}  // namespace kumodo
