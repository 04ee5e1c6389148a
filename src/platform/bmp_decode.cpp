#include "platform/picture_decode.h"

#include <SDL.h>

namespace kumodo {

bool DecodeBmp(std::span<const std::uint8_t> bytes, Bitmap& out, PictureLimit limit) {
  if (!BmpHeaderPlausible(bytes, limit)) return false;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return false;
  SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
  if (!loaded) return false;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XBGR8888, 0);
  SDL_FreeSurface(loaded);
  if (!converted) return false;
  out = Bitmap(converted->w, converted->h);
  SDL_LockSurface(converted);
  for (int y = 0; y < converted->h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(converted->pixels) +
                                                             static_cast<std::ptrdiff_t>(y) * converted->pitch);
    for (int x = 0; x < converted->w; ++x) out.At(x, y) = row[x] & 0x00FFFFFF;
  }
  SDL_UnlockSurface(converted);
  SDL_FreeSurface(converted);
  return true;
}

}  // namespace kumodo
