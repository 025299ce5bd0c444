// Where the time of one rank query goes, measured inside one process against
// the sample rank service: the bare HTTP exchange (the seven transport calls
// with the arguments WebAccess passes), and the whole query without its window
// (encoding, WebAccess, cutting, building the message). The difference is the
// program's own overhead. Runs alternate so that drift hits both alike. Last,
// the time the toolkit's message box takes to appear, which is the rest of the
// time from the click to the box.
//
//   rank_timing.exe --port=N [--runs=N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/constants.h"
#include "app/rank_reply.h"
#include "platform/http_transport.h"
#include "platform/toolkit.h"
#include "text/charset.h"
#include "web/web_access.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double Time(Work work) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  work();
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

// The request WebAccess makes for the query, straight through the transport;
// gives the reply body's bytes.
ByteString BareExchange(const std::string& host, int port, const std::string& url, const std::string& body) {
  const std::string headers = "Referer: " + url +
                              "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: "
                              "application/x-www-form-urlencoded";
  const char agent[] =
      "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KV3ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
      ".NET CLR 3.5.21022)";
  ByteString reply;
  transport::Handle root = transport::Open(agent, transport::kOpenTypeDirect, nullptr, nullptr, 0);
  transport::Handle connection =
      root ? transport::Connect(root, host.c_str(), port, nullptr, nullptr, transport::kServiceHttp, 0, 0) : nullptr;
  transport::Handle request =
      connection ? transport::OpenRequest(connection, "POST", constants::kRankServicePath, "HTTP/1.1", nullptr, nullptr,
                                          0x80004010u, 0)
                 : nullptr;
  if (request) {
    transport::SendRequest(request, headers.c_str(), static_cast<std::uint32_t>(headers.size()), body.data(),
                           static_cast<std::uint32_t>(body.size()));
    char buffer[1024];
    std::uint32_t read = 0;
    while (transport::ReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
      reply.insert(reply.end(), buffer, buffer + read);
    }
    std::string raw(5000, ' ');
    std::uint32_t length = 5000;
    transport::QueryInfo(request, transport::kQueryRawHeadersCrlf, raw.data(), &length, nullptr);
    transport::Close(request);
  }
  if (connection) transport::Close(connection);
  if (root) transport::Close(root);
  return reply;
}

// From ShowMessage's call until its box is visible; a second thread watches
// for the box and presses its OK button.
struct BoxWatch {
  DWORD processId = GetCurrentProcessId();
  LARGE_INTEGER shown{};
  HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  auto* watch = reinterpret_cast<BoxWatch*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (processId == watch->processId && IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0) {
    watch->box = window;
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI WatchForBox(void* parameter) {
  auto* watch = static_cast<BoxWatch*>(parameter);
  for (int i = 0; i < 30000 && !watch->box; ++i) {
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(watch));
    if (!watch->box) Sleep(1);
  }
  QueryPerformanceCounter(&watch->shown);
  if (watch->box) PostMessageW(watch->box, WM_COMMAND, IDOK, 0);
  return 0;
}

double TimeMessageBox(const Text& message) {
  BoxWatch watch;
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  HANDLE thread = CreateThread(nullptr, 0, WatchForBox, &watch, 0, nullptr);
  ShowMessage(message.c_str(), 0, constants::kRankCaption);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return watch.box ? Milliseconds(start, watch.shown) : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Report(const char* what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::printf("%s median %.2f min %.2f max %.2f runs %d\n", what, Median(values), values.front(), values.back(),
              static_cast<int>(values.size()));
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  int runs = 20;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--port=", 7) == 0) port = std::atoi(argv[i] + 7);
    if (std::strncmp(argv[i], "--runs=", 7) == 0) runs = std::max(1, std::atoi(argv[i] + 7));
  }
  if (port <= 0) {
    std::fprintf(stderr, "usage: rank_timing --port=N [--runs=N]\n");
    return 2;
  }
  const std::string host = "127.0.0.1";
  const Text url = RankServiceUrl(host + ":" + std::to_string(port));
  const Text expectedValue = "2345";  // the hidden score of the sample player Abc

  std::vector<double> bare, query;
  ByteString utf8Reply;
  Text message;
  for (int run = 0; run <= runs; ++run) {  // run 0 warms both paths up and is not counted
    const double bareTime =
        Time([&] { utf8Reply = BareExchange(host, port, url, RankRequestBody(constants::kRegions[0], "Abc")); });
    const double queryTime = Time([&] {
      const Text body = RankRequestBody(constants::kRegions[0], "Abc");
      Text rawHeaders;
      const Text reply =
          WebAccess(url, 1, body, nullptr, nullptr, nullptr, nullptr, false, nullptr, nullptr, &rawHeaders);
      message = RankQueryMessage("Abc", reply, rawHeaders);
    });
    if (utf8Reply.empty() || message.find(expectedValue) == Text::npos) {
      std::fprintf(stderr, "rank_timing: the service did not answer as expected (run %d)\n", run);
      return 1;
    }
    if (run == 0) continue;
    bare.push_back(bareTime);
    query.push_back(queryTime);
  }
  // The program's own work on one query, transport excluded: encoding the
  // request, converting the reply to GBK, cutting the values, the message.
  constexpr int kRepeats = 1000;
  std::size_t sink = 0;
  const double ownWork = Time([&] {
    for (int i = 0; i < kRepeats; ++i) {
      sink += RankRequestBody(constants::kRegions[0], "Abc").size();
      const Text reply = ToText(ConvertCharset(utf8Reply));
      sink += RankQueryMessage("Abc", reply, "HTTP/1.1 200 OK\r\n").size();
    }
  }) / kRepeats;
  InitToolkit();
  std::vector<double> box;
  for (int run = 0; run <= runs; ++run) {
    const double time = TimeMessageBox(message);
    if (time < 0) {
      std::fprintf(stderr, "rank_timing: the message box did not appear\n");
      return 1;
    }
    if (run > 0) box.push_back(time);
  }
  EndToolkit();

  Report("bare-exchange-ms", bare);
  Report("query-without-window-ms", query);
  std::printf("query-minus-bare-ms %.2f\n", Median(query) - Median(bare));
  std::printf("own-work-ms %.4f (encode, convert, cut, message; mean of %d, %zu bytes)\n", ownWork, kRepeats,
              sink / kRepeats);
  Report("message-box-ms", box);
  return 0;
}
