#include "web/web_access.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/http_transport.h"
#include "text/charset.h"
#include "text/extract.h"
#include "web/cookies.h"
#include "web/url.h"

namespace {

const char kDefaultAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KV3ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const char kCrlf[] = "\r\n";
constexpr std::uint32_t kReadChunk = 1024;
constexpr int kHeaderBufferSize = 5000;
// No real response has more header text than this; a larger size named by the
// header query is not believed.
constexpr std::uint32_t kHeaderTextLimit = 1 << 20;
// The body declares UTF-8 when its first "utf-8" begins before this 1-based position.
constexpr int kUtf8MarkerBound = 500;
// The body is collected in blocks and copied once into the result, so that
// its peak footprint stays near twice its size whatever that size is.
constexpr std::size_t kBodyBlock = 256 * 1024;

Text ChooseAgent(const Text& extraHeaders) {
  if (FindText(extraHeaders, "User-Agent:", 1, true) == -1) return kDefaultAgent;
  Text agent = TrimBothEnds(TextBetween(extraHeaders, "User-Agent:", kCrlf));
  if (agent.empty()) agent = HeaderValue(extraHeaders);
  return agent;
}

void AppendDefaultHeaders(Text& headers, const Text& url, const Text& cookies) {
  if (FindText(headers, "Referer:") == -1) {
    headers += headers.empty() ? ConcatText("Referer: ", url) : ConcatText(kCrlf, "Referer: ", url);
  }
  if (FindText(headers, "Accept:") == -1) headers += ConcatText(kCrlf, "Accept: */*");
  if (FindText(headers, "Accept-Language:") == -1) headers += ConcatText(kCrlf, "Accept-Language: zh-cn");
  if (FindText(headers, "Content-Type:") == -1) {
    headers += ConcatText(kCrlf, "Content-Type: application/x-www-form-urlencoded");
  }
  if (!cookies.empty()) headers += ConcatText(kCrlf, "Cookie: ", cookies);
}

// The body as read, in blocks of up to kBodyBlock bytes.
using BodyBlocks = std::vector<ByteString>;

BodyBlocks ReadBody(transport::Handle request) {
  BodyBlocks blocks;
  std::uint8_t buffer[kReadChunk];
  for (;;) {
    std::uint32_t count = 0;
    transport::ReadFile(request, buffer, kReadChunk, &count);
    if (count == 0) break;
    if (blocks.empty() || blocks.back().size() + count > kBodyBlock) {
      blocks.emplace_back();
      blocks.back().reserve(kBodyBlock);
    }
    blocks.back().insert(blocks.back().end(), buffer, buffer + count);
  }
  return blocks;
}

// The first `n` bytes of the body (fewer when it is shorter).
ByteString BodyLeft(const BodyBlocks& blocks, std::size_t n) {
  ByteString left;
  for (const ByteString& block : blocks) {
    if (left.size() >= n) break;
    left.insert(left.end(), block.begin(), block.begin() + std::min(block.size(), n - left.size()));
  }
  return left;
}

ByteString JoinBody(BodyBlocks& blocks) {
  std::size_t total = 0;
  for (const ByteString& block : blocks) total += block.size();
  ByteString body;
  body.reserve(total);
  for (ByteString& block : blocks) {
    body.insert(body.end(), block.begin(), block.end());
    ByteString().swap(block);
  }
  return body;
}

// The body's bytes up to its first NUL, taken straight from the blocks.
Text BodyText(BodyBlocks& blocks) {
  std::size_t length = 0;
  for (const ByteString& block : blocks) {
    const void* nul = std::memchr(block.data(), 0, block.size());
    if (nul != nullptr) {
      length += static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - block.data());
      break;
    }
    length += block.size();
  }
  Text text;
  text.reserve(length);
  for (ByteString& block : blocks) {
    std::size_t take = std::min(block.size(), length - text.size());
    text.append(reinterpret_cast<const char*>(block.data()), take);
    ByteString().swap(block);
  }
  return text;
}

// The raw header text of the response. The text lands in a buffer of 5000
// spaces; a text that does not fit is asked for again with the size the query
// names, so that long headers do not lose the cookies and the redirect target.
Text QueryRawHeaders(transport::Handle request) {
  Text buffer = BlankText(kHeaderBufferSize);
  std::uint32_t length = kHeaderBufferSize;
  bool ok = transport::QueryInfo(request, transport::kQueryRawHeadersCrlf, buffer.data(), &length, nullptr);
  for (int attempt = 0; !ok && length > buffer.size() && length <= kHeaderTextLimit && attempt < 3; ++attempt) {
    Text larger = BlankText(static_cast<int>(length));
    ok = transport::QueryInfo(request, transport::kQueryRawHeadersCrlf, larger.data(), &length, nullptr);
    if (ok) buffer = std::move(larger);
  }
  return ToText(buffer);
}

bool DeclaresUtf8(const BodyBlocks& body, const Text& rawHeaders) {
  static const ByteString marker = {'u', 't', 'f', '-', '8'};
  // Only the first occurrence counts, and it must begin before the bound, so
  // the bytes up to the bound and the marker's length are all it can be in.
  int position = FindBytes(BodyLeft(body, kUtf8MarkerBound - 1 + marker.size() - 1), marker);
  if (position != -1 && position < kUtf8MarkerBound) return true;
  return FindText(rawHeaders, "utf-8", 1, true) != -1;
}

}  // namespace

Text WebAccess(const Text& urlArgument, int method, const Text& formData, Text* cookies, Text* returnedCookies,
               Text* extraHeaders, Text* location, bool noRedirect, ByteString* formBytes, const Text* proxy,
               Text* rawHeaders) {
  // Omitted by-reference parameters stand for fresh variables.
  Text localReturnedCookies, localExtraHeaders, localLocation, localRawHeaders;
  ByteString localFormBytes;
  Text& returned = returnedCookies != nullptr ? *returnedCookies : localReturnedCookies;
  Text& headers = extraHeaders != nullptr ? *extraHeaders : localExtraHeaders;
  Text& redirect = location != nullptr ? *location : localLocation;
  Text& raw = rawHeaders != nullptr ? *rawHeaders : localRawHeaders;
  ByteString& bytes = formBytes != nullptr ? *formBytes : localFormBytes;
  // The URL may be one of the caller's variables this call rewrites.
  const Text url = urlArgument;

  const char* verb = method == 1 ? "POST" : "GET";
  Text agent = ChooseAgent(headers);

  Text proxyName = proxy != nullptr ? ConcatText("http=", *proxy) : Text();
  transport::Handle root =
      proxy != nullptr ? transport::Open(TextPointer(agent), transport::kOpenTypeProxy, proxyName.c_str(), "", 0)
                       : transport::Open(TextPointer(agent), transport::kOpenTypeDirect, nullptr, nullptr, 0);
  if (root == nullptr) return {};

  Text host = UrlGetHost(url);
  transport::Handle connection = transport::Connect(root, TextPointer(host), UrlGetPort(url), nullptr, nullptr,
                                                    transport::kServiceHttp, 0, 0);
  if (connection == nullptr) {
    transport::Close(root);
    return {};
  }

  std::uint32_t flags = transport::kFlagReload | transport::kFlagNeedFile;
  if (cookies != nullptr) flags |= transport::kFlagNoCookies;
  if (noRedirect) flags |= transport::kFlagNoAutoRedirect;
  flags |= ToLowerCase(TextLeft(url, 5)) == "https" ? transport::kFlagSecure : transport::kFlagIgnoreRedirectToHttps;

  Text path = UrlGetPath(url);
  transport::Handle request =
      transport::OpenRequest(connection, verb, TextPointer(path), "HTTP/1.1", nullptr, nullptr, flags, 0);
  if (request == nullptr) {
    transport::Close(connection);
    transport::Close(root);
    return {};
  }

  AppendDefaultHeaders(headers, url, cookies != nullptr ? *cookies : Text());

  static const std::uint8_t kNoBody[1] = {0};
  if (method != 0) {
    if (bytes.empty()) bytes = ToBytes(formData);
    transport::SendRequest(request, headers.c_str(), static_cast<std::uint32_t>(headers.size()),
                           bytes.empty() ? nullptr : bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  } else {
    transport::SendRequest(request, headers.c_str(), static_cast<std::uint32_t>(headers.size()), kNoBody, 0);
  }

  BodyBlocks body = ReadBody(request);
  raw = QueryRawHeaders(request);

  transport::Close(request);
  transport::Close(connection);
  transport::Close(root);

  returned.clear();
  for (const Text& line : SplitText(raw, kCrlf)) {
    if (FindText(line, "Location:") != -1) redirect = HeaderValue(line);
    if (FindText(line, "Set-Cookie") != -1) {
      returned += ConcatText(TrimBothEnds(TextBetween(line, "Set-Cookie:", ";")), "; ");
    }
  }
  returned = TextLeft(returned, TextLength(returned) - 2);
  if (cookies != nullptr) CookieMerge(*cookies, returned);
  if (redirect.empty()) redirect = raw;

  if (DeclaresUtf8(body, raw)) {
    ByteString converted = ConvertCharset(JoinBody(body));
    return ToText(converted);
  }
  return BodyText(body);
}
