// The handlers of MainWindow, driven through the headless toolkit (Linux
// only: the Windows build shows real boxes, which tests/gui drives instead).
#include <gtest/gtest.h>

#include <string>

#include "app/constants.h"
#include "app/main_window.h"
#include "platform/posix/headless_toolkit.h"

namespace {

using Kind = ToolkitCall::Kind;

class MainWindowHandlers : public testing::Test {
 protected:
  void SetUp() override { HeadlessCreateWindow(MainWindowDescription()); }
  void TearDown() override { HeadlessReset(); }
};

TEST_F(MainWindowHandlers, CreatedEventSetsCaptionThenVisualStyle) {
  const auto& calls = HeadlessCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Kind::SetCaption);
  EXPECT_EQ(calls[1].kind, Kind::SetVisualStyle);
  EXPECT_EQ(calls[1].number, 2);
  // One space between the title and the home page's bare host.
  EXPECT_EQ(HeadlessWindowCaption(), "【Zantorel】英雄联盟隐藏分查询 www.example.com");
}

TEST_F(MainWindowHandlers, InputControlsStartEmpty) {
  EXPECT_EQ(ReadControlText(kRegionList), "");
  EXPECT_EQ(ReadControlText(kNameBox), "");
  EXPECT_EQ(ReadControlText(kQueryButton), "查询");
  HeadlessSelectListItem(kRegionList, 19);
  EXPECT_EQ(ReadControlText(kRegionList), "教育网专区");
  HeadlessSelectListItem(kRegionList, -1);
  EXPECT_EQ(ReadControlText(kRegionList), "");
}

TEST_F(MainWindowHandlers, LinkButtonsShowTheirMessageThenOpenTheirAddress) {
  const struct {
    int button;
    bool message;
    const char* text;
    const char* address;
  } cases[] = {
      {kHomePageButton, true, "只做有质量的教程和软件。只分享有取有意义的文章！", "http://www.example.com"},
      {kPartnerButton, true, "明智之选！", "http://www.example.org"},
      {kContactButton, false, "", "tencent://QQInterLive/?Cmd=2&Uin=123456789"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    HeadlessCreateWindow(MainWindowDescription());
    const size_t before = HeadlessCalls().size();
    HeadlessClick(c.button);
    const auto& calls = HeadlessCalls();
    ASSERT_EQ(calls.size(), before + (c.message ? 2 : 1));
    size_t next = before;
    if (c.message) {
      EXPECT_EQ(calls[next].kind, Kind::ShowMessage);
      EXPECT_EQ(calls[next].text, c.text);
      EXPECT_EQ(calls[next].caption, "明智之选！");
      EXPECT_EQ(calls[next].number, 0);
      ++next;
    }
    EXPECT_EQ(calls[next].kind, Kind::OpenAddress);
    EXPECT_EQ(calls[next].text, c.address);
  }
}

}  // namespace
