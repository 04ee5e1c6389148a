#pragma once
// Reading whole text files and working with file names (UTF-8 paths).
// Writing is WriteWholeFile of the platform's file layer.
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kumodo {

// The whole file, or nothing with the reason.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string* reason = nullptr);

// The path with the file name's extension replaced (or added): "a/b.csv" and
// "a/b" both give "a/b.txt" for ".txt"; dots in folder names are left alone.
std::string WithExtension(const std::string& path, const std::string& extension);

// The part after the last path separator.
std::string FileNamePart(const std::string& path);

}  // namespace kumodo
