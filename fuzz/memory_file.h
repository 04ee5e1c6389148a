#pragma once
// Bytes as a file the program can open by name, without touching the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("fuzz", 0)) {
    for (std::size_t written = 0; written < size;) {
      const ssize_t n = write(fd_, data + written, size - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() { close(fd_); }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};
