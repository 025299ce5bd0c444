// The transport on Linux: libcurl standing behind the seven WinINet-shaped
// operations, behaving the way WebAccess relies on WinINet to behave.
//
// - A root handle remembers the agent and the proxy list; a connection handle
//   the host and port; nothing touches the network before SendRequest, so an
//   unreachable server shows up as a failed send and empty reads.
// - Direct connections ignore the proxy environment variables. A proxy list
//   is read as WinINet reads it: "http=host:port" serves http requests only,
//   a bare "host:port" serves both schemes, an empty entry means direct.
// - No cookie engine and no cache. Redirects are followed (at most 50, http
//   and https in either direction) unless the request carries the no-redirect
//   flag; a POST turns into a GET on 301, 302 and 303.
// - The header text goes out the way WinINet adds request headers: each
//   "Name: value" line replaces an earlier header of that name (any case) and
//   moves to the end; lines without a colon are skipped; values are trimmed.
//   curl adds Host, User-Agent (from the agent) and Content-Length unless the
//   text names them; it adds no Accept, Content-Type or Expect of its own.
// - Time-outs like WinINet's defaults: 60 s to connect, and a transfer that
//   moves no byte for 30 s is abandoned.
// - SendRequest returns once the final response's headers are in; the body is
//   received as ReadFile asks for it, never buffered whole.
// - The raw header text is that of the final response (not of redirects or of
//   100 Continue), formatted as WinINet formats it: status line, then
//   "Name: value" lines, each ended by CRLF, and an empty line.
#include "platform/http_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace transport {
namespace {

constexpr long kConnectTimeoutSeconds = 60;
constexpr long kSilenceTimeoutSeconds = 30;
constexpr long kMaxRedirects = 50;
constexpr int kPollMilliseconds = 1000;

enum class Kind { kRoot, kConnection, kRequest };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
};

struct Settings {
  bool hasAgent = false;
  std::string agent;
  std::string proxyList;  // empty: direct
};

struct Root : Object {
  Root() : Object(Kind::kRoot) {}
  Settings settings;
};

// Handles copy what they need from their parents: WinINet lets a caller
// close a parent before its children.
struct Connection : Object {
  Connection() : Object(Kind::kConnection) {}
  Settings settings;
  std::string host;
  int port = 0;
};

struct Request : Object {
  Request() : Object(Kind::kRequest) {}
  ~Request() override { EndTransfer(); }

  bool hasAgent = false;
  std::string agent;
  std::string proxyList;
  std::string host;
  int port = 0;
  std::string verb;
  std::string path;
  std::string version;
  std::uint32_t flags = 0;

  // The transfer.
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headerList = nullptr;
  std::string body;
  bool done = false;
  CURLcode result = CURLE_OK;

  // Response headers: the block being received and the last complete one.
  std::string block;
  int blockStatus = 0;
  bool blockHasLocation = false;
  bool haveHeaders = false;
  bool finalHeaders = false;
  std::string rawHeaders;

  // Body bytes received and not yet read.
  bool bodyStarted = false;
  std::vector<char> data;
  std::size_t readOffset = 0;

  void EndTransfer() {
    if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    if (headerList != nullptr) curl_slist_free_all(headerList);
    easy = nullptr;
    multi = nullptr;
    headerList = nullptr;
  }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

void GlobalInit() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

// The proxy for one scheme from a WinINet proxy list such as
// "http=host:port https=host:port" or "host:port"; empty for a direct connection.
std::string ProxyFor(std::string_view list, bool secure) {
  std::string_view wanted = secure ? "https=" : "http=";
  std::string bare;
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find_first_of("; ", at);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(at, end - at);
    at = end + 1;
    if (entry.empty()) continue;
    if (StartsWithIgnoringCase(entry, wanted)) return std::string(entry.substr(wanted.size()));
    if (entry.find('=') == std::string_view::npos && bare.empty()) bare = entry;
  }
  return bare;
}

// Request headers as WinINet adds them: one entry per name, a later line
// replacing an earlier one and taking its place at the end.
std::vector<std::pair<std::string, std::string>> ParseRequestHeaders(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> headers;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = Trim(line.substr(0, colon));
    if (name.empty()) continue;
    std::string_view value = Trim(line.substr(colon + 1));
    std::erase_if(headers, [&](const auto& header) { return EqualsIgnoringCase(header.first, name); });
    headers.emplace_back(std::string(name), std::string(value));
  }
  return headers;
}

curl_slist* BuildHeaderList(std::string_view text) {
  auto headers = ParseRequestHeaders(text);
  auto named = [&](std::string_view name) {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& header) { return EqualsIgnoringCase(header.first, name); });
  };
  curl_slist* list = nullptr;
  auto append = [&](const std::string& line) {
    curl_slist* longer = curl_slist_append(list, line.c_str());
    if (longer != nullptr) list = longer;
  };
  for (const auto& [name, value] : headers) {
    // "Name;" is how curl is told to send a header with an empty value.
    append(value.empty() ? name + ";" : name + ": " + value);
  }
  // "Name:" removes a header curl would otherwise add by itself.
  for (const char* own : {"Accept", "Content-Type", "Expect", "Proxy-Connection"}) {
    if (!named(own)) append(std::string(own) + ":");
  }
  return list;
}

std::size_t OnHeader(char* bytes, std::size_t size, std::size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  std::size_t total = size * count;
  if (request.bodyStarted) return total;  // trailers
  std::string_view line(bytes, total);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);

  if (line.substr(0, 5) == "HTTP/") {
    request.block.assign(line);
    request.block += "\r\n";
    std::size_t space = line.find(' ');
    request.blockStatus = space == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(space + 1)).c_str());
    request.blockHasLocation = false;
  } else if (line.empty()) {
    if (request.blockStatus >= 100 && request.blockStatus < 200) return total;  // interim response
    request.block += "\r\n";
    request.rawHeaders = std::move(request.block);
    request.block.clear();
    request.haveHeaders = true;
    bool follows = (request.flags & kFlagNoAutoRedirect) == 0 && request.blockHasLocation &&
                   (request.blockStatus == 301 || request.blockStatus == 302 || request.blockStatus == 303 ||
                    request.blockStatus == 307 || request.blockStatus == 308);
    request.finalHeaders = !follows;
  } else if (IsBlank(line.front())) {
    // A folded continuation joins the previous header's value.
    std::string_view more = Trim(line);
    if (request.block.size() >= 2 && !more.empty()) {
      request.block.resize(request.block.size() - 2);
      request.block += ' ';
      request.block += more;
      request.block += "\r\n";
    }
  } else {
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      std::string_view name = Trim(line.substr(0, colon));
      request.block += name;
      request.block += ": ";
      request.block += Trim(line.substr(colon + 1));
      request.block += "\r\n";
      if (EqualsIgnoringCase(name, "Location")) request.blockHasLocation = true;
    }
  }
  return total;
}

std::size_t OnBody(char* bytes, std::size_t size, std::size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  std::size_t total = size * count;
  request.bodyStarted = true;
  request.finalHeaders = true;
  request.data.insert(request.data.end(), bytes, bytes + total);
  return total;
}

void Perform(Request& request) {
  int running = 0;
  curl_multi_perform(request.multi, &running);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(request.multi, &queued)) {
    if (message->msg == CURLMSG_DONE) {
      request.done = true;
      request.result = message->data.result;
    }
  }
  if (running == 0) request.done = true;
}

void WaitAndPerform(Request& request) {
  curl_multi_poll(request.multi, nullptr, 0, kPollMilliseconds, nullptr);
  Perform(request);
}

std::string EscapeSpaces(std::string_view path) {
  std::string escaped;
  for (char c : path) {
    if (c == ' ')
      escaped += "%20";
    else
      escaped += c;
  }
  return escaped;
}

bool StartTransfer(Request& request) {
  bool secure = (request.flags & kFlagSecure) != 0;
  std::string host = request.host;
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
  std::string url = std::string(secure ? "https://" : "http://") + host + ":" + std::to_string(request.port) +
                    (request.path.empty() || request.path.front() != '/' ? "/" : "") + request.path;
  std::string proxy = ProxyFor(request.proxyList, secure);

  CURL* easy = request.easy;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                   request.version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  // An empty proxy switches off the proxy environment variables.
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  if (!proxy.empty()) curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  if (request.hasAgent) curl_easy_setopt(easy, CURLOPT_USERAGENT, request.agent.c_str());
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, (request.flags & kFlagNoAutoRedirect) ? 0L : 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kSilenceTimeoutSeconds);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 64L * 1024);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request.headerList);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &request);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request);

  if (request.verb == "POST") {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
  } else if (request.verb == "GET" && request.body.empty()) {
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  } else {
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    if (request.verb == "HEAD") curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
  }
  // A POST always states its length, 0 included; other verbs only with a body.
  if (request.verb == "POST" || !request.body.empty()) {
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
  }
  return curl_multi_add_handle(request.multi, easy) == CURLM_OK;
}

Request* AsRequest(Handle handle) {
  auto* object = static_cast<Object*>(handle);
  return object != nullptr && object->kind == Kind::kRequest ? static_cast<Request*>(object) : nullptr;
}

}  // namespace

Handle Open(const char* agent, int accessType, const char* proxyName, const char* /*proxyBypass*/,
            std::uint32_t /*flags*/) {
  if (accessType != kOpenTypeDirect && accessType != kOpenTypeProxy) return nullptr;
  GlobalInit();
  auto* root = new Root;
  root->settings.hasAgent = agent != nullptr;
  if (agent != nullptr) {
    // A line break in the agent would start a header line of its own.
    std::string& kept = root->settings.agent = agent;
    kept.resize(std::min(kept.find_first_of("\r\n"), kept.size()));
  }
  if (accessType == kOpenTypeProxy && proxyName != nullptr) root->settings.proxyList = proxyName;
  return root;
}

Handle Connect(Handle root, const char* host, int port, const char* /*userName*/, const char* /*password*/,
               int service, std::uint32_t /*flags*/, std::uintptr_t /*context*/) {
  auto* object = static_cast<Object*>(root);
  if (object == nullptr || object->kind != Kind::kRoot || host == nullptr || *host == '\0' ||
      service != kServiceHttp || port < 0 || port > 65535)
    return nullptr;
  auto* connection = new Connection;
  connection->settings = static_cast<Root*>(object)->settings;
  connection->host = host;
  connection->port = port;
  return connection;
}

Handle OpenRequest(Handle connection, const char* verb, const char* path, const char* version,
                   const char* /*referrer*/, const char** /*acceptTypes*/, std::uint32_t flags,
                   std::uintptr_t /*context*/) {
  auto* object = static_cast<Object*>(connection);
  if (object == nullptr || object->kind != Kind::kConnection) return nullptr;
  const auto& owner = *static_cast<Connection*>(object);
  auto* request = new Request;
  request->hasAgent = owner.settings.hasAgent;
  request->agent = owner.settings.agent;
  request->proxyList = owner.settings.proxyList;
  request->host = owner.host;
  // Port 0 stands for the scheme's default, as in WinINet.
  request->port = owner.port != 0 ? owner.port : (flags & kFlagSecure) ? 443 : 80;
  request->verb = verb != nullptr && *verb != '\0' ? verb : "GET";
  request->path = EscapeSpaces(path != nullptr && *path != '\0' ? path : "/");
  request->version = version != nullptr ? version : "HTTP/1.1";
  request->flags = flags;
  return request;
}

bool SendRequest(Handle handle, const char* headers, std::uint32_t headersLength, const void* body,
                 std::uint32_t bodyLength) {
  Request* request = AsRequest(handle);
  if (request == nullptr) return false;
  // A second send starts the exchange afresh, as WinINet does.
  request->EndTransfer();
  request->done = false;
  request->result = CURLE_OK;
  request->block.clear();
  request->haveHeaders = request->finalHeaders = request->bodyStarted = false;
  request->rawHeaders.clear();
  request->data.clear();
  request->readOffset = 0;

  std::string_view headerText;
  if (headers != nullptr) {
    headerText = headersLength == 0xFFFFFFFFu ? std::string_view(headers) : std::string_view(headers, headersLength);
  }
  if (body != nullptr && bodyLength != 0) {
    request->body.assign(static_cast<const char*>(body), bodyLength);
  } else {
    request->body.clear();
  }
  request->easy = curl_easy_init();
  request->multi = curl_multi_init();
  request->headerList = BuildHeaderList(headerText);
  if (request->easy == nullptr || request->multi == nullptr || !StartTransfer(*request)) {
    request->EndTransfer();
    request->done = true;
    request->result = CURLE_FAILED_INIT;
    return false;
  }
  Perform(*request);
  while (!request->done && !request->finalHeaders) WaitAndPerform(*request);
  return request->haveHeaders && (!request->done || request->bodyStarted || request->result == CURLE_OK);
}

bool ReadFile(Handle handle, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
  *read = 0;
  Request* request = AsRequest(handle);
  if (request == nullptr || request->multi == nullptr) return false;
  while (request->readOffset == request->data.size() && !request->done) {
    request->data.clear();
    request->readOffset = 0;
    WaitAndPerform(*request);
  }
  std::size_t available = request->data.size() - request->readOffset;
  if (available == 0) return request->result == CURLE_OK;
  std::size_t count = std::min<std::size_t>(available, toRead);
  std::memcpy(buffer, request->data.data() + request->readOffset, count);
  request->readOffset += count;
  if (request->readOffset == request->data.size()) {
    request->data.clear();
    request->readOffset = 0;
  }
  *read = static_cast<std::uint32_t>(count);
  return true;
}

bool QueryInfo(Handle handle, unsigned infoLevel, void* buffer, std::uint32_t* length, std::uint32_t* /*index*/) {
  Request* request = AsRequest(handle);
  if (request == nullptr || infoLevel != kQueryRawHeadersCrlf || !request->haveHeaders) return false;
  const std::string& text = request->rawHeaders;
  if (buffer == nullptr || *length < text.size() + 1) {
    *length = static_cast<std::uint32_t>(text.size() + 1);
    return false;
  }
  std::memcpy(buffer, text.data(), text.size());
  static_cast<char*>(buffer)[text.size()] = '\0';
  *length = static_cast<std::uint32_t>(text.size());
  return true;
}

bool Close(Handle handle) {
  auto* object = static_cast<Object*>(handle);
  if (object == nullptr) return false;
  delete object;
  return true;
}

}  // namespace transport
