// Draws the editor's interface bitmaps into res/: every icon in its selected
// and unselected look, the panel and magnifier tiles, the function-key labels
// and the window icon. Run it again after changing a label or the style:
//   build/tools/make_artwork res
#include <cstdio>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "platform/glyphs.h"
#include "platform/text_encoding.h"

namespace kumodo {
namespace {

// The style, in 0x00BBGGRR.
constexpr Rgb kFace = 0xC8C8C8;
constexpr Rgb kLight = 0xFFFFFF;
constexpr Rgb kShade = 0x808080;
constexpr Rgb kDark = 0x404040;
constexpr Rgb kText = 0x000000;
constexpr Rgb kSelectedFace = 0x804000;  // deep blue
constexpr Rgb kSelectedText = 0xFFFFFF;
constexpr Rgb kPanel = 0xDBEBEF;         // the panel background the program blanks with
constexpr Rgb kPanelGrain = 0xD3E3E7;

struct Icon {
  const char* file;
  const char* label;  // UTF-8
  int width;
  int height;
};

constexpr int kColumnWidth = 72;  // icons of the right-hand column
constexpr int kRowHeight = 18;    // settings (y 8) and open (y 26) stand 18 apart

const Icon kIcons[] = {
    {"icon0-0.bmp", "下絵1", kColumnWidth, kRowHeight},  {"icon0-1.bmp", "下絵2", kColumnWidth, kRowHeight},
    {"icon0-2.bmp", "下絵なし", kColumnWidth, kRowHeight}, {"icon0-3.bmp", "半透明", kColumnWidth, kRowHeight},
    {"icon1-1.bmp", "直線", kColumnWidth, 20},           {"icon1-2.bmp", "連続線", kColumnWidth, 20},
    {"icon1-3.bmp", "ペイント", kColumnWidth, 20},       {"icon1-4.bmp", "タイル", kColumnWidth, 20},
    {"icon1-5.bmp", "2色線", kColumnWidth, 20},          {"icon1-6.bmp", "点", kColumnWidth, 20},
    {"icon1-7.bmp", "輪郭", kColumnWidth, 20},           {"icon4-1.bmp", "開く", kColumnWidth, kRowHeight},
    {"icon5-1.bmp", "保存", kColumnWidth, kRowHeight},   {"icon4-2.bmp", "画像", kColumnWidth, kRowHeight},
    {"icon7-1.bmp", "設定", kColumnWidth, kRowHeight},   {"icon6-1.bmp", "元に戻す", kColumnWidth, 24},
    {"icon4-3.bmp", "表示", 40, kRowHeight},             {"icon4-4.bmp", "隠す", 40, kRowHeight},
    {"iconz-1.bmp", "×1", 30, 20},                       {"iconz-2.bmp", "×2", 30, 20},
    {"iconz-3.bmp", "×4", 30, 20},                       {"iconz-4.bmp", "×8", 30, 20},
    {"icon8-1.bmp", "400ライン", 100, 26},               {"icon8-2.bmp", "200ライン", 100, 26},
    {"icon11-1.bmp", "そのまま", 100, 26},               {"icon11-2.bmp", "半分", 100, 26},
    {"icon9-1.bmp", "あり", 100, 26},                    {"icon9-2.bmp", "なし", 100, 26},
    {"icon12-1.bmp", "OK", 100, 26},                     {"icon12-2.bmp", "キャンセル", 100, 26},
};

const char* const kKeyLabels[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F12"};

void Fill(Bitmap& bitmap, int x1, int y1, int x2, int y2, Rgb colour) {
  for (int y = y1; y <= y2; ++y) {
    for (int x = x1; x <= x2; ++x) {
      if (bitmap.Contains(x, y)) bitmap.At(x, y) = colour;
    }
  }
}

int TextWidth(const std::string& sjis) {
  int width = 0;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const bool wide = IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size();
    width += wide ? 2 * kCellWidth : kCellWidth;
    if (wide) ++i;
  }
  return width;
}

// Draws Shift-JIS text with its top-left corner at (left, top).
void DrawText(Bitmap& bitmap, GlyphSource& glyphs, const std::string& sjis, int left, int top, Rgb colour) {
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    std::uint16_t code = static_cast<unsigned char>(sjis[i]);
    if (IsSjisLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size()) {
      code = static_cast<std::uint16_t>(code << 8 | static_cast<unsigned char>(sjis[++i]));
    }
    const GlyphMask& glyph = glyphs.Glyph(code);
    for (int y = 0; y < kCellHeight; ++y) {
      for (int x = 0; x < glyph.width; ++x) {
        if (glyph.InkAt(x, y) && bitmap.Contains(left + x, top + y)) bitmap.At(left + x, top + y) = colour;
      }
    }
    left += glyph.width;
  }
}

// A raised button, or a pressed one in the selected colours.
Bitmap Button(GlyphSource& glyphs, const Icon& icon, bool selected) {
  const int w = icon.width;
  const int h = icon.height;
  Bitmap bitmap(w, h, selected ? kSelectedFace : kFace);
  const Rgb topLeft = selected ? kDark : kLight;
  const Rgb bottomRight = selected ? kLight : kDark;
  Fill(bitmap, 0, 0, w - 1, 0, topLeft);
  Fill(bitmap, 0, 0, 0, h - 1, topLeft);
  Fill(bitmap, 0, h - 1, w - 1, h - 1, bottomRight);
  Fill(bitmap, w - 1, 0, w - 1, h - 1, bottomRight);
  if (!selected) {
    Fill(bitmap, 1, h - 2, w - 2, h - 2, kShade);
    Fill(bitmap, w - 2, 1, w - 2, h - 2, kShade);
  }
  const std::string label = Utf8ToSjis(icon.label);
  const int shift = selected ? 1 : 0;  // a pressed label moves down and right
  DrawText(bitmap, glyphs, label, (w - TextWidth(label)) / 2 + shift, (h - kCellHeight) / 2 + shift,
           selected ? kSelectedText : kText);
  return bitmap;
}

Bitmap KeyLabel(GlyphSource& glyphs, const std::string& key) {
  const int w = TextWidth(key) + 4;
  Bitmap bitmap(w, kRowHeight, kPanel);
  Fill(bitmap, 0, 0, w - 1, 0, kShade);
  Fill(bitmap, 0, kRowHeight - 1, w - 1, kRowHeight - 1, kShade);
  Fill(bitmap, 0, 0, 0, kRowHeight - 1, kShade);
  Fill(bitmap, w - 1, 0, w - 1, kRowHeight - 1, kShade);
  DrawText(bitmap, glyphs, key, 2, 1, kDark);
  return bitmap;
}

Bitmap PanelTile() {
  Bitmap bitmap(16, 16, kPanel);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if ((x + 2 * y) % 8 == 0) bitmap.At(x, y) = kPanelGrain;
    }
  }
  return bitmap;
}

// The magnifier's cells outside the picture: a dark hatch.
Bitmap OutsideCell() {
  Bitmap bitmap(8, 8, 0x505050);
  for (int i = 0; i < 8; ++i) bitmap.At(i, 7 - i) = 0x707070;
  return bitmap;
}

// Lines in the eight colours on black, as the program draws.
Bitmap WindowIcon() {
  const Rgb colours[] = {0xFF0000, 0x0000FF, 0xFF00FF, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF};
  Bitmap bitmap(32, 32, 0);
  for (int i = 0; i < 7; ++i) {
    for (int t = 0; t < 24; ++t) {
      const int x = 4 + t;
      const int y = 4 + i * 3 + t / 8;
      bitmap.At(x, y) = colours[i];
    }
  }
  Fill(bitmap, 0, 0, 31, 0, 0xFFFFFF);
  Fill(bitmap, 0, 31, 31, 31, 0xFFFFFF);
  Fill(bitmap, 0, 0, 0, 31, 0xFFFFFF);
  Fill(bitmap, 31, 0, 31, 31, 0xFFFFFF);
  return bitmap;
}

void Put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A plain 24-bit BMP, bottom row first.
bool WriteBmp(const std::string& path, const Bitmap& bitmap) {
  const int rowBytes = (bitmap.width * 3 + 3) & ~3;
  const std::size_t size = 54 + static_cast<std::size_t>(rowBytes) * bitmap.height;
  std::vector<unsigned char> bytes(size, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<std::uint32_t>(size));
  Put32(bytes, 10, 54);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<std::uint32_t>(bitmap.width));
  Put32(bytes, 22, static_cast<std::uint32_t>(bitmap.height));
  bytes[26] = 1;
  bytes[28] = 24;
  Put32(bytes, 34, static_cast<std::uint32_t>(rowBytes * bitmap.height));
  for (int y = 0; y < bitmap.height; ++y) {
    unsigned char* row = &bytes[54 + static_cast<std::size_t>(bitmap.height - 1 - y) * rowBytes];
    for (int x = 0; x < bitmap.width; ++x) {
      const Rgb pixel = bitmap.At(x, y);
      row[3 * x] = static_cast<unsigned char>(pixel >> 16);
      row[3 * x + 1] = static_cast<unsigned char>(pixel >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(pixel);
    }
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace
}  // namespace kumodo

int main(int argc, char** argv) {
  using namespace kumodo;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  GlyphSource glyphs;
  if (!glyphs.HasFont()) {
    std::fprintf(stderr, "make_artwork: the Japanese Gothic font is missing (run scripts/setup)\n");
    return 1;
  }
  const std::string folder = std::string(argv[1]) + "/";
  bool ok = true;
  for (const Icon& icon : kIcons) {
    ok = WriteBmp(folder + icon.file, Button(glyphs, icon, true)) && ok;
    ok = WriteBmp(folder + "n" + icon.file, Button(glyphs, icon, false)) && ok;
  }
  for (const char* key : kKeyLabels) ok = WriteBmp(folder + key + ".bmp", KeyLabel(glyphs, key)) && ok;
  ok = WriteBmp(folder + "screen.bmp", PanelTile()) && ok;
  ok = WriteBmp(folder + "screen2.bmp", OutsideCell()) && ok;
  ok = WriteBmp(folder + "kumodo-icon.bmp", WindowIcon()) && ok;
  if (!ok) std::fprintf(stderr, "make_artwork: could not write into %s\n", folder.c_str());
  return ok ? 0 : 1;
}
