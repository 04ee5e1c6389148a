#include <windows.h>

#include "platform/glyphs.h"
#include "platform/win32_bitmap.h"
#include "platform/win32_text.h"

namespace kumodo {

// Each character is drawn by GDI, white on black and without smoothing, into
// a bitmap of two cells; its lit pixels are the glyph.
struct GlyphSource::Impl {
  HDC dc = nullptr;
  HFONT font = nullptr;
  HBITMAP target = nullptr;
  std::uint32_t* pixels = nullptr;

  GlyphMask Render(std::uint16_t code) {
    GlyphMask mask;
    mask.width = code > 0xFF ? 2 * kCellWidth : kCellWidth;
    if (!font) return mask;
    std::string sjis;
    if (code > 0xFF) sjis.push_back(static_cast<char>(code >> 8));
    sjis.push_back(static_cast<char>(code & 0xFF));
    const std::wstring wide = SjisToWide(sjis);
    RECT cell{0, 0, 2 * kCellWidth, kCellHeight};
    FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    TextOutW(dc, 0, 0, wide.c_str(), static_cast<int>(wide.size()));
    GdiFlush();
    for (int y = 0; y < kCellHeight; ++y) {
      for (int x = 0; x < mask.width; ++x) {
        const int at = y * 2 * kCellWidth + x;
        mask.ink[at] = (pixels[at] & 0xFFFFFF) != 0;
      }
    }
    return mask;
  }
};

GlyphSource::GlyphSource() : impl_(std::make_unique<Impl>()) {
  impl_->dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = TopDownInfo(2 * kCellWidth, kCellHeight);
  void* bits = nullptr;
  impl_->target = CreateDIBSection(impl_->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!impl_->dc || !impl_->target) return;
  impl_->pixels = static_cast<std::uint32_t*>(bits);
  SelectObject(impl_->dc, impl_->target);
  // The Japanese fixed-pitch system font; where it is missing the system
  // picks the nearest fixed-pitch font with Japanese characters.
  impl_->font = CreateFontW(kCellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FIXED_PITCH | FF_MODERN, L"MS Gothic");
  if (!impl_->font) return;
  SelectObject(impl_->dc, impl_->font);
  SetTextColor(impl_->dc, RGB(255, 255, 255));
  SetBkMode(impl_->dc, TRANSPARENT);
}

GlyphSource::~GlyphSource() {
  if (impl_->dc) DeleteDC(impl_->dc);
  if (impl_->target) DeleteObject(impl_->target);
  if (impl_->font) DeleteObject(impl_->font);
}

bool GlyphSource::HasFont() const { return impl_->font != nullptr; }

GlyphMask GlyphSource::Render(std::uint16_t sjisCode) { return impl_->Render(sjisCode); }

}  // namespace kumodo
