// Drives another program's Win32 windows the way a person would: start it,
// find its window, pick, type and click through its controls, read and close
// its message boxes, wait for it to end. For test drivers that run under Wine
// (or Windows) beside the program under test.
//
// Every wait polls with a deadline (about every 20 ms); none sleeps a fixed
// time. Timeouts are generous by default because a first start of a Wine
// prefix, or a loaded machine, can take many seconds.
//
// Texts: window texts come back as UTF-8 (WindowText) or GBK (WindowTextGbk);
// line breaks in a message box text come back as CR LF. Tests spell expected
// UTF-8 texts as u8"..." and pass them through Utf8().
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace window_driver {

// Durations are milliseconds.
using Milliseconds = DWORD;

inline constexpr Milliseconds kDefaultTimeout = 30000;
inline constexpr Milliseconds kPollInterval = 20;

// Polls `condition` until it returns true or `timeout` has passed; returns its
// last answer.
template <typename Condition>
bool WaitUntil(Condition condition, Milliseconds timeout = kDefaultTimeout) {
  const ULONGLONG deadline = GetTickCount64() + timeout;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollInterval);
  }
}

// --- Texts -------------------------------------------------------------------

std::string Utf8(std::u8string_view text);
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string ToGbk(std::wstring_view text);     // code page 936 named explicitly
std::wstring FromGbk(std::string_view text);

// --- Processes ---------------------------------------------------------------

// A started program. Moving is allowed, copying is not. The destructor ends a
// program that is still running (so a failed test leaves nothing behind).
class Process {
 public:
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool Started() const { return handle_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return handle_; }
  bool Running() const;

  // Waits for the program to end. True with its exit code in `exitCode`; false
  // when it is still running at the deadline.
  bool WaitForExit(DWORD& exitCode, Milliseconds timeout = kDefaultTimeout) const;
  // Ends the program at once (exit code `exitCode`) and waits for it.
  void Kill(UINT exitCode = 255);

 private:
  friend Process StartProcess(const std::wstring& program, const std::vector<std::wstring>& arguments,
                              const std::wstring& directory);
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Starts `program` with `arguments` (each quoted as the C runtime parses
// them), inheriting this process's environment and desktop. `directory` empty:
// this process's current directory. Check Started() for success.
Process StartProcess(const std::wstring& program, const std::vector<std::wstring>& arguments = {},
                     const std::wstring& directory = {});

// The quoted command line StartProcess builds: each argument is quoted when
// it holds a space, a tab or a quote, or is empty; backslashes before a quote
// are doubled.
std::wstring QuoteCommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments);

// --- Windows -----------------------------------------------------------------

// Visible top-level windows of process `processId` that have no owner, in
// Z order; `className` null: any class except message boxes (#32770).
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className = nullptr);

// Waits for the first visible unowned top-level window of the process that is
// not a message box (or is of `className` when given); null at the deadline.
HWND WaitForMainWindow(const Process& process, const wchar_t* className = nullptr,
                       Milliseconds timeout = kDefaultTimeout);

std::wstring ClassName(HWND window);
// A window's text as the window itself gives it (WM_GETTEXT): an edit box's
// content, a drop-down list's selected item, a caption.
std::wstring WindowTextW(HWND window);
std::string WindowText(HWND window);     // UTF-8
std::string WindowTextGbk(HWND window);  // GBK

// One direct child of a window.
struct Child {
  HWND window;
  std::wstring className;
  std::string text;  // UTF-8
  int id;            // GetDlgCtrlID
};

// The direct children of `parent` in Z order, top first.
std::vector<Child> ChildrenInZOrder(HWND parent);
// The direct children of `parent` in creation order, which is the order of
// their control ids: programs that number their controls as they create them
// (as the program under test does) get them back in that order.
std::vector<Child> Children(HWND parent);
// The `order`-th (1-based, creation order) direct child of `className`
// ("Button", "Edit", "ComboBox", "Static", compared ignoring case); null when
// there is none.
HWND FindControl(HWND parent, const wchar_t* className, int order);

// --- Controls ----------------------------------------------------------------

// Selects item `index` (0-based; -1 clears the field) of a combo box with
// CB_SETCURSEL, then tells its parent as a user's pick would (CBN_SELCHANGE).
// False when the combo box refused the index.
bool SelectComboItem(HWND combo, int index);
// The items of a combo box, in list order, as UTF-8.
std::vector<std::string> ComboItems(HWND combo);
// Replaces the text of a control (WM_SETTEXT); `text` is UTF-8.
bool SetText(HWND control, std::string_view text);
bool SetTextGbk(HWND control, std::string_view text);
// Presses a button the way a click does: posts BM_CLICK and returns at once,
// so a handler that opens a modal box does not block the driver.
void ClickButton(HWND button);
// Asks a top-level window to close, as its close box does (WM_SYSCOMMAND
// SC_CLOSE, posted).
void RequestClose(HWND window);

// --- Message boxes -------------------------------------------------------------

// Visible message boxes (#32770) of the process.
std::vector<HWND> MessageBoxes(DWORD processId);
// Waits for a message box of the process; null at the deadline.
HWND WaitForMessageBox(const Process& process, Milliseconds timeout = kDefaultTimeout);
// The box's message text (the static control with id 0xFFFF), UTF-8.
std::string MessageBoxText(HWND box);
std::string MessageBoxTextGbk(HWND box);
// Presses the box's OK button and waits until the box is gone; false when it
// is still there at the deadline.
bool PressOk(HWND box, Milliseconds timeout = kDefaultTimeout);

}  // namespace window_driver
