#pragma once
// Where things are on the 800 x 600 screen: the picture view at the top
// left with its scroll bars, the magnifier below it, the icon column, colour
// selectors and colour indicator right of it, the tile palettes and the
// settings screen's icons. Boxes include both their edges.
namespace kumodo {

struct ScreenBox {
  int left;
  int top;
  int right;
  int bottom;
};

// The picture: 640 pixels wide, 400 rows high (200 in the 200-line setting,
// each row then shown twice). At zoom 1 the view shows it whole, one screen
// pixel a picture pixel.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 400;
constexpr int kViewWidth = 640;
constexpr int kViewHeight = 400;
constexpr ScreenBox kView{0, 0, kViewWidth - 1, kViewHeight - 1};

// The scroll bars, shown while zoomed: the vertical one right of the view,
// the horizontal one below it.
constexpr ScreenBox kVerticalBar{642, 0, 662, kView.bottom};
constexpr int kVerticalThumbLeft = 644;
constexpr int kVerticalThumbRight = 660;
constexpr ScreenBox kHorizontalBar{0, 402, kView.right, 422};
constexpr int kHorizontalThumbTop = 404;
constexpr int kHorizontalThumbBottom = 420;
// What the bars take, cleared at zoom 1.
constexpr ScreenBox kVerticalBarStrip{kViewWidth, 0, kVerticalBar.right, kView.bottom};
constexpr ScreenBox kHorizontalBarStrip{0, kViewHeight, kView.right, kHorizontalBar.bottom};

// The magnifier below the view: 19 x 18 cells of 8 x 8 pixels, the pointer's
// pixel in the tenth column and row, framed by kMagnifierCentreFrame.
constexpr int kMagnifierLeft = 8;
constexpr int kMagnifierTop = 424;
constexpr int kMagnifierCell = 8;
constexpr int kMagnifierCellsBefore = 9;  // columns left of and rows above the centre
constexpr int kMagnifierColumnsAfter = 9;
constexpr int kMagnifierRowsAfter = 8;
constexpr ScreenBox kMagnifierCentreFrame{kMagnifierLeft + kMagnifierCell * kMagnifierCellsBefore - 1,
                                          kMagnifierTop + kMagnifierCell* kMagnifierCellsBefore - 1,
                                          kMagnifierLeft + kMagnifierCell*(kMagnifierCellsBefore + 1),
                                          kMagnifierTop + kMagnifierCell*(kMagnifierCellsBefore + 1)};

// The colour indicator: a frame, the border colour inside it, and inside
// that the drawing colour or the tile.
constexpr ScreenBox kIndicatorFrame{670, 502, 736, 534};
constexpr ScreenBox kIndicatorBorder{671, 503, 735, 533};
constexpr ScreenBox kIndicatorInside{675, 507, 731, 529};

// The icons right of the view and its scroll bar.
constexpr int kIconColumn = kView.right + 32;
// The settings screen's two columns of icons.
constexpr int kSettingsLeftColumn = 240;
constexpr int kSettingsRightColumn = 350;

// The colour selectors: a row of eight 16 x 16 swatches for the drawing
// colour, the border colour's row below it.
constexpr int kSwatch = 16;
constexpr int kSelectorLeft = 648;
constexpr int kDrawingSelectorTop = 448;
constexpr int kBorderSelectorTop = 480;
// Text below the view, in the text layer's 8 x 16 cells: the editing
// resolution over a patch of 16 x 16 panel tiles, and the outline tool's
// count of lines.
constexpr ScreenBox kResolutionLabelPatch{168, 416, 247, 479};
constexpr int kResolutionLabelColumn = 21;
constexpr int kResolutionLabelRow = 27;
constexpr int kOutlineCountColumn = 21;
constexpr int kOutlineCountRow = 33;

// The three tile palettes below the view, one a tile kind: 8 x 8 swatches,
// first colour across, second colour down.
constexpr int kPaletteTop = 431;
constexpr int kPaletteLefts[3] = {256, 384, 512};

// The file commands' progress panel over the view: panel tiles (columns and
// rows of 16-pixel tiles), the message's text cell, the framed bar. Saving,
// the document fills the bar's left half and the program its right half.
constexpr ScreenBox kProgressPanelTiles{13, 10, 25, 14};
constexpr int kProgressMessageColumn = 28;
constexpr int kProgressMessageRow = 11;
constexpr ScreenBox kProgressFrame{239, 207, 401, 240};
constexpr ScreenBox kProgressBar{240, 208, 400, 239};
constexpr int kProgressBarMiddle = (kProgressBar.left + kProgressBar.right) / 2;

}  // namespace kumodo
