// The test side of the scripted loopback server that run.py starts beside a
// test program (see server.py): scripting replies, building URLs, reading back
// the requests the server recorded byte for byte.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace conformance {

// The server's second address: the tests that let WinINet keep cookies use
// it, so no cookie from its store reaches the requests of the other tests.
constexpr char kCookieStoreHost[] = "127.0.0.2";

struct RecordedRequest {
  std::string method;
  std::string target;
  std::string version;
  std::vector<std::pair<std::string, std::string>> headers;  // name, value (trimmed)
  std::string body;
  bool present = false;
};

class TestServer {
 public:
  // From CONFORMANCE_PORT, CONFORMANCE_DIR and CONFORMANCE_CLOSED_PORT; port 0
  // when the program was started without run.py.
  static const TestServer& Get();

  int port() const { return port_; }
  int closedPort() const { return closedPort_; }

  // Stores `reply` to be sent exactly as given; returns the path that replays it.
  std::string Script(const std::string& reply) const;
  // "http://host:port" followed by `path`.
  std::string Url(const std::string& path, const std::string& host = "127.0.0.1") const;
  // The n-th request (from 1) that reached the scripted `path`.
  RecordedRequest Recorded(const std::string& path, int n = 1) const;
  std::string RecordedBytes(const std::string& path, int n = 1) const;
  // A file in the server's directory, as this program names it.
  std::string FilePath(const std::string& name) const;

 private:
  int port_ = 0;
  int closedPort_ = 0;
  std::string directory_;
};

// A reply with the given status line and header lines, Content-Length and
// "Connection: close" added, and the body.
std::string Reply(const std::string& statusLine, const std::vector<std::string>& headerLines,
                  const std::string& body);
std::string OkReply(const std::string& body);

RecordedRequest ParseRequest(const std::string& bytes);

// The header values of `request` named `name` (any case), in order.
std::vector<std::string> HeaderValues(const RecordedRequest& request, const std::string& name);

// The body /big/N sends: a fixed 63-byte pattern repeated, cut to n bytes.
std::string BigBody(std::size_t n);

}  // namespace conformance
