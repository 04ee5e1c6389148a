#pragma once
// Linux only: the process's resident memory now and its peak since the last
// reset, in kilobytes (/proc/self/status; writing 5 to clear_refs resets
// the peak), for tests and benchmarks of what reading a file costs.
#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <string>

#ifndef KUMODO_SANITIZED
#define KUMODO_SANITIZED 0
#endif

namespace kumodo::peak_memory {

// Under AddressSanitizer freed blocks wait in its quarantine and every block
// carries red zones, so the growth measured there is not the program's own:
// its bounds are checked in the plain build.
inline constexpr bool kGrowthIsTheProgramsOwn = !KUMODO_SANITIZED;

inline long StatusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::string(field).size(), nullptr, 10);
  }
  return -1;
}
// Free memory the allocator keeps is given back first: reused, it would
// not show as growth.
inline void Reset() {
  ::malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}
inline long ResidentKilobytes() { return StatusKilobytes("VmRSS:"); }
inline long PeakKilobytes() { return StatusKilobytes("VmHWM:"); }

}  // namespace kumodo::peak_memory
