#include "text/url_encode.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace {

struct EncodeCase {
  Text text;
  bool keepSafe;
  bool toUtf8;
  Text expected;
};

TEST(UrlEncode, EncodesByteByByte) {
  const EncodeCase cases[] = {
      {"", false, false, ""},
      {"", true, true, ""},
      {"电信一", false, true, "%E7%94%B5%E4%BF%A1%E4%B8%80"},
      {"电信一", false, false, "%B5%E7%D0%C5%D2%BB"},
      {"Abc-1.2", false, true, "%41%62%63%2D%31%2E%32"},
      {"Abc-1.2", true, false, "Abc-1.2"},
      {"a/b_c~d e", true, false, "a%2Fb%5Fc%7Ed%20e"},
      {"丄", true, false, "%81A"},  // GBK 81 41: the second byte is a safe letter
      {"丄", true, true, "%E4%B8%84"},
      {"\n*,", true, false, "%0A%2A%2C"},
      {"09AZaz@[`{", true, false, "09AZaz%40%5B%60%7B"},  // the edges of the safe ranges
      {"\x7F\xFF", true, false, "%7F%FF"},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.text) << " " << c.keepSafe << c.toUtf8);
    EXPECT_EQ(UrlEncode(c.text, c.keepSafe, c.toUtf8), c.expected);
  }
}

ByteString Bytes(std::initializer_list<int> values) {
  ByteString bytes;
  for (const int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

TEST(AnsiToUnicode, GivesUtf16UnitsWithAZeroUnit) {
  EXPECT_EQ(AnsiToUnicode("ab", 936), Bytes({0x61, 0, 0x62, 0, 0, 0}));
  // Sized in the code page it converts in, whatever the ANSI code page is.
  EXPECT_EQ(AnsiToUnicode("电信一", 936), Bytes({0x35, 0x75, 0xE1, 0x4F, 0x00, 0x4E, 0, 0}));
  // The default code page is UTF-8.
  EXPECT_EQ(AnsiToUnicode("\xE7\x94\xB5"), Bytes({0x35, 0x75, 0, 0}));
  // A cut-off sequence at the end takes the terminator with it; the buffer still ends in a zero unit.
  EXPECT_EQ(AnsiToUnicode("\xF0x"), Bytes({0xFD, 0xFF, 0, 0}));
  EXPECT_EQ(AnsiToUnicode(""), ByteString());
}

TEST(UnicodeToAnsi, ConvertsUpToTheFirstZeroUnit) {
  EXPECT_EQ(UnicodeToAnsi(Bytes({0x61, 0, 0x62, 0, 0, 0}), 65001), "ab");
  EXPECT_EQ(UnicodeToAnsi(Bytes({0x35, 0x75, 0, 0, 0x61, 0}), 65001), "\xE7\x94\xB5");
  EXPECT_EQ(UnicodeToAnsi(Bytes({0x35, 0x75, 0, 0}), 936), "电");
  EXPECT_EQ(UnicodeToAnsi(Bytes({0, 0, 0x61, 0}), 936), "");
  EXPECT_EQ(UnicodeToAnsi(ByteString(), 936), "");
  // Without a zero unit the buffer's end ends the text; an odd last byte is no unit.
  EXPECT_EQ(UnicodeToAnsi(Bytes({0x61, 0, 0x62}), 936), "a");
  // The default code page is the system's ANSI code page.
  const ByteString dian = Bytes({0x35, 0x75, 0x61, 0, 0, 0});
  EXPECT_EQ(UnicodeToAnsi(dian), UnicodeToAnsi(dian, AnsiCodePage()));
}

TEST(AnsiToUtf8, ConvertsGbkToUtf8) {
  EXPECT_EQ(AnsiToUtf8("电信一"), "\xE7\x94\xB5\xE4\xBF\xA1\xE4\xB8\x80");
  EXPECT_EQ(AnsiToUtf8("Abc-1.2 x"), "Abc-1.2 x");
  EXPECT_EQ(AnsiToUtf8(""), "");
  EXPECT_EQ(AnsiToUtf8("a\x81"), "a?");  // a lead byte without its second byte
}

}  // namespace
