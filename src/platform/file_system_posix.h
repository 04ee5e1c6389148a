#pragma once
// POSIX only: the step of a whole-file write that rewrites a file in place
// (one with other names, or where no temporary file can be made beside
// it), apart, so that a test can swap the name in between the checks and
// the write.
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kumodo {

// Rewrites the file `checked` describes (as lstat found it at `path`):
// opened once, never through a symbolic link, and written through that
// descriptor only when the open file is the one checked (same device,
// inode and owner, a regular file). A link or another file put under the
// name since the checks is left alone, and nothing is written.
FileResult WriteInPlace(const std::string& path, std::string_view bytes, const struct stat& checked);

}  // namespace kumodo
