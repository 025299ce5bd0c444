// The code-page layer must give Windows' units and bytes on every platform,
// bad input included. The expectations were read off Windows' conversion
// functions (under Wine); the same table runs natively and as a Windows program.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

std::u16string ToUtf16(unsigned codePage, std::string_view bytes) {
  const int length = static_cast<int>(bytes.size());
  const int count = MultiByteToUtf16(codePage, bytes.data(), length, nullptr, 0);
  std::u16string units(static_cast<std::size_t>(count), u'\0');
  if (count > 0) {
    EXPECT_EQ(MultiByteToUtf16(codePage, bytes.data(), length, units.data(), count), count);
  }
  return units;
}

std::string FromUtf16(unsigned codePage, std::u16string_view units) {
  const int length = static_cast<int>(units.size());
  const int count = Utf16ToMultiByte(codePage, units.data(), length, nullptr, 0);
  std::string bytes(static_cast<std::size_t>(count), '\0');
  if (count > 0) {
    EXPECT_EQ(Utf16ToMultiByte(codePage, units.data(), length, bytes.data(), count), count);
  }
  return bytes;
}

std::string Convert(unsigned from, unsigned to, std::string_view bytes) {
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(ConvertCodePage(from, to, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out));
  return std::string(out.begin(), out.end());
}

struct ToUnitsCase {
  unsigned codePage;
  std::string_view bytes;
  std::u16string_view units;
};

using namespace std::string_view_literals;

const ToUnitsCase kToUnits[] = {
    {65001, "\xE4\xBD\xA0\xE5\xA5\xBD"sv, u"\u4F60\u597D"},
    {65001, "\xF0\x9F\x98\x80"sv, u"\xD83D\xDE00"},
    {65001, "\xEF\xBB\xBF" "a"sv, u"\uFEFFa"},
    {65001, "a\0b"sv, u"a\0b"sv},
    // Bad UTF-8: one U+FFFD per bad run as Windows cuts them.
    {65001, "a\x80" "b"sv, u"a\uFFFDb"},
    {65001, "a\xC3"sv, u"a\uFFFD"},
    {65001, "a\xE4\xBD" "b"sv, u"a\uFFFDb"},
    {65001, "\xF0\x9F\x98" "a"sv, u"\uFFFDa"},
    {65001, "\xC0\xAF"sv, u"\uFFFD\uFFFD"},
    {65001, "\xE0\x80\xAF"sv, u"\uFFFD\uFFFD"},
    {65001, "\xED\xA0\x80"sv, u"\uFFFD\uFFFD"},
    {65001, "\xF0\x80\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD"},
    {65001, "\xF4\x90\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD"},
    {65001, "\xF8\x88\x80\x80\x80"sv, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {65001, "\xFF" "x"sv, u"\uFFFDx"},
    {65001, "\xE4\x80" "a"sv, u"\uFFFDa"},
    {65001, "\xC3\xE4"sv, u"\uFFFD\uFFFD"},
    // A sequence cut off by the end of the input takes the rest with it.
    {65001, "a\xE4" "x"sv, u"a\uFFFD"},
    {65001, "\xF0\xC3\xA9"sv, u"\uFFFD"},
    {936, "电信一", u"\u7535\u4FE1\u4E00"},
    {936, "\x81\x41"sv, u"\u4E04"},  // second byte looks like "A"
    {936, "\x80"sv, u"\u20AC"},
    {936, "\xFF"sv, u"\uF8F5"},
    {936, "\xA1\xA1"sv, u"\u3000"},
    {936, "\xAA\xA1"sv, u"\uE000"},  // user-defined area
    {936, "\xA1\x40"sv, u"\uE4C6"},
    {936, "\xFE\x50"sv, u"\uE815"},
    // Bad GBK: a lead byte takes the next byte with it unless that is NUL.
    {936, "a\x81\x20" "b"sv, u"a?b"},
    {936, "\x81\x30"sv, u"?"},
    {936, "\xA1\x7F"sv, u"?"},
    {936, "\x81\0" "a"sv, u"?\0a"sv},
    {936, "a\x81"sv, u"a?"},
};

TEST(CodePage, ReadsBytesAsWindowsDoes) {
  for (const ToUnitsCase& c : kToUnits) {
    SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", " << testing::PrintToString(c.bytes));
    EXPECT_EQ(ToUtf16(c.codePage, c.bytes), c.units);
  }
}

struct ToBytesCase {
  unsigned codePage;
  std::u16string_view units;
  std::string_view bytes;
};

const ToBytesCase kToBytes[] = {
    {936, u"\u7535\u4FE1\u4E00", "电信一"},
    {936, u"\u00E9", "\xA8\xA6"sv},
    {936, u"\u20AC", "\x80"sv},
    {936, u"\uF8F5", "\xFF"sv},
    {936, u"\uE000", "\xAA\xA1"sv},
    {936, u"\uE5E5", "\xA3\xA0"sv},
    {936, u"\u00A2", "\xA1\xE9"sv},  // written as a similar character
    {936, u"\u00AD", "-"sv},
    {936, u"\u2015", "\xA8\x44"sv},
    {936, u"\u00A0", "?"sv},  // lacking in GBK
    {936, u"\u30FB", "?"sv},
    {936, u"\uFFFD", "?"sv},
    {936, u"\uFEFFa", "?a"sv},
    {936, u"\xD83D\xDE00", "??"sv},
    {936, u"\xD800" u"a", "?a"sv},
    {936, u"\xDC00" u"a", "?a"sv},
    {936, u"a\0b"sv, "a\0b"sv},
    {65001, u"\u7535\u4FE1\u4E00", "\xE7\x94\xB5\xE4\xBF\xA1\xE4\xB8\x80"sv},
    {65001, u"\xD83D\xDE00", "\xF0\x9F\x98\x80"sv},
    {65001, u"\xD800" u"a", "\xEF\xBF\xBD" "a"sv},
    {65001, u"\xDC00", "\xEF\xBF\xBD"sv},
    {65001, u"\uFEFFa", "\xEF\xBB\xBF" "a"sv},
};

TEST(CodePage, WritesUnitsAsWindowsDoes) {
  for (const ToBytesCase& c : kToBytes) {
    SCOPED_TRACE(testing::Message() << "code page " << c.codePage << ", " << testing::PrintToString(c.bytes));
    EXPECT_EQ(FromUtf16(c.codePage, c.units), c.bytes);
  }
}

TEST(CodePage, DirectConversionEqualsTheTwoSteps) {
  for (const ToUnitsCase& c : kToUnits) {
    for (const unsigned to : {936u, 65001u}) {
      SCOPED_TRACE(testing::Message() << c.codePage << " to " << to << ", " << testing::PrintToString(c.bytes));
      EXPECT_EQ(Convert(c.codePage, to, c.bytes), FromUtf16(to, ToUtf16(c.codePage, c.bytes)));
    }
  }
  EXPECT_EQ(Convert(65001, 936, "\xE7\x94\xB5" "\xF0\x9F\x98\x80" "\xE4" "xyz"sv), "\xB5\xE7??" "?xyz"sv);
}

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(CodePage, ConvertsLongTextsWithBadBytesThroughout) {
  // Outputs of a few hundred KiB, growing beyond every first guess, with a
  // repair every few bytes.
  EXPECT_EQ(Convert(936, 65001, Repeat("\x80"sv, 40000)), Repeat("\xE2\x82\xAC"sv, 40000));
  EXPECT_EQ(Convert(65001, 936, Repeat("\xE7\x94\xB5\xFF"sv, 30000)), Repeat("\xB5\xE7?"sv, 30000));
  EXPECT_EQ(Convert(65001, 65001, Repeat("a\xFF"sv, 30000)), Repeat("a\xEF\xBF\xBD"sv, 30000));
  EXPECT_EQ(Convert(936, 65001, Repeat("\xB5\xE7\x81\x20"sv, 30000)), Repeat("\xE7\x94\xB5?"sv, 30000));
  // Tag characters (U+E0000-U+E007F) are no GBK characters either: "?" per unit.
  EXPECT_EQ(Convert(65001, 936, Repeat("\xF3\xA0\x81\x9F" "a"sv, 20000)), Repeat("??a"sv, 20000));
  std::u16string tags;
  for (int i = 0; i < 20000; ++i) tags += u"\xDB40\xDC5F" u"a";
  EXPECT_EQ(FromUtf16(936, tags), Repeat("??a"sv, 20000));
}

TEST(CodePage, CountsAndChecksCapacity) {
  // Length -1 takes the text up to and including its NUL.
  EXPECT_EQ(MultiByteToUtf16(936, "ab", -1, nullptr, 0), 3);
  char16_t units[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToUtf16(936, "ab", -1, units, 3), 3);
  EXPECT_EQ(std::u16string_view(units, 3), u"ab\0"sv);
  EXPECT_EQ(MultiByteToUtf16(936, "ab", -1, units, 2), 0);
  EXPECT_EQ(MultiByteToUtf16(936, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToUtf16(936, "ab", 0, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToUtf16(65001, "\xE4x", -1, nullptr, 0), 3);  // U+FFFD x NUL
  EXPECT_EQ(MultiByteToUtf16(65001, "\xF0x", -1, nullptr, 0), 1);  // the NUL is taken with the bad run

  EXPECT_EQ(Utf16ToMultiByte(65001, u"\u7535", -1, nullptr, 0), 4);
  char bytes[4] = {};
  EXPECT_EQ(Utf16ToMultiByte(65001, u"\u7535", -1, bytes, 4), 4);
  EXPECT_EQ(std::string_view(bytes, 4), "\xE7\x94\xB5\0"sv);
  EXPECT_EQ(Utf16ToMultiByte(65001, u"\u7535", -1, bytes, 3), 0);
  EXPECT_EQ(Utf16ToMultiByte(65001, nullptr, -1, nullptr, 0), 0);
}

TEST(CodePage, CodePageZeroIsTheAnsiCodePage) {
  const std::string_view text = "\xB5\xE7 ab \xC0"sv;
  EXPECT_EQ(ToUtf16(0, text), ToUtf16(AnsiCodePage(), text));
  EXPECT_EQ(FromUtf16(0, u"\u7535 ab \u00E9"), FromUtf16(AnsiCodePage(), u"\u7535 ab \u00E9"));
}

TEST(CodePage, RefusesUnknownCodePages) {
  std::vector<std::uint8_t> out{1, 2, 3};
  const std::uint8_t data[] = {'a'};
  EXPECT_FALSE(ConvertCodePage(54321, 65001, data, 1, out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(ConvertCodePage(65001, 54321, data, 1, out));
  EXPECT_EQ(MultiByteToUtf16(54321, "a", -1, nullptr, 0), 0);
  EXPECT_TRUE(ConvertCodePage(65001, 936, data, 0, out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
