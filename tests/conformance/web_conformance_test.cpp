// WebAccess end to end against the scripted loopback server. The same cases
// run natively (over libcurl) and under Wine (over WinINet) and must agree.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "tests/conformance/test_server.h"
#include "web/web_access.h"

namespace conformance {
namespace {

const char kDefaultAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KV3ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const char kFormContentType[] = "application/x-www-form-urlencoded";

using Headers = std::vector<std::pair<std::string, std::string>>;

// The header lines the caller's header text produced: everything but what the
// transport adds of its own accord (Host, Content-Length, the agent, and
// connection or cache control).
Headers CallerHeaders(const RecordedRequest& request) {
  static const std::vector<std::string> transportOwned = {"host",       "content-length", "user-agent",
                                                          "connection", "proxy-connection", "cache-control",
                                                          "pragma"};
  Headers headers;
  for (const auto& header : request.headers) {
    std::string lower = header.first;
    for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    bool owned = false;
    for (const std::string& name : transportOwned) owned = owned || lower == name;
    if (!owned) headers.push_back(header);
  }
  return headers;
}

std::string FromUtf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

ByteString Bytes(const std::string& text) { return ByteString(text.begin(), text.end()); }

class WebConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    if (server().port() == 0) GTEST_SKIP() << "needs the scripted server: run through run.py (ctest does)";
  }
  const TestServer& server() { return TestServer::Get(); }
};

TEST_F(WebConformance, PlainPostSendsTheDefaultHeadersAndAgent) {
  std::string path = server().Script(OkReply("<html>rank</html>"));
  std::string url = server().Url(path);

  EXPECT_EQ(WebAccess(url, 1, "daqu=a&nickname=b"), "<html>rank</html>");

  RecordedRequest request = server().Recorded(path);
  ASSERT_TRUE(request.present);
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, path);
  EXPECT_EQ(request.version, "HTTP/1.1");
  EXPECT_EQ(CallerHeaders(request), (Headers{{"Referer", url},
                                             {"Accept", "*/*"},
                                             {"Accept-Language", "zh-cn"},
                                             {"Content-Type", kFormContentType}}));
  EXPECT_EQ(HeaderValues(request, "User-Agent"), std::vector<std::string>{kDefaultAgent});
  EXPECT_EQ(HeaderValues(request, "Content-Length"), std::vector<std::string>{"17"});
  EXPECT_EQ(request.body, "daqu=a&nickname=b");

  // The header text itself, as the caller's variable receives it.
  Text extra;
  WebAccess(url, 1, "daqu=a&nickname=b", nullptr, nullptr, &extra);
  EXPECT_EQ(extra, "Referer: " + url +
                       "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded");
}

TEST_F(WebConformance, AgentLineInTheHeaderTextIsSentOnce) {
  struct Case {
    const char* extra;
    const char* agentOnWire;
    Headers callerHeaders;  // "URL" stands for the URL
  };
  const Case cases[] = {
      {"user-agent: X",
       "X",
       {{"Referer", "URL"}, {"Accept", "*/*"}, {"Accept-Language", "zh-cn"}, {"Content-Type", kFormContentType}}},
      {"Accept: text/html\r\nUser-Agent: Y",
       "Y",
       {{"Accept", "text/html"}, {"Referer", "URL"}, {"Accept-Language", "zh-cn"}, {"Content-Type", kFormContentType}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    std::string path = server().Script(OkReply("ok"));
    std::string url = server().Url(path);
    Text extra = c.extra;
    EXPECT_EQ(WebAccess(url, 0, {}, nullptr, nullptr, &extra), "ok");
    RecordedRequest request = server().Recorded(path);
    EXPECT_EQ(HeaderValues(request, "User-Agent"), std::vector<std::string>{c.agentOnWire});
    Headers expected = c.callerHeaders;
    for (auto& header : expected) {
      if (header.second == "URL") header.second = url;
    }
    EXPECT_EQ(CallerHeaders(request), expected);
  }
}

TEST_F(WebConformance, DefaultHeaderTestsAreCaseSensitiveSubstringTests) {
  struct Case {
    const char* extra;
    const char* appended;  // "URL" stands for the URL
    Headers onWire;
  };
  const Case cases[] = {
      // A later line replaces an earlier one of the same name, in any case.
      {"referer: x",
       "\r\nReferer: URL\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded",
       {{"Referer", "URL"}, {"Accept", "*/*"}, {"Accept-Language", "zh-cn"}, {"Content-Type", kFormContentType}}},
      // "Accept:" inside another header's name suppresses the default, and no
      // transport puts an Accept line of its own in its place.
      {"X-Accept: 1",
       "\r\nReferer: URL\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded",
       {{"X-Accept", "1"}, {"Referer", "URL"}, {"Accept-Language", "zh-cn"}, {"Content-Type", kFormContentType}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    std::string path = server().Script(OkReply("ok"));
    std::string url = server().Url(path);
    auto withUrl = [&](std::string text) {
      for (std::size_t at; (at = text.find("URL")) != std::string::npos;) text.replace(at, 3, url);
      return text;
    };
    Text extra = c.extra;
    WebAccess(url, 1, "a=1", nullptr, nullptr, &extra);
    EXPECT_EQ(extra, c.extra + withUrl(c.appended));
    Headers expected = c.onWire;
    for (auto& header : expected) header.second = withUrl(header.second);
    EXPECT_EQ(CallerHeaders(server().Recorded(path)), expected);
  }
}

TEST_F(WebConformance, MethodChoosesVerbAndBody) {
  struct Case {
    int method;
    std::string formData;
    std::string formBytesBefore;
    const char* verb;
    std::string bodyOnWire;
    std::string formBytesAfter;
  };
  const Case cases[] = {
      {0, "a=1", "", "GET", "", ""},
      {0, "a=1", "kept", "GET", "", "kept"},
      {1, "a=1", "", "POST", "a=1", "a=1"},
      {2, "a=1", "", "GET", "a=1", "a=1"},
      {1, "a=1", std::string("x\0y", 3), "POST", std::string("x\0y", 3), std::string("x\0y", 3)},
      {1, "", "", "POST", "", ""},
      {1, std::string(2 << 20, 'f'), "", "POST", std::string(2 << 20, 'f'), std::string(2 << 20, 'f')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("method " + std::to_string(c.method) + " formData size " + std::to_string(c.formData.size()) +
                 " formBytes " + c.formBytesBefore);
    std::string path = server().Script(OkReply("done"));
    ByteString formBytes = Bytes(c.formBytesBefore);
    EXPECT_EQ(WebAccess(server().Url(path), c.method, c.formData, nullptr, nullptr, nullptr, nullptr, false,
                        &formBytes),
              "done");
    RecordedRequest request = server().Recorded(path);
    EXPECT_EQ(request.method, c.verb);
    EXPECT_EQ(request.body, c.bodyOnWire);
    EXPECT_EQ(formBytes, Bytes(c.formBytesAfter));
    // The body goes out at once, without asking the server first.
    EXPECT_TRUE(HeaderValues(request, "Expect").empty());
    if (c.method == 0) {
      EXPECT_TRUE(HeaderValues(request, "Content-Length").empty());
    }
    if (c.method == 1) {
      EXPECT_EQ(HeaderValues(request, "Content-Length"), std::vector<std::string>{std::to_string(c.bodyOnWire.size())});
    }
  }
}

TEST_F(WebConformance, CookiesSuppliedEmptySendNoCookieLine) {
  // First let the transport's own cookie handling see a cookie for this host.
  std::string seed = server().Script(Reply("HTTP/1.1 200 OK", {"Set-Cookie: seeded=1; path=/"}, "seed"));
  EXPECT_EQ(WebAccess(server().Url(seed, kCookieStoreHost)), "seed");

  std::string path = server().Script(Reply("HTTP/1.1 200 OK", {"Set-Cookie: s=2; path=/"}, "ok"));
  Text cookies, returned, extra;
  EXPECT_EQ(WebAccess(server().Url(path, kCookieStoreHost), 1, "a=1", &cookies, &returned, &extra), "ok");
  EXPECT_TRUE(HeaderValues(server().Recorded(path), "Cookie").empty());
  EXPECT_EQ(extra.find("Cookie"), Text::npos);
  EXPECT_EQ(returned, "s=2");
  EXPECT_EQ(cookies, "s=2");
}

TEST_F(WebConformance, CookiesSuppliedAreSentLastAndMerged) {
  std::string path = server().Script(
      Reply("HTTP/1.1 200 OK", {"Set-Cookie: b=20; path=/", "Set-Cookie: c=3; HttpOnly"}, "ok"));
  std::string url = server().Url(path);
  Text cookies = "a=1; b=2", returned = "stale", extra;
  EXPECT_EQ(WebAccess(url, 1, "x=1", &cookies, &returned, &extra), "ok");
  RecordedRequest request = server().Recorded(path);
  EXPECT_EQ(CallerHeaders(request), (Headers{{"Referer", url},
                                             {"Accept", "*/*"},
                                             {"Accept-Language", "zh-cn"},
                                             {"Content-Type", kFormContentType},
                                             {"Cookie", "a=1; b=2"}}));
  EXPECT_EQ(returned, "b=20;c=3");
  EXPECT_EQ(cookies, "b=20; c=3; a=1");
}

TEST_F(WebConformance, SetCookieLinesWithoutCookiesSupplied) {
  std::string path =
      server().Script(Reply("HTTP/1.1 200 OK", {"Set-Cookie: a=1; path=/", "Set-Cookie: b=2"}, "ok"));
  Text returned;
  EXPECT_EQ(WebAccess(server().Url(path, kCookieStoreHost), 0, {}, nullptr, &returned), "ok");
  // The second line has no ";" behind its value and gives an empty item.
  EXPECT_EQ(returned, "a=1; ");
}

TEST_F(WebConformance, LocationFromTheHeaders) {
  struct Case {
    std::vector<std::string> headerLines;
    Text locationBefore;
    Text locationAfter;  // empty: a copy of the raw headers
  };
  const Case cases[] = {
      {{"Content-Location: /elsewhere"}, "", "/elsewhere"},
      {{"Content-Location: /first", "Location: /second"}, "old", "/second"},
      {{"X-Other: 1"}, "keep me", "keep me"},
      {{"X-Other: 1"}, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headerLines.front() + " / " + c.locationBefore);
    std::string path = server().Script(Reply("HTTP/1.1 200 OK", c.headerLines, "ok"));
    Text location = c.locationBefore, raw;
    EXPECT_EQ(WebAccess(server().Url(path), 0, {}, nullptr, nullptr, nullptr, &location, false, nullptr, nullptr,
                        &raw),
              "ok");
    EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << raw;
    EXPECT_EQ(location, c.locationAfter.empty() ? raw : c.locationAfter);
  }
}

TEST_F(WebConformance, RedirectsAreFollowedUnlessSwitchedOff) {
  std::string target = server().Script(OkReply("final"));
  std::string first = server().Script(Reply("HTTP/1.1 302 Found", {"Location: " + target}, "moved"));

  Text location, raw;
  EXPECT_EQ(WebAccess(server().Url(first), 1, "a=1", nullptr, nullptr, nullptr, &location, false, nullptr, nullptr,
                      &raw),
            "final");
  EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << raw;
  EXPECT_EQ(location, raw);
  EXPECT_EQ(server().Recorded(first).method, "POST");
  RecordedRequest followed = server().Recorded(target);
  EXPECT_EQ(followed.method, "GET");
  EXPECT_EQ(followed.body, "");

  std::string unfollowedTarget = server().Script(OkReply("not wanted"));
  std::string second = server().Script(Reply("HTTP/1.1 302 Found", {"Location: " + unfollowedTarget}, "moved"));
  location.clear();
  EXPECT_EQ(WebAccess(server().Url(second), 1, "a=1", nullptr, nullptr, nullptr, &location, true, nullptr, nullptr,
                      &raw),
            "moved");
  EXPECT_EQ(location, unfollowedTarget);
  EXPECT_EQ(raw.rfind("HTTP/1.1 302 Found\r\n", 0), 0u) << raw;
  EXPECT_FALSE(server().Recorded(unfollowedTarget).present);
}

TEST_F(WebConformance, ProxySuppliedCarriesTheRequest) {
  // The host does not exist: only the proxy (the test server) can answer.
  std::string path = server().Script(OkReply("via proxy"));
  std::string url = "http://proxied.invalid:8123" + path;
  Text proxy = "127.0.0.1:" + std::to_string(server().port());
  EXPECT_EQ(WebAccess(url, 1, "a=1", nullptr, nullptr, nullptr, nullptr, false, nullptr, &proxy), "via proxy");
  RecordedRequest request = server().Recorded(path);
  EXPECT_EQ(request.target, url);
  EXPECT_EQ(HeaderValues(request, "Host"), std::vector<std::string>{"proxied.invalid:8123"});
  EXPECT_EQ(request.body, "a=1");

  // Supplied but empty, the proxy list names no server: the request goes direct.
  std::string direct = server().Script(OkReply("direct"));
  Text empty;
  EXPECT_EQ(WebAccess(server().Url(direct), 0, {}, nullptr, nullptr, nullptr, nullptr, false, nullptr, &empty),
            "direct");
  EXPECT_EQ(server().Recorded(direct).target, direct);
}

TEST_F(WebConformance, Utf8MarkerDecidesTheConversion) {
  const std::string utf8 = FromUtf8(u8"电信一");
  const std::string gbk = "电信一";  // narrow literals are GBK
  auto bodyWithMarkerAt = [&](int position, const std::string& marker) {
    return std::string(static_cast<std::size_t>(position - 1), 'x') + marker + utf8;
  };
  struct Case {
    const char* name;
    std::string body;
    std::vector<std::string> headerLines;
    bool converted;
  };
  const Case cases[] = {
      {"marker at 499", bodyWithMarkerAt(499, "utf-8"), {}, true},
      {"marker at 500", bodyWithMarkerAt(500, "utf-8"), {}, false},
      {"upper-case marker only", bodyWithMarkerAt(10, "charset=UTF-8"), {}, false},
      {"later marker after an early one", bodyWithMarkerAt(1, "utf-8") + "utf-8", {}, true},
      {"marker in the headers", bodyWithMarkerAt(600, "utf-8"), {"Content-Type: text/html; charset=UTF-8"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = server().Script(Reply("HTTP/1.1 200 OK", c.headerLines, c.body));
    Text result = WebAccess(server().Url(path));
    std::string expected = c.body;
    if (c.converted) expected.replace(expected.find(utf8), utf8.size(), gbk);
    EXPECT_EQ(result, expected);
  }
}

TEST_F(WebConformance, BodyIsCutAtItsFirstNul) {
  std::string path = server().Script(OkReply(std::string("abc\0def", 7)));
  EXPECT_EQ(WebAccess(server().Url(path)), "abc");
}

TEST_F(WebConformance, HeaderTextLongerThanTheBufferIsKept) {
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) lines.push_back("X-Fill-" + std::to_string(i) + ": " + std::string(100, 'v'));
  lines.push_back("Set-Cookie: late=1; path=/");
  lines.push_back("Location: /late");
  std::string path = server().Script(Reply("HTTP/1.1 200 OK", lines, "ok"));
  Text returned, location, raw, cookies = "a=1";
  EXPECT_EQ(WebAccess(server().Url(path), 0, {}, &cookies, &returned, nullptr, &location, false, nullptr, nullptr,
                      &raw),
            "ok");
  EXPECT_GT(raw.size(), 6000u);
  EXPECT_EQ(raw.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(raw.find("X-Fill-59: " + std::string(100, 'v') + "\r\n"), Text::npos);
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");
  EXPECT_EQ(returned, "late=1");
  EXPECT_EQ(cookies, "late=1; a=1");
  EXPECT_EQ(location, "/late");
}

TEST_F(WebConformance, RefusedConnectionGivesTheEmptyTextPromptly) {
  std::string url = "http://127.0.0.1:" + std::to_string(server().closedPort()) + "/r/none";
  Text returned = "stale", cookies = "a=1";
  std::time_t start = std::time(nullptr);
  EXPECT_EQ(WebAccess(url, 1, "a=1", &cookies, &returned), "");
  EXPECT_LE(std::time(nullptr) - start, 10);
  EXPECT_EQ(returned, "");
  EXPECT_EQ(cookies, "a=1");
}

TEST_F(WebConformance, BodyOf64MiBArrivesWhole) {
  constexpr std::size_t kSize = 64u << 20;
  Text body = WebAccess(server().Url("/big/" + std::to_string(kSize)));
  ASSERT_EQ(body.size(), kSize);
  EXPECT_TRUE(body == BigBody(kSize));
}

}  // namespace
}  // namespace conformance
