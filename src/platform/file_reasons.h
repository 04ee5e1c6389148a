#pragma once
// Why a file could not be read or written, as both systems' file layers say
// it: in the message language, so English from kumodo-export.
#include <cstddef>
#include <string>

#include "platform/message_language.h"

namespace kumodo {

inline std::string TooLargeReason(std::size_t limit) {
  return InMessageLanguage("大きすぎます (" + std::to_string(limit) + " バイトまで)",
                           "too large (at most " + std::to_string(limit) + " bytes)");
}

inline std::string OutOfMemoryReason() { return InMessageLanguage("メモリが足りません", "out of memory"); }

inline std::string ReadOnlyReason() { return InMessageLanguage("読み取り専用のファイルです", "the file is read-only"); }

// Put before the system's reason when the write in place failed.
inline std::string WrittenInPlaceReason() {
  return InMessageLanguage("一時ファイルを作れないため直接書き込みましたが、失敗しました (途中までしか書かれていないかもしれません): ",
                           "no temporary file could be made, so the file was written in place, which failed "
                           "(it may be written only in part): ");
}

}  // namespace kumodo
