// The transport on Windows is WinINet itself. wininet.dll is not a known DLL,
// so importing it would let a wininet.dll planted beside the executable run
// inside the program; it is loaded from the system directory only, and its
// functions are looked up by name.
#include "platform/http_transport.h"

#include <windows.h>
#include <wininet.h>

namespace transport {
namespace {

struct WinInet {
  decltype(&InternetOpenA) open = nullptr;
  decltype(&InternetConnectA) connect = nullptr;
  decltype(&HttpOpenRequestA) openRequest = nullptr;
  decltype(&HttpSendRequestA) sendRequest = nullptr;
  decltype(&InternetReadFile) readFile = nullptr;
  decltype(&HttpQueryInfoA) queryInfo = nullptr;
  decltype(&InternetCloseHandle) closeHandle = nullptr;
  bool loaded = false;
};

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE LoadFromSystemDirectory() {
  HMODULE module = LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system without the search-path flags (Windows 7 before KB2533623):
  // name the file in the system directory by its full path.
  wchar_t path[MAX_PATH + 16];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  lstrcpyW(path + length, L"\\wininet.dll");
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

WinInet LoadWinInet() {
  WinInet api;
  HMODULE module = LoadFromSystemDirectory();
  if (module == nullptr) return api;
  Resolve(module, "InternetOpenA", api.open);
  Resolve(module, "InternetConnectA", api.connect);
  Resolve(module, "HttpOpenRequestA", api.openRequest);
  Resolve(module, "HttpSendRequestA", api.sendRequest);
  Resolve(module, "InternetReadFile", api.readFile);
  Resolve(module, "HttpQueryInfoA", api.queryInfo);
  Resolve(module, "InternetCloseHandle", api.closeHandle);
  api.loaded = api.open && api.connect && api.openRequest && api.sendRequest && api.readFile && api.queryInfo &&
               api.closeHandle;
  // The module stays loaded for the life of the process.
  return api;
}

const WinInet& Api() {
  static const WinInet api = LoadWinInet();
  return api;
}

}  // namespace

Handle Open(const char* agent, int accessType, const char* proxyName, const char* proxyBypass, std::uint32_t flags) {
  if (!Api().loaded) return nullptr;
  return Api().open(agent, static_cast<DWORD>(accessType), proxyName, proxyBypass, flags);
}

Handle Connect(Handle root, const char* host, int port, const char* userName, const char* password, int service,
               std::uint32_t flags, std::uintptr_t context) {
  if (!Api().loaded) return nullptr;
  return Api().connect(static_cast<HINTERNET>(root), host, static_cast<INTERNET_PORT>(port), userName, password,
                       static_cast<DWORD>(service), flags, context);
}

Handle OpenRequest(Handle connection, const char* verb, const char* path, const char* version, const char* referrer,
                   const char** acceptTypes, std::uint32_t flags, std::uintptr_t context) {
  if (!Api().loaded) return nullptr;
  return Api().openRequest(static_cast<HINTERNET>(connection), verb, path, version, referrer, acceptTypes, flags,
                           context);
}

bool SendRequest(Handle request, const char* headers, std::uint32_t headersLength, const void* body,
                 std::uint32_t bodyLength) {
  if (!Api().loaded) return false;
  return Api().sendRequest(static_cast<HINTERNET>(request), headers, headersLength, const_cast<void*>(body),
                           bodyLength) != FALSE;
}

bool ReadFile(Handle request, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
  *read = 0;
  if (!Api().loaded) return false;
  DWORD count = 0;
  bool ok = Api().readFile(static_cast<HINTERNET>(request), buffer, toRead, &count) != FALSE;
  *read = ok ? count : 0;
  return ok;
}

bool QueryInfo(Handle request, unsigned infoLevel, void* buffer, std::uint32_t* length, std::uint32_t* index) {
  if (!Api().loaded) return false;
  DWORD size = *length;
  DWORD at = index != nullptr ? *index : 0;
  bool ok = Api().queryInfo(static_cast<HINTERNET>(request), infoLevel, buffer, &size,
                            index != nullptr ? &at : nullptr) != FALSE;
  *length = size;
  if (index != nullptr) *index = at;
  return ok;
}

bool Close(Handle handle) {
  if (!Api().loaded || handle == nullptr) return false;
  return Api().closeHandle(static_cast<HINTERNET>(handle)) != FALSE;
}

}  // namespace transport
