#pragma once
// What the machine's BASIC draws, modelled on a screen of colour numbers:
// its PAINT above all. A Microsoft-family PAINT is a scanline fill that does
// not carry the fill into a row whose stretch between borders already holds
// the paint colour (for a tile: that row of the tile), so it can stop short
// of what the editor's fill reaches.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kumodo {

constexpr int kMachineScreenWidth = 640;

// The machine's screen, 640 dots wide: a colour number (0 to 7) a dot, row
// after row. Its rows are compared and filled as bytes, which is what keeps
// a fill's cost that of its area.
struct MachineScreen {
  explicit MachineScreen(int rows) : height(rows), colours(static_cast<std::size_t>(kMachineScreenWidth) * rows) {}

  int width = kMachineScreenWidth;
  int height;
  std::vector<std::uint8_t> colours;

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint8_t* Row(int y) { return colours.data() + static_cast<std::size_t>(y) * width; }
  const std::uint8_t* Row(int y) const { return colours.data() + static_cast<std::size_t>(y) * width; }
  std::uint8_t& At(int x, int y) { return Row(y)[x]; }
  std::uint8_t At(int x, int y) const { return Row(y)[x]; }
};

// The first dot from x to `last` that has the colour, or last + 1; the
// last one from x down to `first`, or first - 1. A row's stretches are
// short in a comb and long in an open area: both are quick.
int FindForward(const std::uint8_t* row, int x, int last, std::uint8_t colour);
int FindBackward(const std::uint8_t* row, int x, int first, std::uint8_t colour);

// What PAINT paints with: one colour, or a tile's rows (two or four), each
// of eight dots, repeating from the screen's origin; every row is kept
// spread over the screen's width, four rows of them in turn.
class PaintPattern {
 public:
  explicit PaintPattern(const std::vector<std::array<std::uint8_t, 8>>& tileRows, bool solid);

  bool Solid() const { return solid_; }
  // Row y of the pattern across the screen: dot x at index x.
  const std::uint8_t* Row(int y) const { return rows_[static_cast<std::size_t>(y) % kRows].data(); }
  std::uint8_t At(int x, int y) const { return Row(y)[x]; }
  // A tile row of colour 0 alone never counts as held.
  bool MayHold(int y) const { return mayHold_[static_cast<std::size_t>(y) % kRows]; }
  bool MayHoldEveryRow() const;
  // Whether two rows one above the other can never be held: only then can
  // the fill go back and forth between them for ever (a tile of black on
  // black). Kind 2 of a black majority, whose black rows lie between rows
  // that hold once painted, always ends, if at times only after very long.
  bool MayNeverEnd() const;
  // Whether any dot of the pattern has the colour.
  bool Uses(int colour) const { return (colours_ >> colour) & 1; }

 private:
  static constexpr std::size_t kRows = 4;  // a tile has two rows or four
  std::array<std::array<std::uint8_t, kMachineScreenWidth>, kRows> rows_{};
  std::array<bool, kRows> mayHold_{};
  bool solid_;
  unsigned colours_ = 0;
};

PaintPattern SolidPattern(int colour);

// The pattern of a tile string: per row one byte for each of the blue, red
// and green planes, the leftmost dot in the top bit.
PaintPattern TilePattern(const std::vector<std::array<unsigned char, 3>>& planeRows);

// A stretch of row y, from left to right.
struct Stretch {
  int y, left, right;
};

// What a PAINT did: whether it ended; whether it left a stretch because it
// held the pattern already (else it painted every stretch it could reach,
// the whole area, as the editor's fill does).
struct PaintRun {
  bool ended = true;
  bool leftHeld = false;
};

// The stretches a PAINT painted, in turn (grown to the borders, so one
// stretch may come more than once), and if asked the dots they held before;
// and the parts of stretches it left because they held the pattern already.
// What the area has beyond the stretches painted is reached through those.
struct PaintLog {
  bool keepsDots = false;
  std::vector<Stretch> stretches;
  std::vector<std::uint8_t> dots;
  std::vector<Stretch> held;
};

// Puts back the dots a PAINT logged.
void Unpaint(MachineScreen& screen, const PaintLog& log);

// PAINT (x, y) with the pattern up to the border colour, as the
// interpreter does it. Nothing when the point is off the screen or on the
// border colour. Not ended when it would never end: a tile with a row all of
// colour 0 never counts as held, and the fill can then go back and forth
// between rows for ever. It is taken as endless once it has queued more than
// `stretches` stretches of rows; a fill that ends queues about twice as many
// as its area has, never more than three times in thousands of random fills.
PaintRun MachinePaint(MachineScreen& screen, int x, int y, const PaintPattern& pattern, int border,
                      std::int64_t stretches, PaintLog* log = nullptr);

// LINE (x1, y1)-(x2, y2): the end points are first moved onto the screen,
// then the line is drawn from the upper one down. True when it drew over a
// dot of the colour `watched`.
bool MachineLine(MachineScreen& screen, int x1, int y1, int x2, int y2, int colour, int watched = -1);

}  // namespace kumodo
