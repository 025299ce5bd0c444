#include "tests/support/window_driver.h"

#include <algorithm>
#include <utility>

namespace window_driver {
namespace {

constexpr UINT kGbk = 936;
constexpr UINT kMessageTimeoutMs = 10000;

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int units = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
  return wide;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  int bytes = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                  nullptr);
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), bytes, nullptr,
                      nullptr);
  return narrow;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

bool IsMessageBoxClass(HWND window) { return ClassName(window) == L"#32770"; }

// Sends across processes without hanging the driver on a stuck program.
LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

struct EnumTopLevel {
  DWORD processId;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<EnumTopLevel*>(parameter);
  if (ProcessOf(window) == state->processId && IsWindowVisible(window) &&
      GetWindow(window, GW_OWNER) == nullptr) {
    state->windows.push_back(window);
  }
  return TRUE;
}

std::vector<HWND> VisibleTopLevel(DWORD processId) {
  EnumTopLevel state{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.windows;
}

}  // namespace

// --- Texts -----------------------------------------------------------------

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }
std::string ToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring FromUtf8(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string ToGbk(std::wstring_view text) { return FromWide(kGbk, text); }
std::wstring FromGbk(std::string_view text) { return ToWide(kGbk, text); }

// --- Processes ---------------------------------------------------------------

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

bool Process::WaitForExit(DWORD& exitCode, Milliseconds timeout) const {
  if (!handle_) return false;
  if (WaitForSingleObject(handle_, timeout) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(handle_, &exitCode) != 0;
}

void Process::Kill(UINT exitCode) {
  if (!handle_) return;
  if (Running()) {
    TerminateProcess(handle_, exitCode);
    WaitForSingleObject(handle_, 10000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

std::wstring QuoteCommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments) {
  auto quote = [](const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      // Backslashes are literal unless a quote follows them.
      quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
  };
  std::wstring line = quote(program);
  for (const auto& argument : arguments) line += L" " + quote(argument);
  return line;
}

Process StartProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                     const std::wstring& directory) {
  Process process;
  std::wstring commandLine = QuoteCommandLine(program, arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                     directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    CloseHandle(info.hThread);
    process.handle_ = info.hProcess;
    process.id_ = info.dwProcessId;
  }
  return process;
}

// --- Windows -----------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className) {
  std::vector<HWND> found;
  for (HWND window : VisibleTopLevel(processId)) {
    bool wanted = className ? _wcsicmp(ClassName(window).c_str(), className) == 0 : !IsMessageBoxClass(window);
    if (wanted) found.push_back(window);
  }
  return found;
}

HWND WaitForMainWindow(const Process& process, const wchar_t* className, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        auto windows = TopLevelWindows(process.Id(), className);
        if (!windows.empty()) found = windows.front();
        return found != nullptr || !process.Running();
      },
      timeout);
  return found;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  int length = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<size_t>(length > 0 ? length : 0));
}

std::wstring WindowTextW(HWND window) {
  // GetWindowTextW would give another process's control only the text it was
  // created with; WM_GETTEXT asks the control itself (the system copies the
  // text across). WM_GETTEXTLENGTH may overstate; the copy says what it wrote.
  int length = static_cast<int>(SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0));
  if (length < 0) length = 0;
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = static_cast<int>(
      SendWithTimeout(window, WM_GETTEXT, static_cast<WPARAM>(length) + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(static_cast<size_t>(copied > 0 && copied <= length ? copied : 0));
  return text;
}

std::string WindowText(HWND window) { return ToUtf8(WindowTextW(window)); }
std::string WindowTextGbk(HWND window) { return ToGbk(WindowTextW(window)); }

std::vector<Child> ChildrenInZOrder(HWND parent) {
  std::vector<Child> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back({child, ClassName(child), WindowText(child), GetDlgCtrlID(child)});
  }
  return children;
}

std::vector<Child> Children(HWND parent) {
  auto children = ChildrenInZOrder(parent);
  std::stable_sort(children.begin(), children.end(), [](const Child& a, const Child& b) { return a.id < b.id; });
  return children;
}

HWND FindControl(HWND parent, const wchar_t* className, int order) {
  int seen = 0;
  for (const auto& child : Children(parent)) {
    if (_wcsicmp(child.className.c_str(), className) == 0 && ++seen == order) return child.window;
  }
  return nullptr;
}

// --- Controls ----------------------------------------------------------------

bool SelectComboItem(HWND combo, int index) {
  LRESULT result = SendWithTimeout(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (index >= 0 && result != index) return false;
  // CB_SETCURSEL does not notify; a pick with the mouse or keyboard does.
  HWND parent = GetParent(combo);
  SendWithTimeout(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(combo));
  return true;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  int count = static_cast<int>(SendWithTimeout(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(SendWithTimeout(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
    if (length < 0) length = 0;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    // The system copies the item across processes for this message.
    int copied = static_cast<int>(SendWithTimeout(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                  reinterpret_cast<LPARAM>(item.data())));
    item.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    items.push_back(ToUtf8(item));
  }
  return items;
}

namespace {
bool SetWide(HWND control, const std::wstring& text) {
  return SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}
}  // namespace

bool SetText(HWND control, std::string_view text) { return SetWide(control, FromUtf8(text)); }
bool SetTextGbk(HWND control, std::string_view text) { return SetWide(control, FromGbk(text)); }

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void RequestClose(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

// --- Message boxes -------------------------------------------------------------

namespace {
BOOL CALLBACK CollectMessageBoxes(HWND window, LPARAM parameter) {
  auto* state = reinterpret_cast<EnumTopLevel*>(parameter);
  // A box may be owned (by its parent) or not; take every visible one.
  if (ProcessOf(window) == state->processId && IsWindowVisible(window) && IsMessageBoxClass(window)) {
    state->windows.push_back(window);
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> MessageBoxes(DWORD processId) {
  EnumTopLevel state{processId, {}};
  EnumWindows(CollectMessageBoxes, reinterpret_cast<LPARAM>(&state));
  return state.windows;
}

HWND WaitForMessageBox(const Process& process, Milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        auto boxes = MessageBoxes(process.Id());
        // The box is usable once its text control exists.
        if (!boxes.empty() && GetDlgItem(boxes.front(), 0xFFFF)) found = boxes.front();
        return found != nullptr || !process.Running();
      },
      timeout);
  return found;
}

std::string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }
std::string MessageBoxTextGbk(HWND box) { return WindowTextGbk(GetDlgItem(box, 0xFFFF)); }

bool PressOk(HWND box, Milliseconds timeout) {
  if (HWND ok = GetDlgItem(box, IDOK)) {
    PostMessageW(ok, BM_CLICK, 0, 0);
  } else {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeout);
}

}  // namespace window_driver
