#pragma once
// Writing a picture as a PNG file (8-bit RGB), replacing the file as every
// save does.
#include <string>

#include "platform/bitmap.h"
#include "platform/file_system.h"

namespace kumodo {

// Links at the name are followed as WriteWholeFile's `links` say.
FileResult WritePngFile(const std::string& utf8Path, const Bitmap& picture, LinksFollowed links = LinksFollowed::Any);

}  // namespace kumodo
