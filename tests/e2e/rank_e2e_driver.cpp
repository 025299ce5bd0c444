// The rank query end to end, as a person uses it: the real program, built to
// talk to the sample rank service on loopback, driven through its window. Each
// case picks a region, types a name, clicks 查询, reads the message box line by
// line, and checks the request the service recorded, byte for byte.
//
// Run by run_e2e.py, which starts the service (and Xvfb) and passes:
//   --app=PROGRAM.exe --requests=DIR --port=N [--shot-dir=DIR] [--timing-runs=N]
// With the service stopped, the runner runs RankQueryServiceStopped.* alone.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/window_driver.h"

namespace {

namespace wd = window_driver;

struct Options {
  std::wstring app;
  std::wstring requests;  // the service's record directory
  std::wstring shotDir;   // where screenshots are asked for; empty: none
  int port = 0;
  int timingRuns = 10;
};
Options options;

const std::string kCaption = wd::Utf8(u8"英雄联盟隐藏分查询");
const std::string kUnreachable = wd::Utf8(u8"无法连接到查询服务器，请稍后再试。");
const char kUserAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KV3ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";

// The five values, in the order of the message's lines.
using Values = std::vector<std::string>;
const Values kNoValues(5);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
    lines.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  lines.push_back(text.substr(from));
  return lines;
}

std::vector<std::string> ExpectedLines(const std::string& name, const Values& values) {
  return {wd::Utf8(u8"游戏ID：") + name,        wd::Utf8(u8"段位 ：") + values[0],
          wd::Utf8(u8"隐藏分：") + values[1],   wd::Utf8(u8"排位胜场：") + values[2],
          wd::Utf8(u8"排位胜率：") + values[3], wd::Utf8(u8"最近登录：") + values[4]};
}

// The recorded requests, oldest first (the service numbers them 0001.http, ...).
std::vector<std::wstring> RecordedRequests() {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((options.requests + L"\\*.http").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(options.requests + L"\\" + found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

std::string ReadWholeFile(const std::wstring& path) {
  std::string content;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  CloseHandle(file);
  return content;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

double MillisecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Query {
  std::string caption;
  std::vector<std::string> lines;
  std::vector<std::wstring> newRequests;
  bool mainWindowDisabled = false;  // while the box was open
  double milliseconds = 0;          // from the click to the box
};

class RankQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(options.app.empty()) << "run with --app=PROGRAM.exe";
    app_ = wd::StartProcess(options.app);
    ASSERT_TRUE(app_.Started()) << "cannot start " << wd::ToUtf8(options.app);
    main_ = wd::WaitForMainWindow(app_);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
    combo_ = wd::FindControl(main_, L"ComboBox", 1);
    edit_ = wd::FindControl(main_, L"Edit", 1);
    button_ = wd::FindControl(main_, L"Button", 1);
    ASSERT_NE(combo_, nullptr);
    ASSERT_NE(edit_, nullptr);
    ASSERT_NE(button_, nullptr);
    ASSERT_EQ(wd::WindowText(button_), wd::Utf8(u8"查询"));
  }

  void TearDown() override {
    if (!main_) return;
    for (HWND box : wd::MessageBoxes(app_.Id())) wd::PressOk(box);
    wd::RequestClose(main_);
    DWORD exitCode = 1;
    EXPECT_TRUE(app_.WaitForExit(exitCode)) << "the program did not end when its window was closed";
    EXPECT_EQ(exitCode, 0u);
  }

  // Picks list item `item` (1-based; 0 leaves the list as it is), types `name`
  // (UTF-8), clicks 查询 and reads the box that answers. With `screenshot` the
  // runner photographs the box before it is closed.
  Query Ask(int item, const std::string& name, bool screenshot = false) {
    Query query;
    if (item > 0) {
      EXPECT_TRUE(wd::SelectComboItem(combo_, item - 1));
    }
    EXPECT_TRUE(wd::SetText(edit_, name));
    const std::size_t before = RecordedRequests().size();

    LARGE_INTEGER clicked;
    QueryPerformanceCounter(&clicked);
    wd::ClickButton(button_);
    // Polled every millisecond, not the driver's usual 20, because this wait is
    // also the measurement.
    HWND box = nullptr;
    while (!box && MillisecondsSince(clicked) < wd::kDefaultTimeout) {
      const auto boxes = wd::MessageBoxes(app_.Id());
      if (!boxes.empty()) {
        box = boxes.front();
      } else {
        Sleep(1);
      }
    }
    query.milliseconds = MillisecondsSince(clicked);
    EXPECT_NE(box, nullptr) << "no message box after the click";
    if (!box) return query;

    query.caption = wd::WindowText(box);
    query.lines = Lines(wd::MessageBoxText(box));
    query.mainWindowDisabled = !IsWindowEnabled(main_);
    if (screenshot && !options.shotDir.empty()) TakeScreenshot();
    EXPECT_TRUE(wd::PressOk(box));
    EXPECT_TRUE(wd::WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));

    const auto after = RecordedRequests();
    query.newRequests.assign(after.begin() + static_cast<std::ptrdiff_t>(std::min(before, after.size())), after.end());
    return query;
  }

  // Asks the runner for a picture of the screen and waits until it has one.
  static void TakeScreenshot() {
    const std::wstring done = options.shotDir + L"\\shot.done";
    DeleteFileW(done.c_str());
    HANDLE request = CreateFileW((options.shotDir + L"\\shot.request").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(request, INVALID_HANDLE_VALUE);
    CloseHandle(request);
    EXPECT_TRUE(wd::WaitUntil([&] { return FileExists(done); })) << "the runner took no screenshot";
  }

  // The request must be a POST of exactly `body` to the service, with the
  // program's own header lines.
  static void ExpectRequest(const Query& query, const std::string& body) {
    ASSERT_EQ(query.newRequests.size(), 1u) << "the query should send one request";
    const std::string request = ReadWholeFile(query.newRequests.front());
    const auto headEnd = request.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos) << request;
    const auto head = Lines(request.substr(0, headEnd));
    const std::string host = "127.0.0.1:" + std::to_string(options.port);

    EXPECT_EQ(head.front(), "POST /rank/rank.php HTTP/1.1");
    // The header text the program hands to the HTTP stack arrives whole, in
    // its order; the stack adds Host, Content-Length and the agent line.
    const std::string programHeaders = "\r\nReferer: http://" + host +
                                       "/rank/rank.php\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n";
    EXPECT_NE((request.substr(0, headEnd) + "\r\n").find(programHeaders), std::string::npos) << request;
    const std::vector<std::string> wanted = {
        "Host: " + host,
        std::string("User-Agent: ") + kUserAgent,
        "Content-Length: " + std::to_string(body.size()),
        "Accept: */*",
    };
    for (const std::string& line : wanted) {
      EXPECT_EQ(std::count(head.begin(), head.end(), line), 1) << "header line [" << line << "] in\n" << request;
    }
    for (const std::string& line : head) {
      EXPECT_NE(line.rfind("Cookie:", 0), 0u) << "no cookie is sent: " << line;
    }
    EXPECT_EQ(request.substr(headEnd + 4), body);
  }

  wd::Process app_;
  HWND main_ = nullptr;
  HWND combo_ = nullptr;
  HWND edit_ = nullptr;
  HWND button_ = nullptr;
};

const std::string kTierAbc = wd::Utf8(u8"钻石 II");
const Values kAbc = {kTierAbc, "2345", "312", "54%", "2024-05-01 21:13"};
const char kBodyAbc[] = "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=%41%62%63";

using RankQueryEndToEnd = RankQueryTest;

TEST_F(RankQueryEndToEnd, FirstRegionAndAbcShowsTheFiveValues) {
  const Query query = Ask(1, "Abc", /*screenshot=*/true);
  EXPECT_EQ(query.caption, kCaption);
  EXPECT_EQ(query.lines, ExpectedLines("Abc", kAbc));
  EXPECT_TRUE(query.mainWindowDisabled) << "the box is task-modal";
  ExpectRequest(query, kBodyAbc);
}

TEST_F(RankQueryEndToEnd, NamesAreSentAsUtf8PercentTripletsAndShownAsTyped) {
  struct Case {
    int item;
    std::string name;
    const char* body;
    Values values;
  } cases[] = {
      {1, wd::Utf8(u8"疾风剑豪"), "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=%E7%96%BE%E9%A3%8E%E5%89%91%E8%B1%AA",
       {wd::Utf8(u8"大师"), "2688", "1024", "61%", "2024-05-03 09:05"}},
      {9, "Faker Jr", "daqu=%E7%BD%91%E9%80%9A%E4%B8%89&nickname=%46%61%6B%65%72%20%4A%72",
       {wd::Utf8(u8"王者"), "3012", "876", "66%", "2024-05-02 23:59"}},
      {26, wd::Utf8(u8"小 明"), "daqu=%E7%94%B5%E4%BF%A1%E5%8D%81%E4%B9%9D&nickname=%E5%B0%8F%20%E6%98%8E",
       {wd::Utf8(u8"黄金 I"), "1876", "203", "51%", "2024-04-30 12:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const Query query = Ask(c.item, c.name);
    EXPECT_EQ(query.caption, kCaption);
    EXPECT_EQ(query.lines, ExpectedLines(c.name, c.values));
    ExpectRequest(query, c.body);
  }
}

TEST_F(RankQueryEndToEnd, EducationNetworkAndNoPickSendAnEmptyRegion) {
  const Values education = {wd::Utf8(u8"白银 III"), "1320", "45", "48%", "2024-04-28 18:30"};
  // Nothing picked first (the list is empty at start), then item 20.
  for (int item : {0, 20}) {
    SCOPED_TRACE(item);
    const Query query = Ask(item, "Abc");
    EXPECT_EQ(query.lines, ExpectedLines("Abc", education));
    ExpectRequest(query, "daqu=&nickname=%41%62%63");
  }
}

TEST_F(RankQueryEndToEnd, EmptyNameIsSentAndShownEmpty) {
  const Query query = Ask(1, "");
  EXPECT_EQ(query.caption, kCaption);
  EXPECT_EQ(query.lines, ExpectedLines("", kNoValues));
  ExpectRequest(query, "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=");
}

TEST_F(RankQueryEndToEnd, UnknownPlayerShowsFiveEmptyValues) {
  const Query query = Ask(3, "Nobody");
  EXPECT_EQ(query.caption, kCaption);
  EXPECT_EQ(query.lines, ExpectedLines("Nobody", kNoValues));
  ExpectRequest(query, "daqu=%E7%94%B5%E4%BF%A1%E4%BA%8C&nickname=%4E%6F%62%6F%64%79");
}

// The time from the click to the box, over several queries in one window. The
// runner prints it beside curl's time for the same POST.
TEST_F(RankQueryEndToEnd, ClickToMessageBoxTime) {
  std::vector<double> times;
  for (int run = 0; run < options.timingRuns; ++run) {
    const Query query = Ask(1, "Abc");
    ASSERT_EQ(query.lines, ExpectedLines("Abc", kAbc));
    ExpectRequest(query, kBodyAbc);
    times.push_back(query.milliseconds);
  }
  ASSERT_FALSE(times.empty());
  std::sort(times.begin(), times.end());
  std::printf("click-to-box-ms median %.1f min %.1f max %.1f runs %d\n", times[times.size() / 2], times.front(),
              times.back(), static_cast<int>(times.size()));
  std::fflush(stdout);
}

using RankQueryServiceStopped = RankQueryTest;

TEST_F(RankQueryServiceStopped, ShowsTheNoticeInsteadOfEmptyValues) {
  const Query query = Ask(1, "Abc");
  EXPECT_EQ(query.caption, kCaption);
  EXPECT_EQ(query.lines, std::vector<std::string>{kUnreachable});
  EXPECT_TRUE(query.newRequests.empty());
}

bool TakeOption(const std::wstring& argument, const wchar_t* name, std::wstring& value) {
  const std::wstring prefix = std::wstring(L"--") + name + L"=";
  if (argument.rfind(prefix, 0) != 0) return false;
  value = argument.substr(prefix.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Our own options come from the wide command line, so paths keep any character.
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count; ++i) {
    std::wstring value;
    if (TakeOption(arguments[i], L"app", value)) {
      options.app = value;
    } else if (TakeOption(arguments[i], L"requests", value)) {
      options.requests = value;
    } else if (TakeOption(arguments[i], L"shot-dir", value)) {
      options.shotDir = value;
    } else if (TakeOption(arguments[i], L"port", value)) {
      options.port = _wtoi(value.c_str());
    } else if (TakeOption(arguments[i], L"timing-runs", value)) {
      options.timingRuns = std::max(1, _wtoi(value.c_str()));
    }
  }
  LocalFree(arguments);
  return RUN_ALL_TESTS();
}
