// The folders import downward only: nothing below the shell includes a
// header of the shell. The picture layer works on its own record
// (picture/picture_editor.h), which the shell's Editor extends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace kumodo {
namespace {

namespace fs = std::filesystem;

TEST(Layering, NothingBelowTheShellIncludesTheShell) {
  const fs::path sources = fs::path(KUMODO_SOURCE_DIR) / "src";
  std::set<std::string> including;
  for (const auto& entry : fs::recursive_directory_iterator(sources)) {
    const std::string name = fs::relative(entry.path(), sources).generic_string();
    if (!entry.is_regular_file() || name.rfind("app/", 0) == 0) continue;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("#include \"app/", 0) == 0) including.insert(name);
    }
  }
  for (const std::string& name : including) ADD_FAILURE() << name << " includes a header of app/";
}

}  // namespace
}  // namespace kumodo
