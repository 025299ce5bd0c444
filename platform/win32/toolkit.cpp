// The window toolkit on Win32: one top-level window built from its
// description, driven by a message loop that lets Tab move between controls.
// Texts arrive as GBK and are converted with code page 936 named explicitly,
// so every caption is right on a system of any ANSI code page.
#include "platform/toolkit.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr UINT kGbk = 936;
constexpr int kDesignDpi = 96;
// Control ids start well above IDOK and IDCANCEL, which the dialog keyboard
// interface sends for Enter and Escape.
constexpr int kFirstControlId = 1000;

// uxtheme's switches for SetThemeAppProperties.
constexpr DWORD kThemeNonClient = 0x1;
constexpr DWORD kThemeControls = 0x2;

std::wstring Wide(const char* gbk) {
  if (!gbk || !*gbk) return {};
  int units = MultiByteToWideChar(kGbk, 0, gbk, -1, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units) - 1);
  return wide;
}

std::string Gbk(const std::wstring& wide) {
  if (wide.empty()) return {};
  int bytes = WideCharToMultiByte(kGbk, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string gbk(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(kGbk, 0, wide.c_str(), -1, gbk.data(), bytes, nullptr, nullptr);
  gbk.resize(static_cast<size_t>(bytes) - 1);
  return gbk;
}

// A Text goes to the system as a pointer to its characters, the empty Text as
// a null pointer.
const wchar_t* PointerOrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// GetProcAddress's result, cast through the one function type that converts
// to every other without a warning.
template <typename Function>
Function LoadFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A system DLL from the system directory only, never from beside the program.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    // Windows 7 without the search-path update: spell the directory out.
    wchar_t directory[MAX_PATH];
    UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      std::wstring path = std::wstring(directory, length) + L"\\" + name;
      module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
  }
  return module;
}

int SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpiForSystem =
      LoadFunction<GetDpiForSystemFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem");
  if (getDpiForSystem) return static_cast<int>(getDpiForSystem());
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      LoadFunction<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (getDpiForWindow) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int Scale(int value, int dpi) { return MulDiv(value, dpi, kDesignDpi); }

// The one window the toolkit serves, reached through the window's user data.
struct MainWindow {
  const WindowDescription* description = nullptr;
  HWND window = nullptr;
  std::vector<HWND> controls;
  HFONT font = nullptr;
  HWND lastFocus = nullptr;  // given back when the window is activated again
};

MainWindow* g_mainWindow = nullptr;
int g_liveWindows = 0;

HWND FirstFocusStop(const MainWindow& state) {
  for (int i = 0; i < state.description->controlCount; ++i) {
    if (state.description->controls[i].focusStop) return state.controls[static_cast<size_t>(i)];
  }
  return nullptr;
}

int RowHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return metrics.tmHeight;
}

bool CreateControls(MainWindow& state, HINSTANCE instance) {
  const WindowDescription& description = *state.description;
  const int dpi = WindowDpi(state.window);
  for (int i = 0; i < description.controlCount; ++i) {
    const ControlDescription& control = description.controls[i];
    const wchar_t* className = L"Button";
    DWORD style = WS_CHILD | WS_VISIBLE | (control.focusStop ? WS_TABSTOP : 0);
    DWORD exStyle = 0;
    int height = control.height;
    std::wstring text = Wide(control.text);
    switch (control.kind) {
      case ControlKind::DropDownList:
        className = WC_COMBOBOXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL;
        // A drop-down list's height covers field and list together.
        height = std::max(height, description.listHeight);
        text.clear();
        break;
      case ControlKind::Label:
        className = WC_STATICW;
        style |= SS_LEFT;
        break;
      case ControlKind::Edit:
        className = WC_EDITW;
        style |= ES_LEFT | ES_AUTOHSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        className = WC_BUTTONW;
        style |= BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
        break;
    }
    HWND handle = CreateWindowExW(exStyle, className, text.c_str(), style, Scale(control.left, dpi),
                                  Scale(control.top, dpi), Scale(control.width, dpi), Scale(height, dpi),
                                  state.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)),
                                  instance, nullptr);
    if (!handle) return false;
    state.controls.push_back(handle);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    if (control.kind == ControlKind::Edit) SendMessageW(handle, EM_SETLIMITTEXT, 0, 0);  // 0: no limit
    if (control.kind == ControlKind::DropDownList) {
      for (int item = 0; item < description.listItemCount; ++item) {
        std::wstring itemText = Wide(description.listItems[item]);
        SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(itemText.c_str()));
      }
      SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      // List rows one pixel taller than the font's own.
      SendMessageW(handle, CB_SETITEMHEIGHT, 0, RowHeight(state.font) + 1);
    }
  }
  // Stack from the top down: each control in turn goes beneath the others.
  for (int i = 0; i < description.controlCount; ++i) {
    HWND control = state.controls[static_cast<size_t>(description.stackingOrder[i])];
    SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      state = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      state->window = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      ++g_liveWindows;
      break;
    }
    case WM_CREATE:
      return CreateControls(*state, reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance) ? 0 : -1;
    case WM_SETFONT:
      if (state) state->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_COMMAND: {
      // Only a button's own click notification runs a handler.
      const int index = LOWORD(wParam) - kFirstControlId;
      if (state && lParam && HIWORD(wParam) == BN_CLICKED && index >= 0 &&
          index < static_cast<int>(state->controls.size()) &&
          state->controls[static_cast<size_t>(index)] == reinterpret_cast<HWND>(lParam)) {
        if (auto onClick = state->description->controls[index].onClick) onClick();
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (!state) break;
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) state->lastFocus = focus;
      } else {
        HWND focus = state->lastFocus && IsWindow(state->lastFocus) ? state->lastFocus : FirstFocusStop(*state);
        if (focus) SetFocus(focus);
      }
      return 0;
    case WM_NCDESTROY:
      if (state && g_mainWindow == state) g_mainWindow = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (--g_liveWindows == 0) PostQuitMessage(0);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

struct ThemeSwitch {
  SetWindowThemeFn setWindowTheme;
  bool themed;
};

BOOL CALLBACK SwitchWindowTheme(HWND window, LPARAM parameter) {
  const auto* change = reinterpret_cast<const ThemeSwitch*>(parameter);
  // Null names give the window back to the themed default; empty names keep
  // it classic.
  if (change->themed) {
    change->setWindowTheme(window, nullptr, nullptr);
  } else {
    change->setWindowTheme(window, L"", L"");
  }
  return TRUE;
}

BOOL CALLBACK SwitchTopLevelTheme(HWND window, LPARAM parameter) {
  SwitchWindowTheme(window, parameter);
  EnumChildWindows(window, SwitchWindowTheme, parameter);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRUE;
}

}  // namespace

void InitToolkit() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  OleInitialize(nullptr);
}

void EndToolkit() { OleUninitialize(); }

int RunMainWindow(const WindowDescription& description) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const std::wstring className = Wide(description.className);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = className.c_str();
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return -1;

  MainWindow state;
  state.description = &description;
  state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  g_mainWindow = &state;

  // Centred on the screen; the recorded place only matters to a toolkit that
  // does not centre.
  const int dpi = SystemDpi();
  const int width = Scale(description.width, dpi);
  const int height = Scale(description.height, dpi);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed frame, close box only
  const std::wstring caption = Wide(description.caption);
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), caption.c_str(), style, left, top, width,
                                height, nullptr, nullptr, instance, &state);
  if (!window) {
    g_mainWindow = nullptr;
    return -1;
  }

  if (description.onCreated) description.onCreated();
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);

  MSG message;
  int result;
  while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    HWND dialog = g_mainWindow ? g_mainWindow->window : nullptr;
    if (dialog && IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  g_mainWindow = nullptr;
  return result < 0 ? -1 : static_cast<int>(message.wParam);
}

std::string ReadControlText(int index) {
  if (!g_mainWindow || index < 0 || index >= static_cast<int>(g_mainWindow->controls.size())) return {};
  HWND control = g_mainWindow->controls[static_cast<size_t>(index)];
  int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return Gbk(text);
}

void SetWindowCaption(const char* caption) {
  if (g_mainWindow) SetWindowTextW(g_mainWindow->window, Wide(caption).c_str());
}

int ShowMessage(const char* message, int buttons, const char* caption) {
  const std::wstring text = Wide(message);
  const std::wstring title = Wide(caption);
  return MessageBoxW(nullptr, PointerOrNull(text), PointerOrNull(title),
                     MB_TASKMODAL | static_cast<UINT>(buttons));
}

void OpenAddress(const char* address) {
  const std::wstring target = Wide(address);
  HWND owner = g_mainWindow ? g_mainWindow->window : nullptr;
  ShellExecuteW(owner, L"open", PointerOrNull(target), nullptr, nullptr, SW_SHOWNORMAL);
}

void SetVisualStyle(int scheme) {
  static HMODULE uxtheme = LoadSystemLibrary(L"uxtheme.dll");
  using SetThemeAppPropertiesFn = void(WINAPI*)(DWORD);
  static const auto setThemeAppProperties = LoadFunction<SetThemeAppPropertiesFn>(uxtheme, "SetThemeAppProperties");
  static const auto setWindowTheme = LoadFunction<SetWindowThemeFn>(uxtheme, "SetWindowTheme");
  if (!setThemeAppProperties || !setWindowTheme) return;  // no visual styles on this system
  // The colour family of a scheme is the theme's own; every scheme gets it.
  const bool themed = scheme >= 1 && scheme <= 3;
  // Windows created from now on follow the application setting...
  setThemeAppProperties(themed ? kThemeNonClient | kThemeControls : 0);
  // ...and those that exist already (drop-down lists included) one by one.
  ThemeSwitch change{setWindowTheme, themed};
  EnumThreadWindows(GetCurrentThreadId(), SwitchTopLevelTheme, reinterpret_cast<LPARAM>(&change));
}
