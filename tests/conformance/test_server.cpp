#include "tests/conformance/test_server.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace conformance {
namespace {

int EnvInt(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

std::string Trim(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// "/r/ID..." gives ID.
std::string ScriptId(const std::string& path) {
  std::string id = path.substr(3);
  std::size_t end = id.find_first_not_of(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_.-");
  return end == std::string::npos ? id : id.substr(0, end);
}

}  // namespace

const TestServer& TestServer::Get() {
  static const TestServer server = [] {
    TestServer s;
    s.port_ = EnvInt("CONFORMANCE_PORT");
    s.closedPort_ = EnvInt("CONFORMANCE_CLOSED_PORT");
    const char* directory = std::getenv("CONFORMANCE_DIR");
    s.directory_ = directory != nullptr ? directory : "";
    return s;
  }();
  return server;
}

std::string TestServer::FilePath(const std::string& name) const { return directory_ + "/" + name; }

std::string TestServer::Script(const std::string& reply) const {
  static int counter = 0;
  std::string id = std::to_string(++counter);
  id.insert(0, 1, 's');
  std::ofstream(FilePath("replies/" + id), std::ios::binary) << reply;
  return "/r/" + id;
}

std::string TestServer::Url(const std::string& path, const std::string& host) const {
  return "http://" + host + ":" + std::to_string(port_) + path;
}

std::string TestServer::RecordedBytes(const std::string& path, int n) const {
  std::ifstream file(FilePath("requests/" + ScriptId(path) + "-" + std::to_string(n)), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

RecordedRequest TestServer::Recorded(const std::string& path, int n) const {
  return ParseRequest(RecordedBytes(path, n));
}

std::string Reply(const std::string& statusLine, const std::vector<std::string>& headerLines,
                  const std::string& body) {
  std::string reply = statusLine + "\r\n";
  for (const std::string& line : headerLines) reply += line + "\r\n";
  reply += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  return reply + body;
}

std::string OkReply(const std::string& body) { return Reply("HTTP/1.1 200 OK", {}, body); }

RecordedRequest ParseRequest(const std::string& bytes) {
  RecordedRequest request;
  std::size_t headEnd = bytes.find("\r\n\r\n");
  if (headEnd == std::string::npos) return request;
  request.present = true;
  request.body = bytes.substr(headEnd + 4);
  std::string head = bytes.substr(0, headEnd + 2);
  std::size_t at = head.find("\r\n");
  std::istringstream requestLine(head.substr(0, at));
  requestLine >> request.method >> request.target >> request.version;
  for (at += 2; at < head.size();) {
    std::size_t end = head.find("\r\n", at);
    std::string line = head.substr(at, end - at);
    at = end + 2;
    std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    request.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
  return request;
}

std::vector<std::string> HeaderValues(const RecordedRequest& request, const std::string& name) {
  std::vector<std::string> values;
  for (const auto& [headerName, value] : request.headers) {
    if (EqualsIgnoringCase(headerName, name)) values.push_back(value);
  }
  return values;
}

std::string BigBody(std::size_t n) {
  static const std::string pattern = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\n";
  std::string body;
  body.reserve(n + pattern.size());
  while (body.size() < n) body += pattern;
  body.resize(n);
  return body;
}

}  // namespace conformance
