// Every caption, list item, message and address of the program, in one place.
// The narrow literals are compiled to GBK.
#pragma once

#ifndef LOLRANK_RANK_SERVICE_HOST
#define LOLRANK_RANK_SERVICE_HOST "rank.example.net"
#endif

namespace constants {

// Addresses. The home page's host also ends the window caption.
inline constexpr char kHomePage[] = "www.example.com";
inline constexpr char kPartnerSite[] = "www.example.org";
inline constexpr char kContactLink[] = "tencent://QQInterLive/?Cmd=2&Uin=" "123456789";

// The rank service: host (set at build time, may carry ":port") and path.
inline constexpr char kRankServiceHost[] = LOLRANK_RANK_SERVICE_HOST;
inline constexpr char kRankServicePath[] = "/rank/rank.php";

// Window.
inline constexpr char kCaptionPrefix[] = "【Zantorel】英雄联盟隐藏分查询 ";
inline constexpr int kVisualStyleScheme = 2;

// Start-up failures.
inline constexpr char kOutOfMemory[] = "内存不足，程序无法继续运行。";
inline constexpr char kWindowNotCreated[] = "无法创建程序窗口。";

// Messages of the link buttons.
inline constexpr char kWiseChoice[] = "明智之选！";
inline constexpr char kSlogan[] = "只做有质量的教程和软件。只分享有取有意义的文章！";

// The rank query's message box.
inline constexpr char kRankCaption[] = "英雄联盟隐藏分查询";
inline constexpr char kPlayerLabel[] = "游戏ID：";
inline constexpr char kServiceUnreachable[] = "无法连接到查询服务器，请稍后再试。";

struct RankField {
  const char* marker;  // the header cell; CR LF follows it in the reply
  const char* label;   // its line in the message
};
inline constexpr RankField kRankFields[] = {
    {"<td>段位</td>", "段位 ："},
    {"<td>隐藏分</td>", "隐藏分："},
    {"<td>排位胜场</td>", "排位胜场："},
    {"<td>排位胜率</td>", "排位胜率："},
    {"<td>最近登录</td>", "最近登录："},
};

// The 26 server regions, in list order: region name, a space, network label
// (item 20 has no space).
inline constexpr const char* kRegions[] = {
    "艾欧尼亚 电信一",   "比尔吉沃特 网通一", "祖安 电信二",       "诺克萨斯 电信三",   "德玛西亚 网通二",
    "班德尔城 电信四",   "皮尔特沃夫 电信五", "战争学院 电信六",   "弗雷尔卓德 网通三", "巨神峰 电信七",
    "雷瑟守备 电信八",   "无畏先锋 网通四",   "裁决之地 电信九",   "黑色玫瑰 电信十",   "暗影岛 电信十一",
    "钢铁烈阳 电信十二", "恕瑞玛 网通五",     "均衡教派 电信十三", "水晶之痕 电信十四", "教育网专区",
    "影流 电信十五",     "守望之海 电信十六", "扭曲丛林 网通六",   "征服之海 电信十七", "卡拉曼达 电信十八",
    "皮城警备 电信十九",
};

}  // namespace constants
