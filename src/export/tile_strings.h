#pragma once
// Tile paint in the BASIC program: a tile is a string of plane bytes (blue,
// red, green for each row) spelled as a sum of CHR$ terms.
#include <array>
#include <string>
#include <vector>

namespace kumodo {

// [pattern kind 0-2][majority colour A 0-7][minority colour B 0-7].
using TileStringTable = std::array<std::array<std::array<std::string, 8>, 8>, 3>;

// The plane bytes of a tile, row by row (two rows, or four for kind 2).
// The kind and colours must be within the table.
std::vector<std::array<unsigned char, 3>> TilePlaneRows(int kind, int majority, int minority);

TileStringTable BuildTileStringTable();

// The table entry, or an empty text for a kind or colour outside the table.
const std::string& LookUpTileString(const TileStringTable& table, int kind, int majority, int minority);

}  // namespace kumodo
