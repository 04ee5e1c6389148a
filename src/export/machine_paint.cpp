#include "export/machine_paint.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kumodo {

int FindForward(const std::uint8_t* row, int x, int last, std::uint8_t colour) {
  // The first dots one by one, which is what a narrow stretch needs; then the library's search.
  for (const int near = std::min(last, x + 15); x <= near; ++x) {
    if (row[x] == colour) return x;
  }
  if (x > last) return x;
  const void* found = std::memchr(row + x, colour, static_cast<std::size_t>(last - x + 1));
  return found ? static_cast<int>(static_cast<const std::uint8_t*>(found) - row) : last + 1;
}

int FindBackward(const std::uint8_t* row, int x, int first, std::uint8_t colour) {
  for (const int near = std::max(first, x - 15); x >= near; --x) {
    if (row[x] == colour) return x;
  }
  // Eight dots at a time while none of them has the colour (a zero byte in word ^ colours).
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  const std::uint64_t colours = kOnes * colour;
  for (; x - 7 >= first; x -= 8) {
    std::uint64_t word;
    std::memcpy(&word, row + x - 7, sizeof word);
    const std::uint64_t differences = word ^ colours;
    if ((differences - kOnes) & ~differences & kHighs) break;
  }
  while (x >= first && row[x] != colour) --x;
  return x;
}

namespace {

// Whether the dots from x to `last` of two rows are the same.
bool Same(const std::uint8_t* a, const std::uint8_t* b, int x, int last) {
  if (last - x < 16) {
    for (; x <= last; ++x) {
      if (a[x] != b[x]) return false;
    }
    return true;
  }
  return std::memcmp(a + x, b + x, static_cast<std::size_t>(last - x + 1)) == 0;
}

struct Interval {
  int left, right, y, direction;  // direction: 0 the seed's row, else the way the fill goes
};

struct Fill {
  MachineScreen& screen;
  const PaintPattern& pattern;
  std::uint8_t border;
  PaintLog* log;
  std::vector<Interval> pending{};
  std::int64_t queued = 0;  // stretches queued in all
  PaintRun run{};

  // The stretch [left, right] grown to the borders on either side, or to the
  // screen's edges; the dots it holds are taken as they are.
  int GrownRight(const std::uint8_t* row, int right) {
    return FindForward(row, right + 1, screen.width - 1, border) - 1;
  }

  int GrownLeft(const std::uint8_t* row, int left) { return FindBackward(row, left - 1, 0, border) + 1; }

  // Queues every stretch of row y between borders within [left, right],
  // except those already holding the pattern's row. A tile row of colour 0
  // alone never counts as held, so such tiles fill through.
  void Check(int left, int right, int y, int direction) {
    if (right < left) return;
    const std::uint8_t* row = screen.Row(y);
    const std::uint8_t* expected = pattern.Row(y);
    const bool mayHold = pattern.MayHold(y);
    for (int x = left; x <= right;) {
      if (row[x] == border) {
        ++x;
        continue;
      }
      const int end = FindForward(row, x, right, border) - 1;
      if (!mayHold || !Same(row, expected, x, end)) {
        pending.push_back({x, end, y, direction});
        ++queued;
      } else {
        run.leftHeld = true;
        if (log) log->held.push_back({y, x, end});
      }
      x = end + 2;
    }
  }

  void Run(int x, int y, std::int64_t stretches) {
    pending.push_back({x, x, y, 0});
    const int bottom = screen.height - 1;
    while (!pending.empty()) {
      if (queued > stretches) {
        run.ended = false;
        return;
      }
      const Interval at = pending.back();
      pending.pop_back();
      std::uint8_t* row = screen.Row(at.y);
      const int left = GrownLeft(row, at.left);
      const int right = GrownRight(row, at.right);
      if (at.direction == 0) {
        if (at.y + 1 <= bottom) Check(left, right, at.y + 1, 1);
        if (at.y - 1 >= 0) Check(left, right, at.y - 1, -1);
      } else {
        const int onward = at.y + at.direction;
        const int back = at.y - at.direction;
        if (onward >= 0 && onward <= bottom) Check(left, right, onward, at.direction);
        // Where the stretch grew past the row it came from, the fill turns a corner.
        if (back >= 0 && back <= bottom) {
          Check(left, at.left - 1, back, -at.direction);
          Check(at.right + 1, right, back, -at.direction);
        }
      }
      if (log) {
        log->stretches.push_back({at.y, left, right});
        if (log->keepsDots) log->dots.insert(log->dots.end(), row + left, row + right + 1);
      }
      std::memcpy(row + left, pattern.Row(at.y) + left, static_cast<std::size_t>(right - left + 1));
    }
  }
};

}  // namespace

PaintPattern::PaintPattern(const std::vector<std::array<std::uint8_t, 8>>& tileRows, bool solid) : solid_(solid) {
  for (std::size_t y = 0; y < kRows; ++y) {
    const std::array<std::uint8_t, 8> tileRow =
        tileRows.empty() ? std::array<std::uint8_t, 8>{} : tileRows[y % tileRows.size()];
    for (std::size_t x = 0; x < kMachineScreenWidth; ++x) rows_[y][x] = tileRow[x % 8];
    mayHold_[y] = solid || std::any_of(tileRow.begin(), tileRow.end(), [](std::uint8_t c) { return c != 0; });
    for (const std::uint8_t colour : tileRow) colours_ |= 1u << colour;
  }
}

bool PaintPattern::MayHoldEveryRow() const {
  return std::all_of(mayHold_.begin(), mayHold_.end(), [](bool held) { return held; });
}

bool PaintPattern::MayNeverEnd() const {
  for (std::size_t row = 0; row < kRows; ++row) {
    if (!mayHold_[row] && !mayHold_[(row + 1) % kRows]) return true;
  }
  return false;
}

PaintPattern SolidPattern(int colour) {
  std::array<std::uint8_t, 8> row{};
  row.fill(static_cast<std::uint8_t>(colour));
  return PaintPattern({row}, true);
}

PaintPattern TilePattern(const std::vector<std::array<unsigned char, 3>>& planeRows) {
  std::vector<std::array<std::uint8_t, 8>> rows;
  for (const auto& planes : planeRows) {
    std::array<std::uint8_t, 8> row{};
    for (int x = 0; x < 8; ++x) {
      int index = 0;
      for (int plane = 0; plane < 3; ++plane) {
        if (planes[static_cast<std::size_t>(plane)] & (0x80 >> x)) index |= 1 << plane;
      }
      row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(index);
    }
    rows.push_back(row);
  }
  return PaintPattern(rows, false);
}

PaintRun MachinePaint(MachineScreen& screen, int x, int y, const PaintPattern& pattern, int border,
                      std::int64_t stretches, PaintLog* log) {
  if (log) log->stretches.clear(), log->dots.clear(), log->held.clear();
  if (!screen.Contains(x, y) || screen.At(x, y) == border) return {};
  Fill fill{screen, pattern, static_cast<std::uint8_t>(border), log};
  fill.Run(x, y, stretches);
  return fill.run;
}

void Unpaint(MachineScreen& screen, const PaintLog& log) {
  std::size_t end = log.dots.size();
  for (auto stretch = log.stretches.rbegin(); stretch != log.stretches.rend(); ++stretch) {
    const std::size_t width = static_cast<std::size_t>(stretch->right - stretch->left + 1);
    end -= width;
    std::memcpy(screen.Row(stretch->y) + stretch->left, log.dots.data() + end, width);
  }
}

bool MachineLine(MachineScreen& screen, int x1, int y1, int x2, int y2, int colour, int watched) {
  x1 = std::clamp(x1, 0, screen.width - 1), x2 = std::clamp(x2, 0, screen.width - 1);
  y1 = std::clamp(y1, 0, screen.height - 1), y2 = std::clamp(y2, 0, screen.height - 1);
  if (y2 <= y1) std::swap(x1, x2), std::swap(y1, y2);
  int dx = std::abs(x2 - x1);
  int dy = std::abs(y2 - y1);
  const bool steep = dy > dx;
  if (steep) std::swap(x1, y1), std::swap(x2, y2), std::swap(dx, dy);
  const int sx = x2 > x1 ? 1 : -1;
  const int sy = y2 > y1 ? 1 : -1;
  const auto value = static_cast<std::uint8_t>(colour);
  bool over = false;
  int error = dx / 2;
  for (int major = x1, minor = y1;; major += sx) {
    std::uint8_t& dot = steep ? screen.At(minor, major) : screen.At(major, minor);
    over = over || dot == watched;
    dot = value;
    if (major == x2) break;
    error -= dy;
    if (error < 0) minor += sy, error += dx;
  }
  return over;
}

}  // namespace kumodo
