#include "files/file_channel.h"

#include <cmath>

#include "files/text_to_number.h"
#include "platform/file_system.h"

namespace kumodo {
namespace {

bool IsBlank(int c) { return c == ' ' || c == '\t'; }

struct Store {
  const std::string& item;
  void operator()(std::uint8_t* d) const { *d = static_cast<std::uint8_t>(TruncateToInt32(TextToNumber(item))); }
  void operator()(std::int16_t* d) const { *d = static_cast<std::int16_t>(TruncateToInt32(TextToNumber(item))); }
  void operator()(std::int32_t* d) const { *d = TruncateToInt32(TextToNumber(item)); }
  void operator()(std::int64_t* d) const { *d = TruncateToInt64(TextToNumber(item)); }
  void operator()(float* d) const { *d = static_cast<float>(TextToNumber(item)); }
  void operator()(double* d) const { *d = TextToNumber(item); }
  void operator()(std::string* d) const { *d = item; }
};

}  // namespace

bool FileChannel::Open(const std::string& path, ChannelMode mode) {
  Close();
  switch (mode) {
    case ChannelMode::ReadWrite:
      file_ = OpenFile(path, "r+b");
      if (!file_) file_ = OpenFile(path, "w+b");
      break;
    case ChannelMode::Read:
      file_ = OpenFile(path, "rb");
      break;
    case ChannelMode::Write:
      file_ = OpenFile(path, "wb");
      break;
    case ChannelMode::Append:
      file_ = OpenFile(path, "ab");
      break;
  }
  return file_ != nullptr;
}

bool FileChannel::Write(std::string_view text) {
  return file_ && std::fwrite(text.data(), 1, text.size(), file_) == text.size();
}

void FileChannel::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

int FileChannel::Peek() {
  if (!file_) return EOF;
  const int c = std::fgetc(file_);
  if (c != EOF) std::ungetc(c, file_);
  return c;
}

int FileChannel::Next() { return file_ ? std::fgetc(file_) : EOF; }

int FileChannel::ReadFields(std::initializer_list<FieldDestination> destinations) {
  int read = 0;
  for (const FieldDestination& destination : destinations) {
    const bool numeric = !std::holds_alternative<std::string*>(destination);
    while (IsBlank(Peek())) Next();
    if (Peek() == EOF) break;

    std::string item;
    bool quoted = false;
    bool endedAtBlank = false;
    for (;;) {
      const int c = Next();
      if (c == EOF || c == 0 || c == '\n') break;
      if (c == '\r') {
        if (Peek() == '\n') {
          Next();
          break;
        }
      } else if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && c == ',') {
        break;
      } else if (!quoted && numeric && IsBlank(c)) {
        endedAtBlank = true;
        break;
      }
      if (item.size() < kMaxFieldBytes) item.push_back(static_cast<char>(c));
    }
    if (endedAtBlank) {
      while (IsBlank(Peek())) Next();
      if (Peek() == ',') Next();
    }
    std::visit(Store{item}, destination);
    ++read;
  }
  return read;
}

}  // namespace kumodo
