#include "text/charset.h"

#include <gtest/gtest.h>

namespace {

ByteString Bytes(std::string_view text) { return ByteString(text.begin(), text.end()); }

using namespace std::string_view_literals;

struct ConvertCase {
  std::string_view data;
  Text from;
  Text to;
  std::string_view expected;
};

TEST(ConvertCharset, ReEncodesTheBytes) {
  const ConvertCase cases[] = {
      {"\xE4\xBD\xA0\xE5\xA5\xBD"sv, "", "", "\xC4\xE3\xBA\xC3"sv},
      {"\xE7\x94\xB5\xE4\xBF\xA1\xE4\xB8\x80"sv, "", "", "电信一"},
      {"<td>abc 123</td>\r\n"sv, "", "", "<td>abc 123</td>\r\n"sv},
      {""sv, "", "", ""sv},
      {"\xE4\xBD\xA0"sv, "", "GBK", "\xC4\xE3"sv},
      {"\xE4\xBD\xA0"sv, "UTF-8", "", "\xC4\xE3"sv},
      {"电信一", "GBK", "UTF-8", "\xE7\x94\xB5\xE4\xBF\xA1\xE4\xB8\x80"sv},
      {"\xE4\xBD\xA0"sv, "utf8", "gb2312", "\xC4\xE3"sv},
      {"\xE4\xBD\xA0"sv, "Utf-8", "CP936", "\xC4\xE3"sv},
      // A byte-order mark at the start is no character; elsewhere GBK lacks it.
      {"\xEF\xBB\xBF" "abc"sv, "", "", "abc"sv},
      {"a\xEF\xBB\xBF" "b"sv, "", "", "a?b"sv},
      {"\xEF\xBB\xBF"sv, "", "", ""sv},
      // The text read from the input ends at its first NUL character.
      {"ab\0cd"sv, "", "", "ab"sv},
      {"\0ab"sv, "", "", ""sv},
      {"\xC4\xE3\x81\0x"sv, "GBK", "UTF-8", "\xE4\xBD\xA0?"sv},
      // Bad input stays in place as "?", characters GBK lacks too.
      {"a\xFF" "b\xE4\xBD" "c"sv, "", "", "a?b?c"sv},
      {"\xF0\x9F\x98\x80!"sv, "", "", "??" "!"sv},
      // UTF-8 to UTF-8 keeps what GBK lacks.
      {"\xF0\x9F\x98\x80\xC2\xA0"sv, "UTF-8", "utf-8", "\xF0\x9F\x98\x80\xC2\xA0"sv},
  };
  for (const ConvertCase& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.data) << " " << c.from << " to " << c.to);
    EXPECT_EQ(ConvertCharset(Bytes(c.data), c.from, c.to), Bytes(c.expected));
  }
}

TEST(ConvertCharset, StartsTheOutputAtStartPosition) {
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "", 2), Bytes("c"));
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "", 0), Bytes("abc"));
  EXPECT_EQ(ConvertCharset(Bytes("\xE4\xBD\xA0" "ab"), "", "", 2), Bytes("ab"));
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "", 3), ByteString());
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "", 99), ByteString());
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "", -1), Bytes("abc"));  // refused, so read from the start
}

TEST(ConvertCharset, UnknownCharsetsGiveNothing) {
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "latin1"), ByteString());
  EXPECT_EQ(ConvertCharset(Bytes("abc"), "", "big5"), ByteString());
  // StreamConvert takes its charsets as given: an empty one is unknown.
  EXPECT_EQ(StreamConvert(Bytes("abc"), "", "GBK"), ByteString());
  EXPECT_EQ(StreamConvert(Bytes("abc"), "UTF-8", ""), ByteString());
  EXPECT_EQ(StreamConvert(Bytes("\xE4\xBD\xA0" "b"), "UTF-8", "GBK", 1), Bytes("\xE3" "b"));
}

}  // namespace
