// Makes the desktop's icons from the program's own 32 x 32 icon: PNG files
// of the sizes desktops ask for, by pixel replication, so that the pixel
// picture stays sharp.
//   make_icons ICON.bmp FOLDER   writes FOLDER/<n>x<n>/apps/kumodo.png
#include <cstdio>
#include <filesystem>

#include "pictures/picture_decode.h"
#include "platform/png_encode.h"
#include "screen/raster.h"

int main(int argc, char** argv) {
  using namespace kumodo;
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_icons ICON.bmp FOLDER\n");
    return 2;
  }
  const DecodedPicture icon = DecodePictureFile(argv[1]);
  if (!icon.loaded) {
    std::fprintf(stderr, "make_icons: cannot read %s\n", argv[1]);
    return 1;
  }
  for (int size : {16, 32, 48, 64, 128}) {
    const std::filesystem::path folder =
        std::filesystem::path(argv[2]) / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
    std::filesystem::create_directories(folder);
    Bitmap scaled(size, size);
    StretchCopy(icon.bitmap, 0, 0, icon.bitmap.width, icon.bitmap.height, scaled, 0, 0, size, size);
    const FileResult written = WritePngFile((folder / "kumodo.png").string(), scaled);
    if (!written.ok) {
      std::fprintf(stderr, "make_icons: %s: %s\n", (folder / "kumodo.png").c_str(), written.reason.c_str());
      return 1;
    }
  }
  return 0;
}
