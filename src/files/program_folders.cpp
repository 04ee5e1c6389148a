#include "files/program_folders.h"

#include <filesystem>

#include "files/settings_record.h"
#include "platform/file_system.h"

namespace kumodo {
namespace {

bool HoldsResources(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_directory(folder / "res", error);
}

}  // namespace

ProgramFolders FindProgramFolders() {
  std::error_code error;
  const std::string journals = Utf8Path(NativePath(UserStateFolder()) / "kumodo");
  const std::filesystem::path working = std::filesystem::current_path(error);
  if (HoldsResources(working)) return {Utf8Path(working), Utf8Path(working / kSettingsFileName), journals, true};
  const std::filesystem::path program = NativePath(ExecutableFolder());
  // Installed beside bin/; a folder holding the program and res/ (the
  // Windows zip started from elsewhere) is its own data folder.
  std::filesystem::path data = program.parent_path() / "share" / "kumodo";
  if (!HoldsResources(data) && HoldsResources(program)) data = program;
  return {Utf8Path(data), Utf8Path(NativePath(UserConfigurationFolder()) / "kumodo" / kSettingsFileName), journals,
          false};
}

std::string DataFile(const ProgramFolders& folders, std::string_view relative) {
  return Utf8Path(NativePath(folders.data) / NativePath(relative));
}

}  // namespace kumodo
