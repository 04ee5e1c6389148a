#pragma once
// How close a drawing looks to the picture it was made from, as a person
// sees it: both blurred a little (a Gaussian of sigma 1.5 dots, standing for
// the eye's averaging of neighbouring dots), then compared dot by dot.
#include <array>
#include <vector>

#include "platform/bitmap.h"

namespace kumodo {

struct Closeness {
  double rgb = 0;        // root mean square of the channels' differences, 0 to 255
  double luminance = 0;  // the same of the luminances (0.299 R + 0.587 G + 0.114 B)
};

// The pictures must be of one size.
Closeness BlurredCloseness(const Bitmap& original, const Bitmap& drawn);

// The same for many drawings of one picture: the picture is blurred once.
class BlurredComparison {
 public:
  explicit BlurredComparison(const Bitmap& original);
  Closeness To(const Bitmap& drawn);

 private:
  void BlurPlanes(const Bitmap& picture, std::array<std::vector<float>, 4>& blurred);

  int width_, height_;
  std::array<std::vector<float>, 4> original_, drawn_;  // red, green, blue, luminance
  std::array<std::vector<float>, 4> plane_;
  std::vector<float> across_;
};

// The picture blurred by a Gaussian of the sigma (at most 2 dots).
Bitmap BlurredPicture(const Bitmap& picture, double sigma);

// The picture smoothed where it changes little: each dot averaged, with a
// Gaussian's weights, with the dots around it (along its row, then its
// column) whose colours lie within `near` of its own in Oklab; those across
// an edge count for nothing, so edges stay sharp. Noise and grain go;
// shapes, and a drawing's flat colours, stay.
Bitmap SmoothedKeepingEdges(const Bitmap& picture, double sigma, float near);

// True when every dot is grey (its channels equal).
bool IsGrey(const Bitmap& picture);

}  // namespace kumodo
