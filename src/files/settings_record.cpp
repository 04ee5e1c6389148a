#include "files/settings_record.h"

#include "files/file_channel.h"
#include "screen/layout.h"

namespace kumodo {

void ReadSettings(const std::string& path, Settings& settings) {
  FileChannel channel;
  channel.Open(path, ChannelMode::Read);
  channel.ReadFields({&settings.outputResolution});
  channel.ReadFields({&settings.tiling});
  channel.ReadFields({&settings.editingResolution});
}

std::string SettingsFileText(const Settings& settings) {
  std::string text;
  for (int value : {settings.outputResolution, settings.tiling, settings.editingResolution}) {
    text += std::to_string(value) + "\r\n";
  }
  return text;
}

int PictureHeight(const Settings& settings) {
  return settings.editingResolution == 2 ? kPictureHeight / 2 : kPictureHeight;
}
int VerticalStep(const Settings& settings) { return settings.editingResolution == 2 ? 2 : 1; }

}  // namespace kumodo
