#include "app/main_window.h"

#include <gtest/gtest.h>

#include <string>

#include "app/constants.h"
#include "app/rank_query.h"

namespace {

std::string Gbk(const char* text) { return text ? text : ""; }

TEST(MainWindowDescription, WindowProperties) {
  const WindowDescription& window = MainWindowDescription();
  EXPECT_EQ(Gbk(window.caption), "");
  EXPECT_EQ(window.width, 382);
  EXPECT_EQ(window.height, 166);
  EXPECT_EQ(window.left, 50);
  EXPECT_EQ(window.top, 50);
  EXPECT_EQ(window.listHeight, 160);
  EXPECT_EQ(window.onCreated, &OnMainWindowCreated);
}

TEST(MainWindowDescription, ControlsInCreationOrder) {
  struct Expected {
    const char* name;
    ControlKind kind;
    int left, top, width, height;
    const char* text;
    bool focusStop;
    void (*onClick)();
  };
  // Narrow literals are GBK, as the description's are.
  const Expected expected[] = {
      {"组合框1", ControlKind::DropDownList, 80, 16, 168, 20, "", true, nullptr},
      {"标签1", ControlKind::Label, 8, 16, 48, 24, "选择大区", false, nullptr},
      {"标签2", ControlKind::Label, 8, 64, 56, 24, "游戏ID", false, nullptr},
      {"编辑框1", ControlKind::Edit, 80, 64, 168, 20, "", true, nullptr},
      {"按钮1", ControlKind::Button, 264, 16, 72, 64, "查询", true, &RankQuery},
      {"按钮2", ControlKind::Button, 8, 96, 96, 32, "Zantorel", true, &OpenHomePage},
      {"按钮3", ControlKind::Button, 128, 96, 96, 32, "刷钻平台", true, &OpenPartnerSite},
      {"按钮4", ControlKind::Button, 240, 96, 96, 32, "联系作者", true, &ContactAuthor},
  };
  const WindowDescription& window = MainWindowDescription();
  ASSERT_EQ(window.controlCount, 8);
  for (int i = 0; i < 8; ++i) {
    const ControlDescription& control = window.controls[i];
    const Expected& want = expected[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(Gbk(control.name), want.name);
    EXPECT_EQ(control.kind, want.kind);
    EXPECT_EQ(control.left, want.left);
    EXPECT_EQ(control.top, want.top);
    EXPECT_EQ(control.width, want.width);
    EXPECT_EQ(control.height, want.height);
    EXPECT_EQ(Gbk(control.text), want.text);
    EXPECT_EQ(control.focusStop, want.focusStop);
    EXPECT_EQ(control.onClick, want.onClick);
  }
  EXPECT_EQ(Gbk(window.controls[kNameBox].name), "编辑框1");
  EXPECT_EQ(Gbk(window.controls[kRegionList].name), "组合框1");
}

TEST(MainWindowDescription, StackedInReverseCreationOrder) {
  const WindowDescription& window = MainWindowDescription();
  const int expected[] = {7, 6, 5, 4, 3, 2, 1, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(window.stackingOrder[i], expected[i]) << i;
}

TEST(MainWindowDescription, ControlsDoNotOverlap) {
  const WindowDescription& window = MainWindowDescription();
  for (int a = 0; a < window.controlCount; ++a) {
    for (int b = a + 1; b < window.controlCount; ++b) {
      const ControlDescription& p = window.controls[a];
      const ControlDescription& q = window.controls[b];
      const bool apart = p.left + p.width <= q.left || q.left + q.width <= p.left || p.top + p.height <= q.top ||
                         q.top + q.height <= p.top;
      EXPECT_TRUE(apart) << a << " overlaps " << b;
    }
  }
}

TEST(MainWindowDescription, TwentySixRegionsInListOrder) {
  const WindowDescription& window = MainWindowDescription();
  ASSERT_EQ(window.listItemCount, 26);
  const char* const expected[] = {
      "艾欧尼亚 电信一", "比尔吉沃特 网通一", "祖安 电信二",     "诺克萨斯 电信三",   "德玛西亚 网通二",
      "班德尔城 电信四", "皮尔特沃夫 电信五", "战争学院 电信六", "弗雷尔卓德 网通三", "巨神峰 电信七",
      "雷瑟守备 电信八", "无畏先锋 网通四",   "裁决之地 电信九", "黑色玫瑰 电信十",   "暗影岛 电信十一",
      "钢铁烈阳 电信十二", "恕瑞玛 网通五",   "均衡教派 电信十三", "水晶之痕 电信十四", "教育网专区",
      "影流 电信十五",   "守望之海 电信十六", "扭曲丛林 网通六", "征服之海 电信十七", "卡拉曼达 电信十八",
      "皮城警备 电信十九",
  };
  for (int i = 0; i < 26; ++i) EXPECT_EQ(Gbk(window.listItems[i]), expected[i]) << i + 1;
  // The space between region and network is the single byte 0x20.
  EXPECT_EQ(Gbk(window.listItems[0]), "\xB0\xAC\xC5\xB7\xC4\xE1\xD1\xC7\x20\xB5\xE7\xD0\xC5\xD2\xBB");
}

TEST(StartupRoutine, GivesZero) { EXPECT_EQ(StartupRoutine(), 0); }

TEST(ShellAddress, AddsHttpOnlyWhereNoSchemeIsNamed) {
  const struct {
    const char* address;
    const char* expected;
  } cases[] = {
      {"www.example.com", "http://www.example.com"},
      {"tencent://QQInterLive/?Cmd=2&Uin=123456789", "tencent://QQInterLive/?Cmd=2&Uin=123456789"},
      {"http://www.example.com/", "http://www.example.com/"},
      {"HTTPS://x", "HTTPS://x"},
      {"mailto:a@b.c", "mailto:a@b.c"},
      {"svn+ssh://h/r", "svn+ssh://h/r"},
      // A port is not a scheme.
      {"localhost:8080", "http://localhost:8080"},
      {"www.example.com:81/path", "http://www.example.com:81/path"},
      {"h:1?q", "http://h:1?q"},
      // Not a scheme name: starts with a digit, holds "_" or a high byte.
      {"1ab:x", "http://1ab:x"},
      {"a_b:x", "http://a_b:x"},
      {"中文:x", "http://中文:x"},
      {"host/a:b", "http://host/a:b"},
      {":x", "http://:x"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ShellAddress(c.address), c.expected) << c.address;
}

}  // namespace
