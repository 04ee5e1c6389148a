#pragma once
// The pictures the sequence test imports: areas of the eight colours with
// edges on every side of the picture, thin shapes, specks too small to
// outline, a picture too large and a broken file. Written as BMP by the test
// itself.
#include <filesystem>
#include <string>
#include <vector>

namespace kumodo::sequence {

struct TestPicture {
  enum class Kind { Fits, TooLarge, Broken };
  std::string path;
  Kind kind;
};

std::vector<TestPicture> MakeTestPictures(const std::filesystem::path& folder);

}  // namespace kumodo::sequence
