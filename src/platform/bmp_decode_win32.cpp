#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/picture_decode.h"
#include "platform/win32_bitmap.h"

namespace kumodo {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Walks run-length coded pixels to their end-of-picture code; false when the
// data ends first (the file was cut short) or a code is malformed.
bool RunLengthDataComplete(std::span<const std::uint8_t> data, bool fourBit) {
  std::size_t at = 0;
  while (at + 2 <= data.size()) {
    const std::uint8_t count = data[at];
    const std::uint8_t code = data[at + 1];
    at += 2;
    if (count != 0 || code == 0) continue;  // a run, or the end of a row
    if (code == 1) return true;             // the end of the picture
    if (code == 2) {                        // a move: two more bytes
      at += 2;
      continue;
    }
    // Literal pixels, padded to a whole number of 16-bit words.
    const std::size_t bytes = fourBit ? (code + 1u) / 2 : code;
    at += (bytes + 1) & ~std::size_t{1};
  }
  return false;
}

// GDI is handed copies padded beyond what the header claims, and coded
// pixels known to end within the file, so that no header, however it lies,
// makes it read past the file's bytes.
struct GdiInput {
  std::vector<std::uint8_t> info;
  std::vector<std::uint8_t> bits;
  int width = 0;
  int height = 0;
};

bool PrepareInput(std::span<const std::uint8_t> bytes, GdiInput& input) {
  const std::uint32_t headerSize = ReadLe32(&bytes[kFileHeaderBytes]);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124) {
    return false;
  }
  // The header, room for bit masks and a full 256-entry colour table.
  input.info.assign(headerSize + 16 + 256 * 4, 0);
  const std::size_t available = std::min(input.info.size(), bytes.size() - kFileHeaderBytes);
  std::memcpy(input.info.data(), &bytes[kFileHeaderBytes], available);
  std::uint32_t compression = BI_RGB;
  if (headerSize == 12) {
    const auto* core = reinterpret_cast<const BITMAPCOREHEADER*>(input.info.data());
    input.width = core->bcWidth;
    input.height = core->bcHeight;
  } else {
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(input.info.data());
    if (header->biClrUsed > 256) header->biClrUsed = 0;
    compression = header->biCompression;
    input.width = header->biWidth;
    input.height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  }
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (!rle && compression != BI_RGB && compression != BI_BITFIELDS && compression != 6) return false;
  const std::uint32_t offset = ReadLe32(&bytes[10]);
  if (offset > bytes.size()) return false;
  input.bits.assign(bytes.begin() + offset, bytes.end());
  if (rle) {
    if (!RunLengthDataComplete(input.bits, compression == BI_RLE4)) return false;
    reinterpret_cast<BITMAPINFOHEADER*>(input.info.data())->biSizeImage = static_cast<DWORD>(input.bits.size());
  }
  return true;
}

}  // namespace

// The system draws the file's pixels into a 32-bit bitmap of ours, which
// takes every depth, colour table, run-length coding and row order it knows.
bool DecodeBmp(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit) {
  // Also checks the size against the limits.
  if (!BmpHeaderPlausible(bytes, limit)) return false;
  GdiInput input;
  if (!PrepareInput(bytes, input)) return false;
  BITMAPINFO targetInfo = TopDownInfo(input.width, input.height);
  void* targetBits = nullptr;
  HBITMAP target = CreateDIBSection(nullptr, &targetInfo, DIB_RGB_COLORS, &targetBits, nullptr, 0);
  if (!target) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, target);
  const int rows = SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(input.width), static_cast<DWORD>(input.height), 0,
                                     0, 0, static_cast<UINT>(input.height), input.bits.data(),
                                     reinterpret_cast<const BITMAPINFO*>(input.info.data()), DIB_RGB_COLORS);
  SelectObject(dc, previous);
  DeleteDC(dc);
  const bool decoded = rows > 0 && ReadSystemBitmap(target, out, limit);
  DeleteObject(target);
  return decoded;
}

}  // namespace kumodo
