#pragma once
// Writing and reading whole text files. A write goes to a temporary file
// beside the target and replaces it only once complete, so a failed write
// never leaves a half-written file in place of the previous one.
#include <optional>
#include <string>
#include <string_view>

namespace kumodo {

struct FileResult {
  bool ok = false;
  std::string reason;  // what the system said, when not ok
};

FileResult WriteTextFile(const std::string& path, std::string_view bytes);

// The whole file, or nothing with the reason.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason = nullptr);

// The path with the file name's extension replaced (or added): "a/b.csv" and
// "a/b" both give "a/b.txt" for ".txt"; dots in folder names are left alone.
std::string WithExtension(const std::string& path, const std::string& extension);

// The part after the last path separator.
std::string FileNamePart(const std::string& path);

}  // namespace kumodo
