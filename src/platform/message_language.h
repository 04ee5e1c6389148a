#pragma once
// The language of the reasons the program's layers give when something
// fails. The editor's screen speaks Japanese (with an English gloss where it
// names a technical cause); kumodo-export speaks English alone on the
// command line.
#include <string>
#include <string_view>

namespace kumodo {

enum class MessageLanguage { Japanese, English };

// Chosen once, when a program starts; Japanese unless chosen.
void SetMessageLanguage(MessageLanguage language);

// The text in the chosen language.
std::string InMessageLanguage(std::string_view japanese, std::string_view english);

}  // namespace kumodo
