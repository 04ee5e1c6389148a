#include "platform/glyphs.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/text_encoding.h"

namespace kumodo {
namespace {

std::string FindFontFile() {
  if (!FcInit()) return {};
  std::string path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAGothic:lang=ja:spacing=mono"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      path = reinterpret_cast<const char*>(file);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

char32_t DecodeCodePoint(std::uint16_t sjisCode) {
  std::string bytes;
  if (sjisCode > 0xFF) bytes.push_back(static_cast<char>(sjisCode >> 8));
  bytes.push_back(static_cast<char>(sjisCode & 0xFF));
  std::string utf8 = SjisToUtf8(bytes);
  // Decode the first UTF-8 sequence.
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.empty()) return U'?';
  if (b(0) < 0x80) return b(0);
  if ((b(0) & 0xE0) == 0xC0 && utf8.size() >= 2) return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if ((b(0) & 0xF0) == 0xE0 && utf8.size() >= 3)
    return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  if ((b(0) & 0xF8) == 0xF0 && utf8.size() >= 4)
    return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  return U'?';
}

}  // namespace

struct GlyphSource::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int baseline = 14;

  GlyphMask Render(std::uint16_t code) {
    GlyphMask mask;
    mask.width = code > 0xFF ? 2 * kCellWidth : kCellWidth;
    if (!face) return mask;
    char32_t codePoint = DecodeCodePoint(code);
    // Monochrome rendering keeps every text pixel an exact palette colour.
    if (FT_Load_Char(face, codePoint, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
      return mask;
    }
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    const int left = face->glyph->bitmap_left;
    const int top = baseline - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
      for (unsigned column = 0; column < bitmap.width; ++column) {
        if (!(line[column / 8] & (0x80 >> (column % 8)))) continue;
        int x = left + static_cast<int>(column);
        int y = top + static_cast<int>(row);
        if (x >= 0 && x < mask.width && y >= 0 && y < kCellHeight) mask.ink[y * 2 * kCellWidth + x] = 1;
      }
    }
    return mask;
  }
};

GlyphSource::GlyphSource() : impl_(std::make_unique<Impl>()) {
  std::string file = FindFontFile();
  if (file.empty() || FT_Init_FreeType(&impl_->library) != 0) return;
  if (FT_New_Face(impl_->library, file.c_str(), 0, &impl_->face) != 0) {
    impl_->face = nullptr;
    return;
  }
  FT_Set_Pixel_Sizes(impl_->face, 0, kCellHeight);
  impl_->baseline = static_cast<int>((impl_->face->size->metrics.ascender + 32) >> 6);
}

GlyphSource::~GlyphSource() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool GlyphSource::HasFont() const { return impl_->face != nullptr; }

GlyphMask GlyphSource::Render(std::uint16_t sjisCode) { return impl_->Render(sjisCode); }

}  // namespace kumodo
