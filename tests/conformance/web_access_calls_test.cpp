// The calls WebAccess makes on the transport, seen through a recording fake:
// the arguments no server can see (agent choice, flag word, proxy list, handle
// order), the failure paths and the header query. This file defines the seven
// transport operations itself, so the real transport is not linked in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/http_transport.h"
#include "web/web_access.h"

namespace {

struct Script {
  bool failOpen = false;
  bool failConnect = false;
  bool failRequest = false;
  std::string body;
  std::string rawHeaders = "HTTP/1.1 200 OK\r\n\r\n";
  bool queryFails = false;  // fails without naming a size
};

Script script;
std::vector<std::string> calls;
std::size_t bodyOffset = 0;

transport::Handle const kRoot = reinterpret_cast<transport::Handle>(0x1001);
transport::Handle const kConnection = reinterpret_cast<transport::Handle>(0x1002);
transport::Handle const kRequest = reinterpret_cast<transport::Handle>(0x1003);

std::string Quote(const char* text) { return text != nullptr ? "\"" + std::string(text) + "\"" : "null"; }

std::string Name(transport::Handle handle) {
  if (handle == kRoot) return "root";
  if (handle == kConnection) return "connection";
  if (handle == kRequest) return "request";
  return "unknown";
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

void Reset(Script next) {
  script = std::move(next);
  calls.clear();
  bodyOffset = 0;
}

}  // namespace

namespace transport {

Handle Open(const char* agent, int accessType, const char* proxyName, const char* proxyBypass, std::uint32_t flags) {
  calls.push_back("Open(" + Quote(agent) + ", " + std::to_string(accessType) + ", " + Quote(proxyName) + ", " +
                  Quote(proxyBypass) + ", " + std::to_string(flags) + ")");
  return script.failOpen ? nullptr : kRoot;
}

Handle Connect(Handle root, const char* host, int port, const char* userName, const char* password, int service,
               std::uint32_t flags, std::uintptr_t context) {
  calls.push_back("Connect(" + Name(root) + ", " + Quote(host) + ", " + std::to_string(port) + ", " +
                  Quote(userName) + ", " + Quote(password) + ", " + std::to_string(service) + ", " +
                  std::to_string(flags) + ", " + std::to_string(context) + ")");
  return script.failConnect ? nullptr : kConnection;
}

Handle OpenRequest(Handle connection, const char* verb, const char* path, const char* version, const char* referrer,
                   const char** acceptTypes, std::uint32_t flags, std::uintptr_t context) {
  calls.push_back("OpenRequest(" + Name(connection) + ", " + Quote(verb) + ", " + Quote(path) + ", " +
                  Quote(version) + ", " + Quote(referrer) + ", " + (acceptTypes ? "list" : "null") + ", " +
                  Hex(flags) + ", " + std::to_string(context) + ")");
  return script.failRequest ? nullptr : kRequest;
}

bool SendRequest(Handle request, const char* headers, std::uint32_t headersLength, const void* body,
                 std::uint32_t bodyLength) {
  std::string bodyText = body != nullptr ? "\"" + std::string(static_cast<const char*>(body), bodyLength) + "\"" : "null";
  calls.push_back("Send(" + Name(request) + ", \"" + std::string(headers, headersLength) + "\", " +
                  (std::strlen(headers) == headersLength ? "length" : "bad length") + ", " + bodyText + ", " +
                  std::to_string(bodyLength) + ")");
  return true;
}

bool ReadFile(Handle request, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
  calls.push_back("Read(" + Name(request) + ", " + std::to_string(toRead) + ")");
  std::size_t count = std::min<std::size_t>(toRead, script.body.size() - bodyOffset);
  std::memcpy(buffer, script.body.data() + bodyOffset, count);
  bodyOffset += count;
  *read = static_cast<std::uint32_t>(count);
  return true;
}

bool QueryInfo(Handle request, unsigned infoLevel, void* buffer, std::uint32_t* length, std::uint32_t* index) {
  calls.push_back("Query(" + Name(request) + ", " + std::to_string(infoLevel) + ", " + std::to_string(*length) + ", " +
                  (index ? "index" : "null") + ")");
  if (script.queryFails) return false;
  if (script.rawHeaders.size() + 1 > *length) {
    *length = static_cast<std::uint32_t>(script.rawHeaders.size() + 1);
    return false;
  }
  std::memcpy(buffer, script.rawHeaders.c_str(), script.rawHeaders.size() + 1);
  *length = static_cast<std::uint32_t>(script.rawHeaders.size());
  return true;
}

bool Close(Handle handle) {
  calls.push_back("Close(" + Name(handle) + ")");
  return true;
}

}  // namespace transport

namespace {

const char kDefaultAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KV3ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const char kDefaultHeaderTail[] =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";

std::vector<std::string> Matching(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

TEST(WebAccessCalls, RankQueryRunsTheSevenOperationsInOrder) {
  Script s;
  s.body = std::string(2500, 'b');
  Reset(s);
  const Text url = "http://rank.example.net/rank/rank.php";

  EXPECT_EQ(WebAccess(url, 1, "daqu=x&nickname=y"), s.body);

  std::vector<std::string> expected = {
      "Open(\"" + std::string(kDefaultAgent) + "\", 1, null, null, 0)",
      "Connect(root, \"rank.example.net\", 80, null, null, 3, 0, 0)",
      "OpenRequest(connection, \"POST\", \"/rank/rank.php\", \"HTTP/1.1\", null, null, 0x80004010, 0)",
      "Send(request, \"Referer: " + url + kDefaultHeaderTail + "\", length, \"daqu=x&nickname=y\", 17)",
      "Read(request, 1024)",
      "Read(request, 1024)",
      "Read(request, 1024)",
      "Read(request, 1024)",
      "Query(request, 22, 5000, null)",
      "Close(request)",
      "Close(connection)",
      "Close(root)",
  };
  EXPECT_EQ(calls, expected);
}

TEST(WebAccessCalls, FlagWordAndPort) {
  struct Case {
    const char* url;
    bool supplyCookies;
    bool noRedirect;
    const char* connect;
    const char* flags;
  };
  const Case cases[] = {
      {"http://h/x", false, false, "Connect(root, \"h\", 80", "0x80004010"},
      {"HTTPS://H/x", false, false, "Connect(root, \"h\", 443", "0x80800010"},
      {"httpsbox/x", false, false, "Connect(root, \"httpsbox\", 443", "0x80800010"},
      {"http://h:8080/x", true, false, "Connect(root, \"h\", 8080", "0x80084010"},
      {"http://h/x", false, true, "Connect(root, \"h\", 80", "0x80204010"},
      {"https://h/x", true, true, "Connect(root, \"h\", 443", "0x80A80010"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    Reset({});
    Text cookies;
    WebAccess(c.url, 0, {}, c.supplyCookies ? &cookies : nullptr, nullptr, nullptr, nullptr, c.noRedirect);
    ASSERT_EQ(Matching("Connect(").size(), 1u);
    EXPECT_EQ(Matching("Connect(")[0].rfind(c.connect, 0), 0u) << Matching("Connect(")[0];
    ASSERT_EQ(Matching("OpenRequest(").size(), 1u);
    EXPECT_NE(Matching("OpenRequest(")[0].find(std::string(", ") + c.flags + ", "), std::string::npos)
        << Matching("OpenRequest(")[0];
  }
}

TEST(WebAccessCalls, AgentComesFromTheHeaderText) {
  struct Case {
    const char* extra;
    std::string agent;  // as passed to Open
  };
  const Case cases[] = {
      {"", "\"" + std::string(kDefaultAgent) + "\""},
      {"user-agent: X", "\"X\""},
      {"User-Agent: Z\r\nAccept: a", "\"Z\""},
      {"Accept: text/html\r\nUser-Agent: Y", "\"text/html\r\nUser-Agent: Y\""},
      {"X-A: 1\r\nUSER-AGENT:   \r\nB: 2", "\"1\r\nUSER-AGENT:   \r\nB: 2\""},
      {"User-Agent:", "null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    Reset({});
    Text extra = c.extra;
    WebAccess("http://h/", 0, {}, nullptr, nullptr, &extra);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], "Open(" + c.agent + ", 1, null, null, 0)");
    // The agent line stays in the header text that is sent.
    EXPECT_EQ(extra.rfind(c.extra, 0), 0u);
  }
}

TEST(WebAccessCalls, ProxySuppliedEvenEmptyOpensThroughAProxyList) {
  struct Case {
    const char* proxy;
    const char* open;
  };
  const Case cases[] = {
      {"proxy.local:3128", "\"http=proxy.local:3128\", \"\", 0)"},
      {"", "\"http=\", \"\", 0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.proxy);
    Reset({});
    Text proxy = c.proxy;
    WebAccess("http://h/", 0, {}, nullptr, nullptr, nullptr, nullptr, false, nullptr, &proxy);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], "Open(\"" + std::string(kDefaultAgent) + "\", 3, " + c.open);
  }
}

TEST(WebAccessCalls, BodyArgumentsFollowTheMethod) {
  struct Case {
    int method;
    const char* formData;
    const char* send;  // the end of the Send record
  };
  const Case cases[] = {
      {0, "a=1", "\"\", 0)"},   // no body: an empty buffer
      {1, "", "null, 0)"},      // a body of no bytes: a null pointer
      {2, "a=1", "\"a=1\", 3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    Reset({});
    WebAccess("http://h/", c.method, c.formData);
    ASSERT_EQ(Matching("Send(").size(), 1u);
    const std::string send = Matching("Send(")[0];
    EXPECT_EQ(send.substr(send.size() - std::strlen(c.send)), c.send) << send;
    EXPECT_NE(Matching("OpenRequest(")[0].find(c.method == 1 ? "\"POST\"" : "\"GET\""), std::string::npos);
  }
}

TEST(WebAccessCalls, HandleThatFailsToOpenEndsTheCallAndChangesNothing) {
  struct Case {
    const char* name;
    Script script;
    std::vector<std::string> closes;
  };
  Script root, connection, request;
  root.failOpen = true;
  connection.failConnect = true;
  request.failRequest = true;
  const Case cases[] = {
      {"root", root, {}},
      {"connection", connection, {"Close(root)"}},
      {"request", request, {"Close(connection)", "Close(root)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script s = c.script;
    s.body = "never read";
    Reset(s);
    Text cookies = "c=1", returned = "r=1", extra = "X: 1", location = "loc", raw = "raw";
    ByteString formBytes = {'f'};
    Text proxy = "p:1";
    EXPECT_EQ(WebAccess("http://h/", 1, "a=1", &cookies, &returned, &extra, &location, false, &formBytes, &proxy,
                        &raw),
              "");
    EXPECT_EQ(Matching("Close("), c.closes);
    EXPECT_TRUE(Matching("Send(").empty());
    EXPECT_EQ(cookies, "c=1");
    EXPECT_EQ(returned, "r=1");
    EXPECT_EQ(extra, "X: 1");
    EXPECT_EQ(location, "loc");
    EXPECT_EQ(formBytes, ByteString{'f'});
    EXPECT_EQ(raw, "raw");
  }
}

TEST(WebAccessCalls, HeaderTextThatDoesNotFitIsAskedForAgain) {
  Script s;
  s.rawHeaders = "HTTP/1.1 200 OK\r\n" + std::string(6000, 'X') + ": y\r\nSet-Cookie: k=v; path=/\r\nLocation: /to\r\n\r\n";
  Reset(s);
  Text returned, location, raw;
  WebAccess("http://h/", 0, {}, nullptr, &returned, nullptr, &location, false, nullptr, nullptr, &raw);
  EXPECT_EQ(Matching("Query("), (std::vector<std::string>{"Query(request, 22, 5000, null)",
                                                          "Query(request, 22, " +
                                                              std::to_string(s.rawHeaders.size() + 1) + ", null)"}));
  EXPECT_EQ(raw, s.rawHeaders);
  EXPECT_EQ(returned, "k=v");
  EXPECT_EQ(location, "/to");
}

TEST(WebAccessCalls, HeaderQueryThatFailsLeavesTheSpaces) {
  Script s;
  s.queryFails = true;
  s.body = "body";
  Reset(s);
  Text returned = "old", location, raw;
  EXPECT_EQ(WebAccess("http://h/", 0, {}, nullptr, &returned, nullptr, &location, false, nullptr, nullptr, &raw),
            "body");
  EXPECT_EQ(Matching("Query(").size(), 1u);
  EXPECT_EQ(raw, std::string(5000, ' '));
  EXPECT_EQ(location, raw);
  EXPECT_EQ(returned, "");
}

}  // namespace
