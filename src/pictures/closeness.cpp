#include "pictures/closeness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "pictures/apparent_colours.h"

namespace kumodo {
namespace {

constexpr double kEyeSigma = 1.5;
constexpr int kReach = 6;  // the kernel's weights past this are under 0.4 % of its centre's for sigma 2

using Kernel = std::array<float, 2 * kReach + 1>;

Kernel GaussianKernel(double sigma) {
  Kernel kernel{};
  double sum = 0;
  for (int k = -kReach; k <= kReach; ++k)
    sum += kernel[k + kReach] = static_cast<float>(std::exp(-k * k / (2 * sigma * sigma)));
  for (float& weight : kernel) weight = static_cast<float>(weight / sum);
  return kernel;
}

// One plane blurred along x, then y, into `out`; at the picture's edges
// the weights that fall off it are left out and the rest count for the whole.
void Blur(const std::vector<float>& plane, int width, int height, const Kernel& kernel, std::vector<float>& across,
          std::vector<float>& out) {
  across.resize(plane.size());
  out.resize(plane.size());
  for (int y = 0; y < height; ++y) {
    const float* row = &plane[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      float sum = 0, weights = 0;
      for (int k = std::max(-kReach, -x); k <= std::min(kReach, width - 1 - x); ++k) {
        sum += kernel[k + kReach] * row[x + k];
        weights += kernel[k + kReach];
      }
      across[static_cast<std::size_t>(y) * width + x] = sum / weights;
    }
  }
  for (int y = 0; y < height; ++y) {
    const int from = std::max(-kReach, -y), to = std::min(kReach, height - 1 - y);
    float weights = 0;
    for (int k = from; k <= to; ++k) weights += kernel[k + kReach];
    float* row = &out[static_cast<std::size_t>(y) * width];
    std::fill(row, row + width, 0.0f);
    for (int k = from; k <= to; ++k) {
      const float weight = kernel[k + kReach] / weights;
      const float* source = &across[static_cast<std::size_t>(y + k) * width];
      for (int x = 0; x < width; ++x) row[x] += weight * source[x];
    }
  }
}

}  // namespace

BlurredComparison::BlurredComparison(const Bitmap& original) : width_(original.width), height_(original.height) {
  BlurPlanes(original, original_);
}

void BlurredComparison::BlurPlanes(const Bitmap& picture, std::array<std::vector<float>, 4>& blurred) {
  static const Kernel eye = GaussianKernel(kEyeSigma);
  for (auto& plane : plane_) plane.resize(picture.pixels.size());
  for (std::size_t p = 0; p < picture.pixels.size(); ++p) {
    const Rgb pixel = picture.pixels[p];
    const float red = static_cast<float>(pixel & 0xFF), green = static_cast<float>((pixel >> 8) & 0xFF),
                blue = static_cast<float>((pixel >> 16) & 0xFF);
    plane_[0][p] = red, plane_[1][p] = green, plane_[2][p] = blue;
    plane_[3][p] = 0.299f * red + 0.587f * green + 0.114f * blue;
  }
  for (int c = 0; c < 4; ++c) Blur(plane_[c], picture.width, picture.height, eye, across_, blurred[c]);
}

Closeness BlurredComparison::To(const Bitmap& drawn) {
  BlurPlanes(drawn, drawn_);
  double rgb = 0, luminance = 0;
  const std::size_t count = drawn.pixels.size();
  if (count == 0) return {};
  for (std::size_t p = 0; p < count; ++p) {
    for (int c = 0; c < 3; ++c) {
      const double d = original_[c][p] - drawn_[c][p];
      rgb += d * d;
    }
    const double d = original_[3][p] - drawn_[3][p];
    luminance += d * d;
  }
  return {std::sqrt(rgb / (3.0 * count)), std::sqrt(luminance / count)};
}

Closeness BlurredCloseness(const Bitmap& original, const Bitmap& drawn) {
  return BlurredComparison(original).To(drawn);
}

Bitmap BlurredPicture(const Bitmap& picture, double sigma) {
  const Kernel kernel = GaussianKernel(sigma);
  Bitmap blurred(picture.width, picture.height);
  for (int c = 0; c < 3; ++c) {
    std::vector<float> plane(picture.pixels.size());
    for (std::size_t p = 0; p < plane.size(); ++p) plane[p] = static_cast<float>((picture.pixels[p] >> (8 * c)) & 0xFF);
    std::vector<float> across, out;
    Blur(plane, picture.width, picture.height, kernel, across, out);
    plane = std::move(out);
    for (std::size_t p = 0; p < plane.size(); ++p) {
      blurred.pixels[p] |= static_cast<Rgb>(std::lround(std::clamp(plane[p], 0.0f, 255.0f))) << (8 * c);
    }
  }
  return blurred;
}

Bitmap SmoothedKeepingEdges(const Bitmap& picture, double sigma, float near) {
  const Kernel kernel = GaussianKernel(sigma);
  const int width = picture.width, height = picture.height;
  std::vector<Oklab> lab(picture.pixels.size());
  for (std::size_t p = 0; p < lab.size(); ++p) lab[p] = OklabOf(picture.pixels[p]);
  std::array<std::vector<float>, 3> channels, smoothed;
  for (int c = 0; c < 3; ++c) {
    channels[c].resize(picture.pixels.size());
    smoothed[c].resize(picture.pixels.size());
    for (std::size_t p = 0; p < lab.size(); ++p)
      channels[c][p] = static_cast<float>((picture.pixels[p] >> (8 * c)) & 0xFF);
  }
  // One pass along x (step 1), one along y (step width), each comparing
  // with the dot's own colour in the picture.
  auto pass = [&](int step, int length, auto position) {
    for (int line = 0; line < (step == 1 ? height : width); ++line) {
      for (int at = 0; at < length; ++at) {
        const std::size_t centre = position(line, at);
        float sum[3] = {0, 0, 0}, weights = 0;
        for (int k = std::max(-kReach, -at); k <= std::min(kReach, length - 1 - at); ++k) {
          const std::size_t q = centre + static_cast<std::ptrdiff_t>(k) * step;
          if (DistanceSquared(lab[q], lab[centre]) > near * near) continue;
          for (int c = 0; c < 3; ++c) sum[c] += kernel[k + kReach] * channels[c][q];
          weights += kernel[k + kReach];
        }
        for (int c = 0; c < 3; ++c) smoothed[c][centre] = sum[c] / weights;
      }
    }
  };
  pass(1, width, [&](int y, int x) { return static_cast<std::size_t>(y) * width + x; });
  std::swap(channels, smoothed);
  pass(width, height, [&](int x, int y) { return static_cast<std::size_t>(y) * width + x; });
  Bitmap result(width, height);
  for (std::size_t p = 0; p < result.pixels.size(); ++p) {
    for (int c = 0; c < 3; ++c) {
      result.pixels[p] |= static_cast<Rgb>(std::lround(std::clamp(smoothed[c][p], 0.0f, 255.0f))) << (8 * c);
    }
  }
  return result;
}

bool IsGrey(const Bitmap& picture) {
  for (const Rgb pixel : picture.pixels) {
    if ((pixel & 0xFF) != ((pixel >> 8) & 0xFF) || (pixel & 0xFF) != ((pixel >> 16) & 0xFF)) return false;
  }
  return true;
}

}  // namespace kumodo
