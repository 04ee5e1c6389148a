#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace kumodo {
namespace {

TEST(TextEncoding, ShiftJisBothWays) {
  EXPECT_EQ(Utf8ToSjis("表示 ABC"), "\x95\x5C\x8E\xA6 ABC");
  EXPECT_EQ(SjisToUtf8("\x95\x5C\x8E\xA6 ABC"), "表示 ABC");
  // Half-width katakana are single bytes; the wave dash and full-width tilde
  // are code page 932's own mapping.
  EXPECT_EQ(Utf8ToSjis("ﾃﾝｷｰ"), "\xC3\xDD\xB7\xB0");
  EXPECT_EQ(SjisToUtf8(Utf8ToSjis("0～7")), "0～7");
  EXPECT_EQ(Utf8ToSjis(""), "");
}

TEST(TextEncoding, WhatHasNoCounterpartBecomesAQuestionMarkAndTheRestSurvives) {
  EXPECT_EQ(Utf8ToSjis("a😀b"), "a?b");
  EXPECT_EQ(SjisToUtf8("A\xFF" "B"), "A?B");
  EXPECT_EQ(SjisToUtf8("\x95\x5C\x81"), "表?");  // a lead byte with nothing after it
}

}  // namespace
}  // namespace kumodo
