#pragma once
// Numbered-file style reading and writing for the small data files (the
// settings file, the BASIC command file): a channel opened in a mode, text
// written as it is, and fields read one destination at a time.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kumodo {

enum class ChannelMode {
  ReadWrite = 0,  // open or create
  Read = 1,       // the file must exist
  Write = 2,      // create or replace
  Append = 3,     // open or create, writing at the end
};

// A string field keeps at most this many bytes; the rest of it is read and dropped.
constexpr std::size_t kMaxFieldBytes = 255;

using FieldDestination = std::variant<std::uint8_t*, std::int16_t*, std::int32_t*, std::int64_t*, float*, double*,
                                      std::string*>;

class FileChannel {
 public:
  FileChannel() = default;
  FileChannel(const FileChannel&) = delete;
  FileChannel& operator=(const FileChannel&) = delete;
  ~FileChannel() { Close(); }

  // False (and a channel whose reads fail) when the file cannot be opened.
  bool Open(const std::string& path, ChannelMode mode);
  bool Write(std::string_view text);
  void Close();

  // Reads one field into each destination in turn and returns how many were
  // read. At the end of the file reading stops and the remaining
  // destinations keep their values. A field ends at a comma outside double
  // quotes, a line end (CR LF or a lone LF), a zero byte or the end of the
  // file, and for a numeric destination also at a blank outside quotes.
  // Quotes stay in a string field.
  int ReadFields(std::initializer_list<FieldDestination> destinations);

 private:
  int Peek();
  int Next();

  std::FILE* file_ = nullptr;
};

}  // namespace kumodo
