#pragma once
// Pictures whose size is honest but whose decoding would cost gigabytes or
// minutes: PNG chunks lying about their length, compressed text chunks that
// each inflate to 8 MB, image data inflating far past the picture it
// declares, and a progressive JPEG repeating one scan thousands of times.
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

namespace kumodo::costly_pictures {

inline void PutBe32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline std::string PngChunk(const char* type, const std::string& data) {
  std::string chunk;
  PutBe32(chunk, static_cast<std::uint32_t>(data.size()));
  chunk.append(type, 4);
  chunk += data;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
  PutBe32(chunk, static_cast<std::uint32_t>(crc));
  return chunk;
}

inline std::string Deflated(const std::string& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
            static_cast<uLong>(raw.size()), 9);
  out.resize(size);
  return out;
}

// The signature and the header of an 8-bit grey picture.
inline std::string PngStart(int width, int height, bool interlaced = false) {
  std::string header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x00\x00\x00", 4) + (interlaced ? '\x01' : '\x00');
  return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header);
}

// The grey of pixel (x, y) in GreyRows.
inline int Grey(int x, int y) { return (x * 40 + y * 9) & 0xFF; }

// Grey rows of the given size, each after its filter byte; interlaced, the
// rows of each of the seven passes in turn, each pass a picture of every
// eighth, fourth or second pixel.
inline std::string GreyRows(int width, int height, bool interlaced = false) {
  struct Pass {
    int x0, y0, dx, dy;
  };
  static constexpr Pass kWhole[] = {{0, 0, 1, 1}};
  static constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::string rows;
  for (const Pass& pass : interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole)) {
    if (pass.x0 >= width) continue;  // a pass with no column has no row either
    for (int y = pass.y0; y < height; y += pass.dy) {
      rows += '\0';
      for (int x = pass.x0; x < width; x += pass.dx) rows += static_cast<char>(Grey(x, y));
    }
  }
  return rows;
}

// A picture of one colour in 16-bit RGBA, the most bytes a pixel takes:
// the rows deflated as they are made, never held together.
inline std::string FlatRgba16Png(int width, int height) {
  std::string header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x10\x06\x00\x00\x00", 5);
  std::string row(1 + 8 * static_cast<std::size_t>(width), '\x5A');
  row[0] = '\0';  // no filter
  z_stream stream{};
  deflateInit(&stream, 9);
  std::string data;
  std::string out(1 << 16, '\0');
  for (int y = 0; y <= height; ++y) {
    stream.next_in = reinterpret_cast<Bytef*>(row.data());
    stream.avail_in = y < height ? static_cast<uInt>(row.size()) : 0;
    do {
      stream.next_out = reinterpret_cast<Bytef*>(out.data());
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, y < height ? Z_NO_FLUSH : Z_FINISH);
      data.append(out.data(), out.size() - stream.avail_out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  return std::string("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", data) + PngChunk("IEND", "");
}

// A grey picture of the size, made by hand.
inline std::string GreyPng(int width, int height, bool interlaced = false) {
  return PngStart(width, height, interlaced) + PngChunk("IDAT", Deflated(GreyRows(width, height, interlaced))) +
         PngChunk("IEND", "");
}

// 46 bytes: a 9 x 7 header, then a chunk stating 2 GB, and the file ends.
inline std::string PngWithLyingLength(const char* type) {
  std::string png = PngStart(9, 7);
  PutBe32(png, 0x7FFFFFFF);
  png.append(type, 4);
  return png + "abcde";
}

// A 9 x 7 picture after `count` compressed text chunks of 8 MB each (just
// under the 8 MiB a chunk may take in libpng, so that each is kept).
inline std::string PngWithTextChunks(int count) {
  const std::string text = std::string("Comment\0\0", 9) + Deflated(std::string(8'000'000, 'a'));
  std::string png = PngStart(9, 7);
  for (int i = 0; i < count; ++i) png += PngChunk("zTXt", text);
  return png + PngChunk("IDAT", Deflated(GreyRows(9, 7))) + PngChunk("IEND", "");
}

// A 640 x 400 grey picture whose one compressed stream goes on to inflate
// to `mebibytes` MiB of zeros: blocks of 1 MiB, each flushed so that it
// stands alone and can be repeated.
inline std::string PngWithEndlessData(std::uint32_t mebibytes) {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string zeros(std::size_t{1} << 20, '\0');
  std::string block(deflateBound(&stream, static_cast<uLong>(zeros.size())) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
  stream.avail_in = static_cast<uInt>(zeros.size());
  stream.next_out = reinterpret_cast<Bytef*>(block.data());
  stream.avail_out = static_cast<uInt>(block.size());
  deflate(&stream, Z_FULL_FLUSH);
  block.resize(block.size() - stream.avail_out);
  deflateEnd(&stream);
  std::string data = "\x78\xDA";
  for (std::uint32_t i = 0; i < mebibytes; ++i) data += block;
  data += std::string("\x03\x00", 2);  // a last, empty block
  // The Adler-32 checksum of so many zeros.
  const std::uint32_t sum = static_cast<std::uint32_t>((std::uint64_t{mebibytes} << 20) % 65521);
  PutBe32(data, (sum << 16) | 1);
  return PngStart(640, 400) + PngChunk("IDAT", data) + PngChunk("IEND", "");
}

// A small progressive JPEG by ImageMagick, its last scan repeated to make
// `scans` more.
inline std::string JpegWithRepeatedScan(const std::filesystem::path& folder, int scans) {
  const std::filesystem::path small = folder / "progressive-source.jpg";
  const std::string command = "/usr/bin/convert -seed 7 -size 16x16 plasma: -interlace JPEG '" + small.string() + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(small, std::ios::binary);
  const std::string jpeg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t lastScan = jpeg.rfind("\xFF\xDA");
  const std::string scan = jpeg.substr(lastScan, jpeg.size() - 2 - lastScan);
  std::string repeated = jpeg.substr(0, jpeg.size() - 2);
  for (int i = 0; i < scans; ++i) repeated += scan;
  return repeated + "\xFF\xD9";
}

}  // namespace kumodo::costly_pictures
