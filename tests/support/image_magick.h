#pragma once
// Picture files made by ImageMagick, an encoder independent of ours.
//
// RunImageMagick(folder, arguments) runs `convert arguments` in the folder;
// file names in the arguments are relative to it and the last one is the
// output, perhaps with a format prefix ("BMP3:a.bmp"). Every output is also
// kept in a store, named by the arguments. Where
// ImageMagick cannot run (the Windows build, under Wine), KUMODO_CONVERT is
// empty and the outputs come from that store, which the Linux run of the
// same tests fills first.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kumodo::image_magick {

namespace fs = std::filesystem;

// The file a command-line word names, without its format prefix.
inline std::string FileOf(const std::string& word) {
  const std::size_t colon = word.find(':');
  return colon == std::string::npos ? word : word.substr(colon + 1);
}

// Named by the arguments alone: an input's bytes may differ from run to run
// (ImageMagick stamps PNG files with the time), but in these tests every
// input is itself made by ImageMagick from fixed arguments.
inline std::string StoreKey(const std::string& arguments) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : arguments) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  std::ostringstream key;
  key << std::hex << hash;
  return key.str();
}

inline void RunImageMagick(const fs::path& folder, const std::string& arguments) {
  const std::string output = FileOf(arguments.substr(arguments.find_last_of(' ') + 1));
  const fs::path stored = fs::path(KUMODO_PICTURE_STORE) / StoreKey(arguments);
  if (std::string(KUMODO_CONVERT).empty()) {
    std::error_code error;
    fs::copy_file(stored, folder / output, fs::copy_options::overwrite_existing, error);
    ASSERT_FALSE(error) << "no stored output of `convert " << arguments
                        << "`: the Linux tests fill the store and run first";
    return;
  }
  const std::string command = "cd '" + folder.string() + "' && " + KUMODO_CONVERT + " " + arguments;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  // Written under another name and renamed, as tests running side by side
  // may store the same output.
  fs::create_directories(KUMODO_PICTURE_STORE);
  const fs::path partial = stored.string() + "." + std::to_string(std::random_device{}());
  fs::copy_file(folder / output, partial, fs::copy_options::overwrite_existing);
  fs::rename(partial, stored);
}

}  // namespace kumodo::image_magick
