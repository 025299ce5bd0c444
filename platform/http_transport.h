// The HTTP transport behind WebAccess: seven synchronous operations with the
// arguments and guarantees of WinINet's InternetOpenA, InternetConnectA,
// HttpOpenRequestA, HttpSendRequestA, InternetReadFile, HttpQueryInfoA and
// InternetCloseHandle. On Windows they are WinINet itself (loaded from the
// system directory only); on Linux libcurl stands behind them.
#pragma once

#include <cstdint>

namespace transport {

using Handle = void*;

constexpr int kOpenTypeDirect = 1;  // INTERNET_OPEN_TYPE_DIRECT
constexpr int kOpenTypeProxy = 3;   // INTERNET_OPEN_TYPE_PROXY
constexpr int kServiceHttp = 3;     // INTERNET_SERVICE_HTTP
constexpr unsigned kQueryRawHeadersCrlf = 22;  // HTTP_QUERY_RAW_HEADERS_CRLF

constexpr std::uint32_t kFlagReload = 0x80000000u;
constexpr std::uint32_t kFlagNeedFile = 0x00000010u;
constexpr std::uint32_t kFlagNoCookies = 0x00080000u;
constexpr std::uint32_t kFlagNoAutoRedirect = 0x00200000u;
constexpr std::uint32_t kFlagSecure = 0x00800000u;
constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x00004000u;

// Root handle; null on failure. proxyName is "http=host:port" with kOpenTypeProxy.
Handle Open(const char* agent, int accessType, const char* proxyName, const char* proxyBypass, std::uint32_t flags);
// Connection handle; null on failure.
Handle Connect(Handle root, const char* host, int port, const char* userName, const char* password, int service,
               std::uint32_t flags, std::uintptr_t context);
// Request handle; null on failure.
Handle OpenRequest(Handle connection, const char* verb, const char* path, const char* version, const char* referrer,
                   const char** acceptTypes, std::uint32_t flags, std::uintptr_t context);
// Sends the request with `headers` (CRLF-separated lines) and the body.
bool SendRequest(Handle request, const char* headers, std::uint32_t headersLength, const void* body,
                 std::uint32_t bodyLength);
// Reads up to `toRead` body bytes; *read is 0 at the end of the body and on failure.
bool ReadFile(Handle request, void* buffer, std::uint32_t toRead, std::uint32_t* read);
// Header query. For kQueryRawHeadersCrlf: the final response's status line and
// header lines joined by CRLF, NUL-terminated. When the text does not fit,
// returns false, leaves the buffer alone and sets *length to the size needed.
bool QueryInfo(Handle request, unsigned infoLevel, void* buffer, std::uint32_t* length, std::uint32_t* index);
bool Close(Handle handle);

}  // namespace transport
