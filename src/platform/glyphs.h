#pragma once
// Character shapes for the text layer: a fixed-pitch Japanese Gothic font at
// 16 pixels, half-width characters one 8-pixel cell, double-byte characters two.
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace kumodo {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

struct GlyphMask {
  int width = kCellWidth;  // 8 for a single-byte character, 16 for a double-byte one
  std::array<std::uint8_t, 2 * kCellWidth * kCellHeight> ink{};  // row-major, stride 16

  bool InkAt(int x, int y) const { return ink[y * 2 * kCellWidth + x] != 0; }
};

class GlyphSource {
 public:
  GlyphSource();
  ~GlyphSource();
  GlyphSource(const GlyphSource&) = delete;
  GlyphSource& operator=(const GlyphSource&) = delete;

  // False when no usable font was found; glyphs are then blank.
  bool HasFont() const;
  // code: a single byte, or lead byte << 8 | trail byte of a double-byte character.
  const GlyphMask& Glyph(std::uint16_t sjisCode) {
    auto found = cache_.find(sjisCode);
    if (found != cache_.end()) return found->second;
    return cache_.emplace(sjisCode, Render(sjisCode)).first->second;
  }

 private:
  // Each system draws characters its own way.
  struct Impl;
  GlyphMask Render(std::uint16_t sjisCode);

  std::unique_ptr<Impl> impl_;
  std::unordered_map<std::uint16_t, GlyphMask> cache_;
};

}  // namespace kumodo
