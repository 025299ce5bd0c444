#include "app/main_window.h"

#include "app/constants.h"
#include "app/rank_query.h"

namespace {

constexpr ControlDescription kControls[] = {
    // name       kind                       left top width height  text        focus  click
    {"组合框1", ControlKind::DropDownList, 80, 16, 168, 20, "", true, nullptr},
    {"标签1", ControlKind::Label, 8, 16, 48, 24, "选择大区", false, nullptr},
    {"标签2", ControlKind::Label, 8, 64, 56, 24, "游戏ID", false, nullptr},
    {"编辑框1", ControlKind::Edit, 80, 64, 168, 20, "", true, nullptr},
    {"按钮1", ControlKind::Button, 264, 16, 72, 64, "查询", true, RankQuery},
    {"按钮2", ControlKind::Button, 8, 96, 96, 32, "Zantorel", true, OpenHomePage},
    {"按钮3", ControlKind::Button, 128, 96, 96, 32, "刷钻平台", true, OpenPartnerSite},
    {"按钮4", ControlKind::Button, 240, 96, 96, 32, "联系作者", true, ContactAuthor},
};
static_assert(sizeof kControls / sizeof kControls[0] == kMainWindowControlCount);

// Top to bottom: the last created lies on top.
constexpr int kStackingOrder[] = {
    kContactButton, kPartnerButton, kHomePageButton, kQueryButton, kNameBox, kNameLabel, kRegionLabel, kRegionList,
};
static_assert(sizeof kStackingOrder / sizeof kStackingOrder[0] == kMainWindowControlCount);

constexpr int kRegionCount = static_cast<int>(sizeof constants::kRegions / sizeof constants::kRegions[0]);

constexpr WindowDescription kMainWindow = {
    "LolRankMainWindow",
    "",        // the created event sets the caption
    382, 166,  // outer size
    50, 50,    // recorded place; the window is centred
    kControls,
    kMainWindowControlCount,
    kStackingOrder,
    constants::kRegions,
    kRegionCount,
    160,  // a drop-down list is never created lower than this
    OnMainWindowCreated,
};

// The second routine of the start-up: there is nothing to prepare.
void PrepareStartup() {}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// "name:" at the start, where name is a letter followed by letters, digits,
// "+", "-" or ".", and what follows the colon is not a port number.
bool HasScheme(const Text& address) {
  const size_t colon = address.find(':');
  if (colon == Text::npos || colon == 0 || !IsAsciiLetter(address[0])) return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = address[i];
    if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  size_t end = colon + 1;
  while (end < address.size() && IsAsciiDigit(address[end])) ++end;
  const bool port = end > colon + 1 && (end == address.size() || Text("/?#").find(address[end]) != Text::npos);
  return !port;
}

}  // namespace

const WindowDescription& MainWindowDescription() { return kMainWindow; }

int StartupRoutine() {
  PrepareStartup();
  return 0;
}

void OnMainWindowCreated() {
  SetWindowCaption(ConcatText(constants::kCaptionPrefix, constants::kHomePage).c_str());
  SetVisualStyle(constants::kVisualStyleScheme);
}

void OpenHomePage() {
  ShowMessage(constants::kSlogan, 0, constants::kWiseChoice);
  OpenAddress(ShellAddress(constants::kHomePage).c_str());
}

void OpenPartnerSite() {
  ShowMessage(constants::kWiseChoice, 0, constants::kWiseChoice);
  OpenAddress(ShellAddress(constants::kPartnerSite).c_str());
}

void ContactAuthor() { OpenAddress(ShellAddress(constants::kContactLink).c_str()); }

Text ShellAddress(const Text& address) {
  if (address.empty() || HasScheme(address)) return address;
  return ConcatText("http://", address);
}
