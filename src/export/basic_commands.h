#pragma once
// The statement templates and subroutine lines the BASIC program is made of,
// as read from the command file.
#include <array>
#include <string>

namespace kumodo {

constexpr int kTemplateKinds = 11;    // operation kinds 0 to 10
constexpr int kTemplatePieces = 11;   // T0 to T10
constexpr int kSubroutineLines = 16;  // S1 to S16

struct BasicCommands {
  std::array<std::array<std::string, kTemplatePieces>, kTemplateKinds> templates;  // [kind][piece]
  std::array<std::string, kSubroutineLines> subroutines;
};

}  // namespace kumodo
