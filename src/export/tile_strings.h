#pragma once
// Tile paint in the BASIC program: a tile is a string of plane bytes (blue,
// red, green for each row) spelled as a sum of CHR$ terms.
#include <array>
#include <string>

namespace kumodo {

// [pattern kind 0-2][majority colour A 0-7][minority colour B 0-7].
using TileStringTable = std::array<std::array<std::array<std::string, 8>, 8>, 3>;

TileStringTable BuildTileStringTable();

// The table entry, or an empty text for a kind or colour outside the table.
const std::string& LookUpTileString(const TileStringTable& table, int kind, int majority, int minority);

}  // namespace kumodo
