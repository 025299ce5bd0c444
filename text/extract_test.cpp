#include "text/extract.h"

#include <gtest/gtest.h>

namespace {

struct BetweenCase {
  Text text;
  Text left;
  Text right;
  int start;
  bool caseSensitive;
  Text expected;
};

TEST(TextBetween, CutsBetweenTheFirstLeftAndTheNextRightMarker) {
  const BetweenCase cases[] = {
      {"a[b]c", "[", "]", 1, false, "b"},
      {"a[]c", "[", "]", 1, false, ""},
      {"a[bc", "[", "]", 1, false, ""},
      {"ab]c", "[", "]", 1, false, ""},
      {"x1y x2y", "x", "y", 1, false, "1"},
      {"<td>钻石 I</td>", "<TD>", "</td>", 1, false, "钻石 I"},
      {"USER-AGENT: Moz\r\nX: y", "User-Agent:", "\r\n", 1, false, " Moz"},
      {"USER-AGENT: Moz\r\nX: y", "User-Agent:", "\r\n", 1, true, ""},
      // The right marker is searched behind the left one: no overlap.
      {"aXa", "a", "a", 1, false, "X"},
      {"aaa", "aa", "aa", 1, false, ""},
      {"[1][2]", "[", "]", 2, false, "2"},
      {"[1][2]", "[", "]", 0, false, "1"},
      {"[1][2]", "[", "]", -5, false, "1"},
      // An empty left marker is found at the start; an empty right marker gives nothing.
      {"abc]d", "", "]", 1, false, "abc"},
      {"a[b]c", "[", "", 1, false, ""},
      {"", "", "", 1, false, ""},
      // "]" as the second byte of a two-byte character is no marker.
      {"[\xB0]x]", "[", "]", 1, false, "\xB0]x"},
  };
  for (const BetweenCase& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.text) << " " << c.left << " " << c.right);
    EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.caseSensitive), c.expected);
  }
}

TEST(TextBetween, QuoteMarkStandsForADoubleQuote) {
  EXPECT_EQ(TextBetween("<a href=\"u\">", "href=#引号", "#引号"), "u");
  EXPECT_EQ(TextBetween("<a href=\"u\">", "href=#引号#引号", ">"), "");
  // The five bytes written literally in a text are not a quote.
  EXPECT_EQ(TextBetween("#引号x#引号", "#引号", "#引号"), "");
  EXPECT_EQ(TextBetween("a#引号b\"c\"", "#引号", "#引号"), "c");
}

struct AfterLastCase {
  Text text;
  Text delimiter;
  bool ignoreCase;
  Text expected;
};

TEST(TextAfterLast, TakesTheBytesBehindTheLastDelimiter) {
  const AfterLastCase cases[] = {
      {"艾欧尼亚 电信一", " ", false, "电信一"},
      {"一区 艾欧尼亚 电信一", " ", false, "电信一"},
      {"电信一", " ", false, ""},
      {"a b ", " ", false, ""},
      {"abc", "", false, "abc"},
      {"", " ", false, ""},
      {"<td>a<td>b", "<td>", false, "b"},
      {"aXbXc", "x", false, ""},
      {"aXbXc", "x", true, "c"},
      {"aaa", "aa", false, ""},       // overlapping: the last occurrence ends the text
      {"艾欧尼亚　电信一", "　", false, "电信一"},  // full-width space
      {"a b\xB0 c", " ", false, "b\xB0 c"},  // 0x20 as a second byte is no delimiter
  };
  for (const AfterLastCase& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.text) << " / " << c.delimiter);
    EXPECT_EQ(TextAfterLast(c.text, c.delimiter, c.ignoreCase), c.expected);
  }
}

TEST(HeaderValue, TrimsTheBytesBehindTheFirstColon) {
  const std::pair<Text, Text> cases[] = {
      {"Name:  value ", "value"},
      {"a:b:c", "b:c"},
      {"Location: http://h:81/x", "http://h:81/x"},
      {"no colon", ""},
      {"x:   ", ""},
      {"", ""},
      {"k:　v　 ", "v"},
      {"k:\tv\r\n", "\tv\r\n"},  // only spaces are trimmed
  };
  for (const auto& [line, expected] : cases) {
    SCOPED_TRACE(testing::PrintToString(line));
    EXPECT_EQ(HeaderValue(line), expected);
  }
}

}  // namespace
