#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

// Byte escapes are split from the letters behind them ("\xB0" "A"), as a hex
// escape would otherwise swallow them. 0xB0 0x41 is one two-byte character
// whose second byte looks like the ASCII capital A.

namespace {

std::vector<std::string> Members(const TextArray& array) {
  std::vector<std::string> members;
  for (int i = 1; i <= array.Count(); ++i) members.push_back(array.Member(i));
  return members;
}

// --- Cutting by bytes -------------------------------------------------------

TEST(CutTest, LeftRightMid) {
  struct Row {
    const char* text;
    int n;
    const char* left;
    const char* right;
  };
  const Row rows[] = {
      {"abc", 0, "", ""},          {"abc", -3, "", ""},          {"abc", 2, "ab", "bc"},
      {"abc", 3, "abc", "abc"},    {"abc", 10, "abc", "abc"},    {"", 1, "", ""},
      {"\xB0\xA1x", 1, "\xB0", "x"},  // cuts inside a two-byte character
      {"\xB0\xA1x", 2, "\xB0\xA1", "\xA1x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.text << " n=" << row.n);
    EXPECT_EQ(TextLeft(row.text, row.n), row.left);
    EXPECT_EQ(TextRight(row.text, row.n), row.right);
  }

  struct MidRow {
    const char* text;
    int position, n;
    const char* expected;
  };
  const MidRow mids[] = {
      {"abc", 0, 2, ""},  {"abc", 3, 5, "c"}, {"abc", 4, 1, ""},          {"abc", 1, 0, ""},
      {"abc", 2, -1, ""}, {"abc", 2, 1, "b"}, {"abc", 1, INT_MAX, "abc"}, {"", 1, 1, ""},
      {"\xB0\xA1\xB2\xA3", 2, 2, "\xA1\xB2"},
  };
  for (const MidRow& row : mids) {
    SCOPED_TRACE(testing::Message() << row.text << " p=" << row.position << " n=" << row.n);
    EXPECT_EQ(TextMid(row.text, row.position, row.n), row.expected);
  }
}

TEST(CutTest, LengthsAndAbsentValues) {
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength("电信一区"), 8);  // GBK: two bytes a character
  EXPECT_EQ(BytesLength(ByteString()), 0);
  EXPECT_EQ(BytesLength(ByteString{0, 0, 7}), 3);
  EXPECT_EQ(TextPointer(Text()), nullptr);
  const Text a = "a";
  EXPECT_EQ(TextPointer(a), a.c_str());
}

// --- Searching --------------------------------------------------------------

struct FindRow {
  const char* text;
  const char* needle;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindTextTest, Table) {
  const FindRow rows[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 0, false, 2},
      {"abcabc", "bc", -1, false, 2},
      {"abcabc", "bc", 6, false, -1},  // the window is "c"
      {"abcabc", "bc", 7, false, -1},
      {"abcabc", "", 1, false, 1},  // an empty needle: 1 for any non-empty window
      {"abcabc", "", 3, false, 1},
      {"abcabc", "", 6, false, 1},
      {"abcabc", "", 7, false, -1},
      {"", "", 1, false, -1},
      {"", "a", 1, false, -1},
      {"abc", "abcd", 1, false, -1},
      {"xABCx", "abc", 1, false, -1},
      {"xABCx", "abc", 1, true, 2},
      {"xabcx", "ABC", 1, true, 2},
      {"xaBcX", "AbCx", 1, true, 2},
      {"@[", "`{", 1, true, -1},  // only A-Z fold: not @ ` [ {
      {"\xC1\xA1", "\xE1\xA1", 1, true, -1},  // nor any high byte
      // Needles are matched only where a character starts.
      {"\xB0" "AA", "A", 1, false, 3},
      {"\xB0" "Ax", "A", 1, false, -1},
      {"\xB0" "AA", "A", 2, false, 2},  // the window's first byte starts the walk
      {"\xB0" "aA", "a", 1, true, 3},
      {"\xB0" "A", "\xB0" "a", 1, true, 1},  // second bytes fold too
      {"\xB0" "A", "\xB0" "a", 1, false, -1},
      {"\xB0\xB1\xB2\xB3", "\xB1\xB2", 1, false, -1},
      {"\xB0\xB1\xB2\xB3", "\xB1\xB2", 2, false, 2},
      {"\xB0\xB1\xB2\xB3", "\xB0\xB1\xB2", 1, false, 1},
      {"\xB0\xB1\xB2\xB3\xB1\xB2", "\xB1\xB2", 1, false, 5},
      // A cut character at the end compares like a one-byte character.
      {"a\xB0", "\xB0", 1, false, 2},
      {"\xB0\xB0\xB0", "\xB0", 2, false, 2},
      {"电信一区电信二区", "信二", 1, false, 11},
      {"0123456789abcdefghijKLMNOPQRSTuvwxyz0123", "tuvw", 1, true, 30},
      {"0123456789abcdefghijKLMNOPQRSTuvwxyz0123", "tuvw", 1, false, -1},
      {"0123456789abcdefghij0123456789abcdefghij", "j0", 15, false, 20},
  };
  for (const FindRow& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << "\" \"" << row.needle << "\" start=" << row.start
                                    << " ignoreCase=" << row.ignoreCase);
    EXPECT_EQ(FindText(row.text, row.needle, row.start, row.ignoreCase), row.expected);
  }
}

TEST(FindTextReverseTest, Table) {
  struct Row {
    const char* text;
    const char* needle;
    std::optional<int> start;
    bool ignoreCase;
    int expected;
  };
  const Row rows[] = {
      {"abcabc", "bc", std::nullopt, false, 5},
      {"abcabc", "bc", 5, false, 2},  // the window is "abca"
      {"abcabc", "bc", 6, false, 2},  // "abcab": the last bc would end outside
      {"abcabc", "bc", 7, false, 5},
      {"abcabc", "bc", 100, false, 5},
      {"abcabc", "bc", 1, false, -1},
      {"abcabc", "bc", 0, false, -1},
      {"abcabc", "bc", -4, false, -1},
      {"aaa", "aa", std::nullopt, false, 2},  // overlapping occurrences count
      {"abc", "", std::nullopt, false, 1},
      {"abc", "", 2, false, 1},
      {"abc", "", 1, false, -1},
      {"", "", std::nullopt, false, -1},
      {"", "x", std::nullopt, false, -1},
      {"xABCx", "abc", std::nullopt, false, -1},
      {"xABCxabc", "abc", std::nullopt, true, 6},
      {"xABCxabc", "abc", 8, true, 2},
      {"\xB0" "AA", "A", std::nullopt, false, 3},
      {"\xB0" "Ax", "A", std::nullopt, false, -1},
      {"x\xB0" "a", "A", std::nullopt, true, -1},
      {"\xB0\xB0\xB0", "\xB0", std::nullopt, false, 3},  // the cut character
      {"\xB0\xB0\xB0\xB0", "\xB0", std::nullopt, false, 3},
      {"\xB0\xB1x", "\xB0", 2, false, 1},  // the window ends inside a character
      {"电信一区电信二区", "电信", std::nullopt, false, 9},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << "\" \"" << row.needle
                                    << "\" start=" << row.start.value_or(999) << " ignoreCase=" << row.ignoreCase);
    EXPECT_EQ(FindTextReverse(row.text, row.needle, row.start, row.ignoreCase), row.expected);
  }
}

TEST(ReplaceSubtextTest, Table) {
  struct Row {
    const char* text;
    const char* needle;
    const char* replacement;
    int start, count;
    bool caseSensitive;
    const char* expected;
  };
  const Row rows[] = {
      {"abcabc", "bc", "X", 1, -1, true, "aXaX"},
      {"abcabc", "bc", "X", 1, 1, true, "aXabc"},
      {"abcabc", "bc", "X", 1, 0, true, "abcabc"},
      {"abcabc", "bc", "X", 1, -5, true, "aXaX"},  // any negative count: all
      {"abcabc", "", "X", 1, -1, true, "abcabc"},
      {"abcabc", "bc", "", 1, -1, true, "aa"},
      {"abcabc", "bc", "X", 3, -1, true, "abcaX"},
      {"abcabc", "bc", "X", 0, -1, true, "aXaX"},
      {"abcabc", "bc", "X", 6, -1, true, "abcabc"},
      {"abcabc", "bc", "X", 7, -1, true, "abcabc"},
      {"", "bc", "X", 1, -1, true, ""},
      {"aBCabc", "bc", "X", 1, -1, false, "aXaX"},
      {"aBCabc", "bc", "X", 1, -1, true, "aBCaX"},
      {"aaaa", "aa", "b", 1, -1, true, "bb"},  // occurrences never overlap
      {"aaa", "aa", "b", 1, -1, true, "ba"},
      {"ab", "a", "aa", 1, -1, true, "aab"},  // the replacement is not searched again
      {"\xB0" "AA", "A", "x", 1, -1, true, "\xB0" "Ax"},
      {"\xB0\xB1\xB0\xB1", "\xB1", "x", 1, -1, true, "\xB0\xB1\xB0\xB1"},
      {"\xB0\xB1\xB2\xB3", "\xB1\xB2", "X", 2, -1, true, "\xB0X\xB3"},
      // After a match the walk resumes right behind it.
      {"\xB0\xB0\xB0\xB0", "\xB0", "x", 1, -1, true, "xxxx"},
      // A cut character that the walk reaches is replaced or dropped ...
      {"a\xB0", "\xB0", "X", 1, -1, true, "aX"},
      {"a\xB0", "b", "X", 1, -1, true, "a"},
      {"\xB0\xB0\xB0", "x", "y", 1, -1, true, "\xB0\xB0"},
      // ... and stays when the walk stopped before it.
      {"a\xB0", "bc", "X", 1, -1, true, "a\xB0"},
      {"ab\xB0", "a", "X", 1, 1, true, "Xb\xB0"},
      {"\xB0\xB1\xB2", "b", "X", 1, -1, true, "\xB0\xB1"},
      {"电信一区", "一", "二", 1, -1, true, "电信二区"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << "\" \"" << row.needle << "\" start=" << row.start
                                    << " count=" << row.count << " caseSensitive=" << row.caseSensitive);
    EXPECT_EQ(ReplaceSubtext(row.text, row.needle, row.replacement, row.start, row.count, row.caseSensitive),
              row.expected);
  }
  EXPECT_EQ(ReplaceSubtext("xAbcxabc", "ABC"), "xx");  // defaults: delete all, ignoring case
}

TEST(SplitTextTest, Table) {
  using V = std::vector<std::string>;
  struct Row {
    const char* text;
    const char* delimiter;
    std::optional<int> maxCount;
    V expected;
  };
  const Row rows[] = {
      {"x,y", ",", std::nullopt, {"x", "y"}},
      {"x,,y", ",", std::nullopt, {"x", "", "y"}},
      {",x", ",", std::nullopt, {"", "x"}},
      {"x,", ",", std::nullopt, {"x"}},
      {"x,,", ",", std::nullopt, {"x", ""}},
      {"x,y,z", ",", 2, {"x", "y"}},
      {"x,y,z", ",", 3, {"x", "y", "z"}},
      {"x,y,z", ",", 0, {}},
      {"x,y,z", ",", -1, {}},
      {"", ",", std::nullopt, {}},
      {"xyz", ",", std::nullopt, {"xyz"}},
      {"x,y", "", std::nullopt, {"x,y"}},
      {",", ",", std::nullopt, {""}},
      {"a; b;; c", "; ", std::nullopt, {"a", "b;", "c"}},
      {"aXbxc", "x", std::nullopt, {"aXb", "c"}},  // always exact
      {"\xB0,x", ",", std::nullopt, {"\xB0,x"}},  // 0xB0 0x2C is one character
      {"a,\xB0", ",", std::nullopt, {"a", "\xB0"}},  // a cut character stays ...
      {"a\xB0", "\xB0", std::nullopt, {"a"}},  // ... unless it is the delimiter
      {"电信,一区", ",", std::nullopt, {"电信", "一区"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << "\" \"" << row.delimiter
                                    << "\" maxCount=" << row.maxCount.value_or(999));
    EXPECT_EQ(Members(SplitText(row.text, row.delimiter, row.maxCount)), row.expected);
  }
  EXPECT_EQ(Members(SplitText("x,y")), (V{"x", "y"}));  // "," by default
}

// --- Spaces, case, numbers --------------------------------------------------

TEST(SpacesTest, TrimBothEnds) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"  ab  ", "ab"},
      {"\xA1\xA1 a b\xA1\xA1 \xA1\xA1", "a b"},
      {"\ta\r\n", "\ta\r\n"},
      {" \t a \r\n ", "\t a \r\n"},
      {"   ", ""},
      {"\xA1\xA1 \xA1\xA1", ""},
      {"", ""},
      {"\xA1", ""},  // a lone cut character
      {" \xA1", ""},
      {" a \xB0", "a "},  // the cut character goes, the space before it stays
      {"a\xB0\xA1\xA1", "a\xB0\xA1"},  // 0xB0 0xA1, then a cut 0xA1: no full-width space
      {"x\xB0 ", "x\xB0 "},  // 0xB0 0x20 is one character
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << '"');
    EXPECT_EQ(TrimBothEnds(row.text), row.expected);
  }
}

TEST(SpacesTest, RemoveAllSpaces) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"x y\xA1\xA1z", "xyz"},
      {" \ta\r\n b ", "\ta\r\nb"},
      {"", ""},
      {"  \xA1\xA1", ""},
      {"\xB0 x", "\xB0 x"},
      {"a\xB0", "a"},
      {"\xB0\xA1\xA1", "\xB0\xA1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << '"');
    EXPECT_EQ(RemoveAllSpaces(row.text), row.expected);
  }
}

TEST(CaseTest, ToLowerCase) {
  struct Row {
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"ABCXYZ abcxyz", "abcxyz abcxyz"},
      {"@[`{", "@[`{"},
      {"\xB0" "AA", "\xB0" "Aa"},  // a second byte is never folded
      {"A\xC1", "a\xC1"},
      {"\xC1\xC1" "Z", "\xC1\xC1" "z"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << '"');
    EXPECT_EQ(ToLowerCase(row.text), row.expected);
  }
}

TEST(NumberTest, ToInteger) {
  struct Row {
    const char* text;
    int expected;
  };
  const Row rows[] = {
      {" 81/", 81},
      {"+7", 7},
      {"-0012", -12},
      {"", 0},
      {"abc", 0},
      {"\xA3\xB4\xA3\xB4\xA3\xB3", 443},  // full-width 4 4 3
      {"４４３", 443},
      {"4294967297", 1},  // 2^32 + 1 wraps
      {"4294967295", -1},
      {"2147483648", INT_MIN},
      {"-2147483648", INT_MIN},
      {"\t\n\v\f\r 5", 5},
      {"\xA1\xA1" "12", 12},  // full-width space
      {"\xA3\xAD" "5", -5},   // full-width minus
      {"\xA3\xAB\xA3\xB5", 5},
      {"1\xA3\xB2" "3", 123},
      {"+-5", 0},
      {"- 5", 0},
      {"12 34", 12},
      {"12\xB0", 12},
      {"1\xB0\xB1" "2", 1},
      {"0x1A", 0},
      {"3.7", 3},
      {"\x1c" "5", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << '"' << row.text << '"');
    EXPECT_EQ(ToInteger(row.text), row.expected);
  }
}

TEST(NumberTest, ToHexText) {
  struct Row {
    int value;
    const char* expected;
  };
  const Row rows[] = {{255, "FF"},          {10, "A"},          {0, "0"},
                      {-1, "FFFFFFFF"},     {-2, "FFFFFFFE"},   {4096, "1000"},
                      {INT_MIN, "80000000"}, {INT_MAX, "7FFFFFFF"}};
  for (const Row& row : rows) EXPECT_EQ(ToHexText(row.value), row.expected) << row.value;
}

// --- Construction and conversion --------------------------------------------

TEST(ConversionTest, CharFromCodeAndBlanks) {
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(TextPointer(CharFromCode(0)), nullptr);
  EXPECT_EQ(CharFromCode(65), "A");
  EXPECT_EQ(CharFromCode(255), "\xFF");
  EXPECT_EQ(CharFromCode(256), "");
  EXPECT_EQ(CharFromCode(-1), "");
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-2), "");
  EXPECT_EQ(BlankBytes(2), (ByteString{0, 0}));
  EXPECT_TRUE(BlankBytes(-1).empty());
}

TEST(ConversionTest, TextAndBytes) {
  EXPECT_EQ(ToText(ByteString{0x61, 0x00, 0x62}), "a");
  EXPECT_EQ(ToText(ByteString{0x00, 0x62}), "");
  EXPECT_EQ(ToText(ByteString{}), "");
  EXPECT_EQ(ToText(ByteString{0xB5, 0xE7}), "电");
  EXPECT_EQ(ToText(Text("ab")), "ab");
  EXPECT_TRUE(ToBytes(Text()).empty());
  EXPECT_EQ(ToBytes("a\xB0"), (ByteString{0x61, 0xB0}));
  EXPECT_EQ(BytesLeft(ByteString{1, 0, 2}, 2), (ByteString{1, 0}));
  EXPECT_EQ(BytesLeft(ByteString{1, 0, 2}, 9), (ByteString{1, 0, 2}));
  EXPECT_TRUE(BytesLeft(ByteString{1, 0, 2}, 0).empty());
}

TEST(ConversionTest, FindBytes) {
  struct Row {
    ByteString bytes, needle;
    int start, expected;
  };
  const Row rows[] = {
      {{1, 0, 2, 0, 2}, {0, 2}, 1, 2},
      {{1, 0, 2, 0, 2}, {0, 2}, 3, 4},
      {{1, 0, 2, 0, 2}, {0, 2}, 0, 2},
      {{1, 0, 2, 0, 2}, {0, 2}, 5, -1},
      {{1, 0, 2, 0, 2}, {0, 2}, 6, -1},
      {{1, 0, 2, 0, 2}, {}, 1, -1},
      {{1, 0, 2, 0, 2}, {2, 1}, 1, -1},
      {{0xB0, 0x41}, {0x41}, 1, 2},  // plain bytes: no characters here
      {{}, {1}, 1, -1},
  };
  for (const Row& row : rows) EXPECT_EQ(FindBytes(row.bytes, row.needle, row.start), row.expected) << row.start;
}

TEST(ConversionTest, CompareAndConcat) {
  EXPECT_EQ(CompareText(Text(), ""), 0);
  EXPECT_EQ(CompareText("ab", "ab"), 0);
  EXPECT_GT(CompareText("a", Text()), 0);
  EXPECT_LT(CompareText("a", "b"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);  // a prefix sorts first
  EXPECT_GT(CompareText("\xB0", "a"), 0);  // bytes are unsigned
  EXPECT_TRUE(CompareBytes(ByteString(), ByteString{}));
  EXPECT_TRUE(CompareBytes(ByteString{1, 0}, ByteString{1, 0}));
  EXPECT_FALSE(CompareBytes(ByteString{1, 0}, ByteString{1}));
  EXPECT_FALSE(CompareBytes(ByteString{1, 2}, ByteString{1, 3}));
  EXPECT_EQ(ConcatText(Text(), Text()), "");
  EXPECT_EQ(ConcatText("a", Text(), Text("b"), "c"), "abc");
  EXPECT_TRUE(ConcatBytes(ByteString(), ByteString()).empty());
  EXPECT_EQ(ConcatBytes(ByteString{1}, ByteString(), ByteString{0, 2}), (ByteString{1, 0, 2}));
  EXPECT_EQ(BitOr(1, 2, 4), 7);
  EXPECT_EQ(BitOr(INT_MIN, 1), INT_MIN + 1);
}

// --- TextArray ----------------------------------------------------------------

TEST(TextArrayTest, AppendAndRead) {
  TextArray array;
  EXPECT_EQ(array.Count(), 0);
  array.Append("a");
  array.Append(Text());
  EXPECT_EQ(array.Count(), 2);
  EXPECT_EQ(array.Member(1), "a");
  EXPECT_EQ(array.Member(2), "");
}

// Native: exit status 255; Windows: the exit code 0xFFFFFFFF, reported as -1.
bool ExitedWithMinusOne(int status) {
  return testing::ExitedWithCode(255)(status) || testing::ExitedWithCode(-1)(status);
}

TEST(TextArrayDeathTest, IndexOutOfRangeEndsTheProcess) {
  // Under Wine with an X display the run-time error's modal box would wait
  // for a click that never comes; headless it returns at once.
  if (std::getenv("DISPLAY") != nullptr && std::getenv("WINELOADER") != nullptr)
    GTEST_SKIP() << "the error box would wait for a click on this display";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TextArray array;
  array.Append("a");
  EXPECT_EXIT(array.Member(0), ExitedWithMinusOne, "");
  EXPECT_EXIT(array.Member(2), ExitedWithMinusOne, "");
}

// --- The fast searches against a character-by-character walk -------------------
//
// The rules, written out as the plain walk they describe. The library finds
// candidates with a word-at-a-time filter and falls back to an automaton on
// hostile input; both must give exactly these answers.

bool MatchesAt(const std::string& text, std::size_t i, const std::string& needle, bool ignoreCase) {
  auto fold = [&](unsigned char b) { return ignoreCase && b >= 'A' && b <= 'Z' ? b + 32 : b; };
  for (std::size_t k = 0; k < needle.size(); ++k)
    if (fold(static_cast<unsigned char>(text[i + k])) != fold(static_cast<unsigned char>(needle[k]))) return false;
  return true;
}

std::size_t Step(const std::string& text, std::size_t i) {
  return static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
}

int WalkFind(const std::string& text, const std::string& needle, int start, bool ignoreCase) {
  const std::size_t size = text.size();
  if (size == 0 || (start > 0 && static_cast<std::size_t>(start) > size)) return -1;
  if (needle.empty()) return 1;
  for (std::size_t i = start < 2 ? 0 : start - 1; i < size; i += Step(text, i))
    if (size - i >= needle.size() && MatchesAt(text, i, needle, ignoreCase)) return static_cast<int>(i + 1);
  return -1;
}

int WalkFindReverse(const std::string& text, const std::string& needle, std::optional<int> start, bool ignoreCase) {
  std::size_t window = text.size();
  if (start) window = *start <= 1 ? 0 : std::min<std::size_t>(window, *start - 1);
  if (window == 0) return -1;
  if (needle.empty()) return 1;
  int found = -1;
  for (std::size_t i = 0; i < window; i += Step(text, i))
    if (window - i >= needle.size() && MatchesAt(text, i, needle, ignoreCase)) found = static_cast<int>(i + 1);
  return found;
}

std::string WalkReplace(const std::string& text, const std::string& needle, const std::string& replacement, int start,
                        int count, bool caseSensitive) {
  const std::size_t size = text.size(), m = needle.size();
  if (size == 0 || m == 0 || count == 0 || (start > 0 && static_cast<std::size_t>(start) - 1 >= size)) return text;
  std::size_t i = start < 1 ? 0 : start - 1;
  std::string out = text.substr(0, i);
  while (i < size) {
    if (size - i < m || count == 0) return out + text.substr(i);
    if (MatchesAt(text, i, needle, !caseSensitive)) {
      out += replacement;
      i += m;
      if (count > 0) --count;
    } else if (Step(text, i) == 2 && i + 1 == size) {
      break;  // a cut character that did not match
    } else {
      out += text.substr(i, Step(text, i));
      i += Step(text, i);
    }
  }
  return out;
}

std::vector<std::string> WalkSplit(const std::string& text, const std::string& delimiter, std::optional<int> maxCount) {
  std::vector<std::string> members;
  if (text.empty() || (maxCount && *maxCount <= 0)) return members;
  if (delimiter.empty()) return {text};
  const std::size_t size = text.size(), m = delimiter.size();
  std::size_t from = 0, i = 0;
  while (i < size) {
    if (size - i >= m && MatchesAt(text, i, delimiter, false)) {
      members.push_back(text.substr(from, i - from));
      if (maxCount && static_cast<int>(members.size()) == *maxCount) return members;
      i = from = i + m;
    } else {
      i += Step(text, i);
    }
  }
  if (from < size) members.push_back(text.substr(from));
  return members;
}

std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  static const char kAlphabet[] = {'a', 'A', 'b', 'B', ',', ' ', '\xA1', '\xB0', '\xE1'};
  std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
  for (char& c : text) c = kAlphabet[std::uniform_int_distribution<std::size_t>(0, sizeof kAlphabet - 1)(random)];
  return text;
}

void CompareWithWalk(const std::string& text, const std::string& needle, std::mt19937& random) {
  const int size = static_cast<int>(text.size());
  const int start = std::uniform_int_distribution<int>(-1, size + 2)(random);
  const bool flag = random() % 2 == 0;
  const std::optional<int> limit = random() % 3 == 0 ? std::nullopt : std::optional<int>(start % 6);
  const int count = static_cast<int>(random() % 5) - 2;
  SCOPED_TRACE(testing::Message() << '"' << text << "\" \"" << needle << "\" start=" << start << " flag=" << flag
                                  << " count=" << count);
  EXPECT_EQ(FindText(text, needle, start, flag), WalkFind(text, needle, start, flag));
  EXPECT_EQ(FindTextReverse(text, needle, start, flag), WalkFindReverse(text, needle, start, flag));
  EXPECT_EQ(FindTextReverse(text, needle, std::nullopt, flag), WalkFindReverse(text, needle, std::nullopt, flag));
  EXPECT_EQ(ReplaceSubtext(text, needle, "<>", start, count, flag), WalkReplace(text, needle, "<>", start, count, flag));
  EXPECT_EQ(Members(SplitText(text, needle, limit)), WalkSplit(text, needle, limit));
}

TEST(WalkTest, RandomShortTexts) {
  std::mt19937 random(20240501);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(random, 40);
    CompareWithWalk(text, RandomText(random, 4), random);
    if (HasFailure()) return;
  }
}

// Periodic texts with needles cut from the same period make almost every
// position a candidate; they drive the search past its filter into the
// automaton, overlapping and rejected occurrences included.
TEST(WalkTest, HostilePeriodicTexts) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    // Some periods are high bytes only: in such a run every other byte starts
    // a character, so of two overlapping occurrences one may be rejected and
    // the next one found.
    std::string period = RandomText(random, 5);
    if (round % 3 == 0) {
      for (char& c : period) c = "\xB0\xE1\xA1"[random() % 3];
    } else {
      period += "\xB0" "A";
    }
    if (period.empty()) period = "\xB0";
    std::string repeated;
    while (repeated.size() < 100) repeated += period;
    // Runs of the period, each broken off at a random point, shift the
    // character starts against the occurrences now and then.
    std::string text;
    while (text.size() < 6000) text += repeated.substr(0, 40 + random() % 60);
    std::string needle = repeated.substr(random() % period.size(), 1 + random() % 40);
    CompareWithWalk(text, needle, random);
    if (HasFailure()) return;
  }
}

}  // namespace
