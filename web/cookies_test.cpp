#include "web/cookies.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct MergeCase {
  Text cookies;
  Text returned;
  Text merged;
  Text returnedAfter;
};

TEST(CookieMerge, FoldsReturnedCookiesIntoTheOldOnes) {
  const MergeCase cases[] = {
      {"a=1; b=2; t=3", "b=20; d=4; t=deleted", "b=20; d=4; a=1", "b=20;d=4;t=deleted"},
      {"", "", "", ""},
      {"a=1", "", "a=1", ""},
      {"", "x=1; y=deleted", "x=1", "x=1;y=deleted"},
      {"sid=ab cd", "", "sid=abcd", ""},
      {"a=1; a=2", "", "a=1", ""},
      {"a=9", "a=1; a=2", "a=1; a=2", "a=1;a=2"},
      {"", "a=1; b=2; a=1", "a=1; b=2", "a=1;b=2;a=1"},
      {"flag; a=1", "a=2", "a=2; flag", "a=2"},
      {"A=1", "a=2", "a=2; A=1", "a=2"},
      {"a=1", "a=DELETED", "a=DELETED", "a=DELETED"},
      {"a=deleted; b=2", "", "b=2", ""},
      {"a=1;;b=2", "", "a=1; ; b=2", ""},
      {"a=1;", "", "a=1", ""},
      // Full-width spaces are blanks too; "deleted" needs its "=".
      {"a=1;　b=2", "c=3 ", "c=3; a=1; b=2", "c=3"},
      {"deleted; b=2", "", "deleted; b=2", ""},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cookies << " | " << c.returned);
    Text cookies = c.cookies;
    Text returned = c.returned;
    const Text result = CookieMerge(cookies, returned);
    EXPECT_EQ(result, c.merged);
    EXPECT_EQ(cookies, c.merged);
    EXPECT_EQ(returned, c.returnedAfter);
  }
}

// The merge as written step by step with the linear look-ups; the hashed
// merge must give the same text for any input.
Text MergeByTheSteps(Text cookies, Text returned) {
  const TextArray oldItems = SplitText(RemoveAllSpaces(cookies), ";");
  TextArray items = SplitText(RemoveAllSpaces(returned), ";");
  for (const Text& item : oldItems)
    if (!CookieListHasName(items, CookieName(item))) items.Append(item);
  Text merged;
  for (const Text& item : items)
    if (!(TextLength(item) >= 8 && TextRight(item, 8) == "=deleted")) merged += item + "; ";
  merged = TextLeft(merged, TextLength(merged) - 2);
  const TextArray members = SplitText(merged, "; ");
  TextArray seen;
  Text result;
  for (const Text& member : members) {
    if (ArrayFindText(seen, member) != -1) continue;
    seen.Append(member);
    result += member + "; ";
  }
  return TextLeft(result, TextLength(result) - 2);
}

TEST(CookieMerge, MatchesTheStepByStepMergeOnRandomTexts) {
  std::mt19937 random(12345);
  const char* pieces[] = {"a", "b", "A", "=", "1", "2", ";", ";", " ", "deleted", "=deleted", "　", "x=y"};
  const auto randomText = [&] {
    Text text;
    for (int n = static_cast<int>(random() % 14); n > 0; --n) text += pieces[random() % std::size(pieces)];
    return text;
  };
  for (int round = 0; round < 2000; ++round) {
    Text cookies = randomText();
    Text returned = randomText();
    SCOPED_TRACE(testing::Message() << cookies << " | " << returned);
    const Text expected = MergeByTheSteps(cookies, returned);
    EXPECT_EQ(CookieMerge(cookies, returned), expected);
  }
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(CookieName("a=b=x"), "a");
  EXPECT_EQ(CookieName("=x"), "");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName(" sid =1"), "sid");
  EXPECT_EQ(CookieName(""), "");
}

TEST(CookieListHasName, ComparesNamesExactly) {
  const TextArray items = SplitText("a=1;flag;=z", ";");
  EXPECT_TRUE(CookieListHasName(items, "a"));
  EXPECT_TRUE(CookieListHasName(items, "flag"));
  EXPECT_TRUE(CookieListHasName(items, ""));
  EXPECT_FALSE(CookieListHasName(items, "A"));
  EXPECT_FALSE(CookieListHasName(items, "a=1"));
  EXPECT_FALSE(CookieListHasName(TextArray(), ""));
}

TEST(DedupeJoined, KeepsTheFirstOfEachMember) {
  const struct {
    Text text;
    Text delimiter;
    Text expected;
  } cases[] = {
      {"a; b; a", "; ", "a; b"},
      {"", "; ", ""},
      {"abc", "; ", "abc"},
      {"a; ; b; ; a", "; ", "a; ; b"},
      {"x,y,x,z,y", ",", "x,y,z"},
      {"x,y,", ",", "x,y"},
      {"a; b", "", "a; b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DedupeJoined(c.text, c.delimiter), c.expected);
  }
}

TEST(ArrayFindText, GivesTheFirstEqualMember) {
  const TextArray array = SplitText("a,,b,a", ",");
  EXPECT_EQ(ArrayFindText(array, "a"), 1);
  EXPECT_EQ(ArrayFindText(array, ""), 2);
  EXPECT_EQ(ArrayFindText(array, "b"), 3);
  EXPECT_EQ(ArrayFindText(array, "A"), -1);
  EXPECT_EQ(ArrayFindText(TextArray(), ""), -1);
}

}  // namespace
