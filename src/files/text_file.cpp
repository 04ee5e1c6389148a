#include "files/text_file.h"

#include <algorithm>
#include <cctype>

namespace kumodo {

std::string WithExtension(const std::string& path, const std::string& extension) {
  return Utf8Path(NativePath(path).replace_extension(NativePath(extension)));
}

std::string FileNamePart(const std::string& path) { return Utf8Path(NativePath(path).filename()); }

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::string DocumentCsvPath(const std::string& documentPath) {
  if (SameIgnoringCase(Utf8Path(NativePath(documentPath).extension()), ".csv")) return documentPath;
  return WithExtension(documentPath, ".csv");
}

std::string DocumentProgramPath(const std::string& documentPath) {
  const std::string usual = WithExtension(documentPath, ".txt");
  std::error_code error;
  if (std::filesystem::exists(NativePath(usual), error)) return usual;
  // Every other letter case of "txt": t, x and t each small or capital.
  for (int capitals = 1; capitals < 8; ++capitals) {
    std::string extension = ".txt";
    for (int letter = 0; letter < 3; ++letter) {
      if (capitals & (1 << letter)) extension[letter + 1] = static_cast<char>(std::toupper(extension[letter + 1]));
    }
    const std::string other = WithExtension(documentPath, extension);
    if (std::filesystem::exists(NativePath(other), error)) return other;
  }
  return usual;
}

}  // namespace kumodo
