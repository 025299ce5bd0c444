#include "app/rank_reply.h"

#include <gtest/gtest.h>

#include "app/constants.h"

namespace {

const Text kEmptyMessage = "游戏ID：Abc\r\n段位 ：\r\n隐藏分：\r\n排位胜场：\r\n排位胜率：\r\n最近登录：";

// A reply the way the service lays it out: one row per field, the header cell
// ending its line, the value cell on the next.
const Text kFullReply =
    "<html><head><meta charset=\"utf-8\"></head><body>\r\n<table>\r\n"
    "<tr>\r\n  <td>段位</td>\r\n  <td>钻石 II</td>\r\n</tr>\r\n"
    "<tr>\r\n  <td>隐藏分</td>\r\n  <td>2345</td>\r\n</tr>\r\n"
    "<tr>\r\n  <td>排位胜场</td>\r\n  <td>312</td>\r\n</tr>\r\n"
    "<tr>\r\n  <td>排位胜率</td>\r\n  <td>54%</td>\r\n</tr>\r\n"
    "<tr>\r\n  <td>最近登录</td>\r\n  <td>2024-05-01 21:13</td>\r\n</tr>\r\n"
    "</table></body></html>\r\n";

TEST(RankRequestBody, PercentEncodesTheRegionLabelAndTheNameFromUtf8) {
  struct Case {
    const char* comboText;
    const char* name;
    const char* body;
  } cases[] = {
      {"艾欧尼亚 电信一", "Abc", "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=%41%62%63"},
      {"弗雷尔卓德 网通三", "Abc-1.2", "daqu=%E7%BD%91%E9%80%9A%E4%B8%89&nickname=%41%62%63%2D%31%2E%32"},
      // Item 20 has no space, and an unpicked list reads as the empty text.
      {"教育网专区", "Abc", "daqu=&nickname=%41%62%63"},
      {"", "Abc", "daqu=&nickname=%41%62%63"},
      {"艾欧尼亚 电信一", "", "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname="},
      {"", "", "daqu=&nickname="},
      // Spaces inside and around the name are sent, not trimmed.
      {"祖安 电信二", " a b ", "daqu=%E7%94%B5%E4%BF%A1%E4%BA%8C&nickname=%20%61%20%62%20"},
      {"祖安 电信二", "小明&=%", "daqu=%E7%94%B5%E4%BF%A1%E4%BA%8C&nickname=%E5%B0%8F%E6%98%8E%26%3D%25"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RankRequestBody(c.comboText, c.name), c.body) << c.body;
  }
}

TEST(RegionLabel, IsTheTextAfterTheLastSpace) {
  EXPECT_EQ(RegionLabel("艾欧尼亚 电信一"), "电信一");
  EXPECT_EQ(RegionLabel("皮城警备 电信十九"), "电信十九");
  EXPECT_EQ(RegionLabel("a b c"), "c");
  EXPECT_EQ(RegionLabel("教育网专区"), "");
  EXPECT_EQ(RegionLabel("ends with "), "");
  // Every item but the 20th carries a label.
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(RegionLabel(constants::kRegions[i]).empty(), i == 19) << constants::kRegions[i];
  }
}

TEST(RankServiceUrl, IsHttpHostAndThePath) {
  EXPECT_EQ(RankServiceUrl("rank.example.net"), "http://rank.example.net/rank/rank.php");
  EXPECT_EQ(RankServiceUrl("127.0.0.1:8080"), "http://127.0.0.1:8080/rank/rank.php");
}

TEST(CutRankValues, TakesEachValueFromTheCellBehindItsHeaderLine) {
  const RankValues full = {"钻石 II", "2345", "312", "54%", "2024-05-01 21:13"};
  const RankValues none = {};
  struct Case {
    const char* what;
    Text reply;
    RankValues values;
  } cases[] = {
      {"full table", kFullReply, full},
      {"worked example", "<td>段位</td>\r\n    <td>V</td>", {"V", "", "", "", ""}},
      {"empty reply", "", none},
      {"marker in capitals", "<TD>段位</TD>\r\n<td>V</td>", {"V", "", "", "", ""}},
      {"value cell in capitals", "<td>段位</td>\r\n<TD>V</TD>", none},
      {"value cell with attributes", "<td>段位</td>\r\n<td class=\"v\">V</td>", none},
      {"two <td> in one cut", "<td>段位</td>\r\n<td>a<td>b</td>", {"b", "", "", "", ""}},
      {"markup inside a value", "<td>段位</td>\r\n<td><b>V</b></td>", {"<b>V</b>", "", "", "", ""}},
      {"marker twice", "<td>段位</td>\r\n<td>1</td><td>段位</td>\r\n<td>2</td>", {"1", "", "", "", ""}},
      {"value on the marker's line", "<td>段位</td><td>V</td>\r\n", none},
      {"marker without </td> behind it", "<td>隐藏分</td>\r\n<td>9</td>\r\n<td>段位</td>\r\n<td>V",
       {"", "9", "", "", ""}},
      {"value cell right after the marker", "<td>最近登录</td>\r\n<td></td>", none},
      {"entities stay", "<td>排位胜率</td>\r\n<td>50&#37;&nbsp;</td>", {"", "", "", "50&#37;&nbsp;", ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutRankValues(c.reply), c.values) << c.what;
  }
}

TEST(CutRankValues, FindsNothingInLfOnlyOrUndecodedUtf8Replies) {
  Text lfOnly = kFullReply;
  for (auto at = lfOnly.find("\r\n"); at != Text::npos; at = lfOnly.find("\r\n", at)) lfOnly.erase(at, 1);
  EXPECT_EQ(CutRankValues(lfOnly), RankValues{});

  // The same table left in UTF-8 (a reply that did not declare its charset).
  const char8_t utf8[] = u8"<td>段位</td>\r\n<td>V</td>\r\n<td>隐藏分</td>\r\n<td>1</td>";
  EXPECT_EQ(CutRankValues(Text(reinterpret_cast<const char*>(utf8))), RankValues{});
}

TEST(RankMessage, HasSixLinesWithTheFullWidthColons) {
  EXPECT_EQ(RankMessage("Abc", {"钻石 II", "2345", "312", "54%", "2024-05-01 21:13"}),
            "游戏ID：Abc\r\n段位 ：钻石 II\r\n隐藏分：2345\r\n排位胜场：312\r\n排位胜率：54%\r\n"
            "最近登录：2024-05-01 21:13");
  EXPECT_EQ(RankMessage("Abc", {}), kEmptyMessage);
  EXPECT_EQ(RankMessage("", {}), "游戏ID：\r\n段位 ：\r\n隐藏分：\r\n排位胜场：\r\n排位胜率：\r\n最近登录：");
  // The name is shown exactly as typed.
  EXPECT_EQ(RankMessage(" 小 明 ", {"V"}), "游戏ID： 小 明 \r\n段位 ：V\r\n隐藏分：\r\n排位胜场：\r\n排位胜率：\r\n最近登录：");
}

TEST(ReplyArrived, NeedsAStatusLineOrABody) {
  const Text blank(5000, ' ');  // the header buffer a failed send leaves behind
  struct Case {
    Text rawHeaders;
    const char* reply;
    bool arrived;
  } cases[] = {
      {"", "", false},                   // a handle could not be opened
      {blank, "", false},                // connection refused, host not found
      {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "", true},  // an empty page
      {"HTTP/1.1 500 Internal Server Error\r\n\r\n", "<h1>500</h1>", true},
      {"HTTP/1.0 404 Not Found\r\n\r\n", "", true},
      {"HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n", "", true},
      {blank, "<td>段位</td>", true},   // headers too long for the buffer, body read
      {"HTTP/1.1\r\n", "", false},
      {"HTTP/1.1 2x0 OK\r\n", "", false},
      {"Content-Type: text/html\r\nHTTP/1.1 200 OK\r\n", "", false},
      {"  HTTP/1.1 200 OK", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplyArrived(c.rawHeaders, c.reply), c.arrived) << "[" << c.rawHeaders.substr(0, 40) << "]";
  }
}

TEST(RankQueryMessage, ShowsTheNoticeOnlyWhenNothingCameBack) {
  EXPECT_EQ(RankQueryMessage("Abc", "", ""), constants::kServiceUnreachable);
  EXPECT_EQ(RankQueryMessage("Abc", "", Text(5000, ' ')), constants::kServiceUnreachable);
  EXPECT_EQ(RankQueryMessage("Abc", "", "HTTP/1.1 200 OK\r\n\r\n"), kEmptyMessage);
  EXPECT_EQ(RankQueryMessage("Abc", "<html>Not Found</html>", "HTTP/1.1 404 Not Found\r\n\r\n"), kEmptyMessage);
  EXPECT_EQ(RankQueryMessage("Abc", kFullReply, "HTTP/1.1 200 OK\r\n\r\n"),
            "游戏ID：Abc\r\n段位 ：钻石 II\r\n隐藏分：2345\r\n排位胜场：312\r\n排位胜率：54%\r\n"
            "最近登录：2024-05-01 21:13");
}

}  // namespace
