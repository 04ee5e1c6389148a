// Pictures made into documents and programs, on sample pictures ImageMagick
// makes: the time to the written files at the default budget, and how close
// they look to the picture (the blurred RGB error) for both reductions, at
// that budget and exact, beside the limits of dot by dot drawings.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "converter/conversion.h"
#include "pictures/apparent_colours.h"
#include "pictures/closeness.h"
#include "screen/palette.h"
#include "support/costly_pictures.h"
#include "support/hand_made_jpeg.h"
#include "support/peak_memory.h"
#include "support/picture_bombs.h"

namespace kumodo {
namespace {

namespace fs = std::filesystem;

struct Sample {
  const char* name;
  const char* arguments;  // ImageMagick's, before the output file
};

// Photographs of our own (plasma fractals, a scene of gradients, shapes and
// grain, a smooth gradient with grain, ImageMagick's small photograph of a
// rose enlarged), grey ones, and drawings of flat colours, all 640 x 400.
constexpr Sample kSamples[] = {
    {"plasma-1", "-seed 1 -size 640x400 plasma:fractal -blur 0x1"},
    {"plasma-7", "-seed 7 -size 640x400 plasma:fractal -blur 0x1"},
    {"scene",
     "-size 640x400 gradient:skyblue-navy '(' -size 640x170 gradient:olivedrab-darkgreen ')' -gravity south "
     "-composite -fill 'rgb(200,80,40)' -draw 'rectangle 60,140 260,330' -fill 'rgb(40,60,160)' "
     "-draw 'circle 420,220 420,300' -fill 'rgb(150,150,150)' -draw 'rectangle 300,300 600,320' "
     "-fill 'rgb(240,220,150)' -draw 'polygon 100,60 180,20 260,70' -attenuate 0.6 +noise Gaussian -blur 0x0.8"},
    {"smooth", "-size 640x400 radial-gradient:orange-purple -attenuate 0.3 +noise Gaussian"},
    {"rose", "rose: -resize 640x400!"},
    {"grey-plasma", "-seed 3 -size 640x400 plasma:fractal -blur 0x1 -colorspace Gray"},
    {"grey-rose", "rose: -resize 640x400! -colorspace Gray"},
    {"netscape", "netscape: -resize 640x400"},
    {"wizard", "wizard: -resize 640x400"},
    {"logo", "logo: -resize 640x400"},
};

fs::path SampleFolder() {
  static const fs::path folder = [] {
    const fs::path made = fs::temp_directory_path() / "kumodo-bench-samples";
    fs::create_directories(made);
    for (const Sample& sample : kSamples) {
      const std::string command = std::string("/usr/bin/convert ") + sample.arguments + " -type TrueColor '" +
                                  (made / (std::string(sample.name) + ".png")).string() + "'";
      if (std::system(command.c_str()) != 0) std::abort();
    }
    return made;
  }();
  return folder;
}

ConversionSetup Setup() {
  ConversionOptions options;
  options.commandFile = std::string(KUMODO_SOURCE_DIR) + "/kumodo-basic-cmd.txt";
  return PrepareConversion(options);
}

// The limits of a picture drawn dot by dot: in the eight colours, each dot
// the nearest in Oklab; and ordered (Bayer 4 x 4) dither of each channel.
Bitmap NearestColours(const Bitmap& picture) {
  Bitmap drawn(picture.width, picture.height);
  for (std::size_t p = 0; p < picture.pixels.size(); ++p) {
    drawn.pixels[p] = PaletteColour(NearestApparentColour(OklabOf(picture.pixels[p]), true));
  }
  return drawn;
}

Bitmap OrderedDither(const Bitmap& picture) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  Bitmap drawn(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int value = static_cast<int>((picture.At(x, y) >> (8 * c)) & 0xFF);
        if (value * 32 > (2 * bayer[y % 4][x % 4] + 1) * 255) drawn.At(x, y) |= 0xFFu << (8 * c);
      }
    }
  }
  return drawn;
}

// One conversion of the picture's, its figures as counters under the prefix.
void Count(benchmark::State& state, const std::string& prefix, const Conversion& conversion) {
  state.counters[prefix + "rgb_error"] = conversion.closeness.rgb;
  state.counters[prefix + "luminance_error"] = conversion.closeness.luminance;
  state.counters[prefix + "records"] = conversion.records;
  state.counters[prefix + "bytes"] = static_cast<double>(conversion.recordBytes);
  state.counters[prefix + "parts"] = static_cast<double>(conversion.programFiles.size());
}

// The time to a picture's document and program at the default budget, and
// the closeness as the eye sees it of both reductions, at that budget and
// exact, beside the limits of dot by dot drawings.
void BM_PictureToDocumentAndProgram(benchmark::State& state, const Sample& sample) {
  const ConversionSetup setup = Setup();
  const std::string picture = (SampleFolder() / (std::string(sample.name) + ".png")).string();
  ConversionOptions options;
  options.force = true;
  Conversion conversion;
  for (auto _ : state) conversion = ConvertPicture(picture, setup, options);
  if (!conversion.ok) state.SkipWithError(conversion.reason.c_str());
  Count(state, "colour_", conversion);
  state.counters["grey"] = conversion.grey;
  options.budget = 0;
  Count(state, "colour_exact_", ConvertPicture(picture, setup, options));
  options.reduction = ConversionOptions::Reduction::Levels;
  Count(state, "levels_exact_", ConvertPicture(picture, setup, options));
  options.budget.reset();
  Count(state, "levels_", ConvertPicture(picture, setup, options));
  const DecodedPicture decoded = DecodePictureFile(picture);
  state.counters["nearest_rgb_error"] = BlurredCloseness(decoded.bitmap, NearestColours(decoded.bitmap)).rgb;
  state.counters["nearest_luminance_error"] = BlurredCloseness(decoded.bitmap, NearestColours(decoded.bitmap)).luminance;
  state.counters["dither_rgb_error"] = BlurredCloseness(decoded.bitmap, OrderedDither(decoded.bitmap)).rgb;
  state.counters["dither_luminance_error"] = BlurredCloseness(decoded.bitmap, OrderedDither(decoded.bitmap)).luminance;
}

// Pictures of 8192 x 8192, the largest the converter takes, small on disk:
// the time to the written files, and the peak resident memory above the start.
std::string LargePictureFile(const std::string& name) {
  std::string bytes;
  if (name == "screen.gif") bytes = picture_bombs::LargeGif();
  if (name == "flat.gif") bytes = picture_bombs::LargeFlatGif();
  if (name == "run-length.bmp") bytes = picture_bombs::LargeRunLengthBmp();
  if (name == "grey.png") bytes = costly_pictures::GreyPng(8192, 8192);
  if (name == "interlaced.png") bytes = costly_pictures::GreyPng(8192, 8192, true);
  if (name == "rgba16.png") bytes = costly_pictures::FlatRgba16Png(8192, 8192);
  if (name == "flat.jpg") bytes = hand_made_jpeg::Make(hand_made_jpeg::Grey(8192, 8192, 100, true));
  if (name == "bounds.jpg") {
    // The most a progressive JPEG may hold and still be read: coefficients
    // just within the bound, and as many scans as the work allows.
    hand_made_jpeg::Layout layout = hand_made_jpeg::Grey(4000, 3000, 100, true);
    layout.progressive = true;
    layout.acScans = 147;
    bytes = hand_made_jpeg::Make(layout);
  }
  if (name == "scans.jpg") {
    hand_made_jpeg::Layout layout = hand_made_jpeg::Grey(8192, 8192, 100, true);
    layout.progressive = true;
    layout.acScans = 999;  // 1,000 scans with the DC scan
    bytes = hand_made_jpeg::Make(layout);
  }
  const fs::path folder = fs::temp_directory_path() / "kumodo-bench-large";
  fs::create_directories(folder);
  const std::string path = (folder / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

void BM_LargePictureToDocumentAndProgram(benchmark::State& state, const std::string& name) {
  const ConversionSetup setup = Setup();
  const std::string picture = LargePictureFile(name);
  ConversionOptions options;
  Conversion conversion;
  long growth = 0;
  for (auto _ : state) {
    peak_memory::Reset();
    const long before = peak_memory::ResidentKilobytes();
    conversion = ConvertPicture(picture, setup, options);
    growth = std::max(growth, peak_memory::PeakKilobytes() - before);
  }
  state.counters["peak_rss_growth_kb"] = static_cast<double>(growth);
  state.counters["converted"] = conversion.ok;
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(picture));
}

const bool kRegistered = [] {
  for (const char* name : {"screen.gif", "flat.gif", "run-length.bmp", "grey.png", "interlaced.png", "rgba16.png",
                           "flat.jpg", "bounds.jpg", "scans.jpg"}) {
    benchmark::RegisterBenchmark((std::string("BM_LargePictureToDocumentAndProgram/") + name).c_str(),
                                 BM_LargePictureToDocumentAndProgram, std::string(name))
        ->Unit(benchmark::kMillisecond);
  }
  for (const Sample& sample : kSamples) {
    benchmark::RegisterBenchmark((std::string("BM_PictureToDocumentAndProgram/") + sample.name).c_str(),
                                 BM_PictureToDocumentAndProgram, sample)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
}  // namespace kumodo
