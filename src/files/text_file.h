#pragma once
// Working with file names (UTF-8 paths). Reading and writing whole files
// are ReadWholeFile and WriteWholeFile of the platform's file layer.
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kumodo {

// The path with the file name's extension replaced (or added): "a/b.csv" and
// "a/b" both give "a/b.txt" for ".txt"; dots in folder names are left alone.
std::string WithExtension(const std::string& path, const std::string& extension);

// The part after the last path separator.
std::string FileNamePart(const std::string& path);

// The document's CSV file: the path as it is when its extension already is
// ".csv" in any letter case ("HOUSE.CSV"), else with ".csv".
std::string DocumentCsvPath(const std::string& documentPath);
// The BASIC program beside the document: with ".txt", unless a program with
// ".TXT" in other letter case is there already, which is then the one.
std::string DocumentProgramPath(const std::string& documentPath);

}  // namespace kumodo
