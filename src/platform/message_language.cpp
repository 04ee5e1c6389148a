#include "platform/message_language.h"

namespace kumodo {
namespace {

MessageLanguage chosen = MessageLanguage::Japanese;

}  // namespace

void SetMessageLanguage(MessageLanguage language) { chosen = language; }

std::string InMessageLanguage(std::string_view japanese, std::string_view english) {
  return std::string(chosen == MessageLanguage::English ? english : japanese);
}

}  // namespace kumodo
