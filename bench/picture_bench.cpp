// Pictures made into documents and programs, on sample pictures ImageMagick
// makes: the time to the written files at the default budget, the pixels
// equal there, and with no limit the bytes against one LINE per run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "converter/conversion.h"
#include "files/csv_document.h"
#include "picture/record_drawing.h"
#include "screen/palette.h"
#include "support/colour_pictures.h"
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

// Its built-in pictures scaled to fit 640 x 400, and plasma fractals of that size.
constexpr Sample kSamples[] = {
    {"rose", "rose: -resize 640x400"},         {"logo", "logo: -resize 640x400"},
    {"wizard", "wizard: -resize 640x400"},     {"granite", "granite: -resize 640x400"},
    {"netscape", "netscape: -resize 640x400"}, {"plasma-1", "-seed 1 -size 640x400 plasma:fractal"},
    {"plasma-7", "-seed 7 -size 640x400 plasma:fractal"},
};

fs::path SampleFolder() {
  static const fs::path folder = [] {
    const fs::path made = fs::temp_directory_path() / "kumodo-bench-samples";
    fs::create_directories(made);
    for (const Sample& sample : kSamples) {
      const std::string command = std::string("/usr/bin/convert ") + sample.arguments + " '" +
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

// The colour numbers of a picture drawn in the palette's colours.
ColourPicture ColoursOf(const Bitmap& picture) {
  ColourPicture colours{picture.height, std::vector<std::uint8_t>(picture.pixels.size())};
  for (std::size_t p = 0; p < picture.pixels.size(); ++p) {
    while (colours.colours[p] < 7 && PaletteColour(colours.colours[p]) != picture.pixels[p]) ++colours.colours[p];
  }
  return colours;
}

void BM_PictureToDocumentAndProgram(benchmark::State& state, const Sample& sample) {
  const ConversionSetup setup = Setup();
  const std::string picture = (SampleFolder() / (std::string(sample.name) + ".png")).string();
  ConversionOptions options;
  Conversion conversion;
  for (auto _ : state) conversion = ConvertPicture(picture, setup, options);
  if (!conversion.ok) state.SkipWithError(conversion.reason.c_str());
  state.counters["equal_share"] = static_cast<double>(conversion.equalPixels) / conversion.pixels;
  state.counters["records"] = conversion.records;
  state.counters["bytes"] = static_cast<double>(conversion.recordBytes);
  state.counters["parts"] = static_cast<double>(conversion.programFiles.size());

  options.budget = 0;
  const Conversion whole = ConvertPicture(picture, setup, options);
  state.counters["whole_equal_share"] = static_cast<double>(whole.equalPixels) / whole.pixels;
  state.counters["whole_records"] = whole.records;
  state.counters["whole_bytes"] = static_cast<double>(whole.recordBytes);
  state.counters["whole_parts"] = static_cast<double>(whole.programFiles.size());
  OperationList list;
  ReadCsvDocument(whole.documentFile, list);
  state.counters["run_per_line_bytes"] = static_cast<double>(colour_pictures::RunPerLineBytes(
      ColoursOf(RenderPicture(list, 400, true, RuleTiles())), setup.settings, setup.commands));
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
