// Uses the real program the way a person would and checks what they would
// see: the window, its controls and list, the link buttons' message boxes, and
// what the shell was asked to open (a recorder program stands in for the
// browser and the messenger; it appends each address to RECORD-FILE).
//
//   gui_driver.exe LOLRANK.EXE RECORD-FILE DPI [SCREENSHOT-DIR]
//
// DPI is the resolution the prefix is set to: 96 runs every check, any other
// value checks the layout only (places and sizes scaled from 96 DPI). With
// SCREENSHOT-DIR, window.bmp and message-box.bmp are saved there. Prints one
// line per check; the exit code is the number of failed checks.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/constants.h"
#include "tests/support/window_driver.h"

namespace wd = window_driver;

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++g_failures;
}

template <typename T>
std::string Show(const T& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}
std::string Show(const std::string& value) { return "\"" + value + "\""; }

template <typename A, typename B>
void CheckEqual(const A& actual, const B& expected, const std::string& what) {
  const bool ok = actual == expected;
  Check(ok, ok ? what : what + ": got " + Show(actual) + ", want " + Show(expected));
}

// A Text of the program (GBK) as the UTF-8 a window shows.
std::string FromProgram(const char* gbk) { return wd::ToUtf8(wd::FromGbk(gbk)); }

// --- What the description says ---------------------------------------------------

struct ExpectedControl {
  const wchar_t* className;
  const char8_t* text;
  int left, top, width, height;  // at 96 DPI
  bool focusStop;
};

// In creation order: 组合框1, 标签1, 标签2, 编辑框1, 按钮1 to 按钮4.
const ExpectedControl kControls[] = {
    {L"ComboBox", u8"", 80, 16, 168, 20, true},       {L"Static", u8"选择大区", 8, 16, 48, 24, false},
    {L"Static", u8"游戏ID", 8, 64, 56, 24, false},     {L"Edit", u8"", 80, 64, 168, 20, true},
    {L"Button", u8"查询", 264, 16, 72, 64, true},      {L"Button", u8"Zantorel", 8, 96, 96, 32, true},
    {L"Button", u8"刷钻平台", 128, 96, 96, 32, true},  {L"Button", u8"联系作者", 240, 96, 96, 32, true},
};
constexpr int kListHeight = 160;

const char8_t* const kRegions[] = {
    u8"艾欧尼亚 电信一", u8"比尔吉沃特 网通一", u8"祖安 电信二",       u8"诺克萨斯 电信三",   u8"德玛西亚 网通二",
    u8"班德尔城 电信四", u8"皮尔特沃夫 电信五", u8"战争学院 电信六",   u8"弗雷尔卓德 网通三", u8"巨神峰 电信七",
    u8"雷瑟守备 电信八", u8"无畏先锋 网通四",   u8"裁决之地 电信九",   u8"黑色玫瑰 电信十",   u8"暗影岛 电信十一",
    u8"钢铁烈阳 电信十二", u8"恕瑞玛 网通五",   u8"均衡教派 电信十三", u8"水晶之痕 电信十四", u8"教育网专区",
    u8"影流 电信十五",   u8"守望之海 电信十六", u8"扭曲丛林 网通六",   u8"征服之海 电信十七", u8"卡拉曼达 电信十八",
    u8"皮城警备 电信十九",
};

// --- Small helpers ---------------------------------------------------------------

bool IsWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
  return static_cast<LRESULT>(result);
}

RECT ClientRectOf(HWND control, HWND parent) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string ShowRect(int left, int top, int width, int height) {
  return Show(left) + "," + Show(top) + " " + Show(width) + "x" + Show(height);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream file(path.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// --- Screenshots -------------------------------------------------------------------

std::vector<BYTE> Capture(const RECT& rect, BITMAPINFOHEADER& header) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  header = BITMAPINFOHEADER{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as a BMP file stores it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  header.biSizeImage = static_cast<DWORD>(stride * height);
  std::vector<BYTE> pixels(header.biSizeImage);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Saves the screen area `rect` once two captures a moment apart agree, so the
// picture is not taken halfway through a repaint.
void SaveScreenshot(RECT rect, const std::wstring& path) {
  InflateRect(&rect, 12, 12);
  BITMAPINFOHEADER header;
  std::vector<BYTE> pixels = Capture(rect, header);
  const bool steady = wd::WaitUntil(
      [&] {
        Sleep(200);
        std::vector<BYTE> again = Capture(rect, header);
        const bool same = again == pixels;
        pixels.swap(again);
        return same;
      },
      10000);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  Check(steady && out.good(), "screenshot " + wd::ToUtf8(path));
}

RECT Union(HWND a, HWND b) {
  RECT ra, rb, all;
  GetWindowRect(a, &ra);
  GetWindowRect(b, &rb);
  UnionRect(&all, &ra, &rb);
  return all;
}

// --- The checks ------------------------------------------------------------------

void CheckLayout(HWND window, int dpi) {
  auto scale = [dpi](int value) { return MulDiv(value, dpi, 96); };
  RECT outer;
  GetWindowRect(window, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  CheckEqual(ShowRect(outer.left, outer.top, width, height),
             ShowRect((GetSystemMetrics(SM_CXSCREEN) - scale(382)) / 2, (GetSystemMetrics(SM_CYSCREEN) - scale(166)) / 2,
                      scale(382), scale(166)),
             "window: outer size 382 x 166 scaled, centred on the screen");

  const auto children = wd::Children(window);
  CheckEqual(children.size(), std::size(kControls), "window: eight controls");
  if (children.size() != std::size(kControls)) return;
  for (size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& want = kControls[i];
    const std::string name = "control " + Show(i + 1) + " (" + wd::Utf8(want.text) + ")";
    const RECT place = ClientRectOf(children[i].window, window);
    const bool combo = std::wstring(want.className) == L"ComboBox";
    if (!combo) {
      CheckEqual(ShowRect(place.left, place.top, place.right - place.left, place.bottom - place.top),
                 ShowRect(scale(want.left), scale(want.top), scale(want.width), scale(want.height)),
                 name + ": place and size");
      continue;
    }
    // A drop-down list's window is its field; the height it was created with
    // shows in the dropped-down rectangle. Windows reports field and list
    // together; Wine the list alone, measured below the field as it was
    // before the font was set, a few pixels taller than now.
    CheckEqual(ShowRect(place.left, place.top, place.right - place.left, 0),
               ShowRect(scale(want.left), scale(want.top), scale(want.width), 0), name + ": place and width");
    RECT dropped{};
    Send(children[i].window, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const int created = scale(std::max(want.height, kListHeight));
    const int droppedHeight = dropped.bottom - dropped.top;
    const int field = place.bottom - place.top;
    const bool ok = IsWine() ? droppedHeight <= created - field && droppedHeight >= created - field - scale(4)
                             : droppedHeight == created;
    Check(ok, name + ": created " + Show(created) + " px tall with the list (dropped " + Show(droppedHeight) +
                  ", field " + Show(field) + ")");
  }
}

void CheckWindow(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), "window: caption bar and close box");
  Check(!(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), "window: no minimise or maximise box");
  Check(!(style & WS_THICKFRAME), "window: fixed frame, not resizable");
  Check(!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST), "window: not always on top");
  CheckEqual(wd::WindowText(window), wd::Utf8(u8"【Zantorel】英雄联盟隐藏分查询 ") + FromProgram(constants::kHomePage),
             "window: caption");

  // Windows shares stock objects between processes, so WM_GETFONT names the
  // default GUI font. Wine hands no font across processes (WM_GETFONT gives
  // null); there the list's row height below shows the font.
  const HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
  const bool fontsVisible = !IsWine();
  if (fontsVisible) Check(reinterpret_cast<HGDIOBJ>(Send(window, WM_GETFONT)) == guiFont, "window: default GUI font");

  const auto children = wd::Children(window);
  if (children.size() != std::size(kControls)) return;
  for (size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& want = kControls[i];
    const wd::Child& child = children[i];
    const std::string name = "control " + Show(i + 1) + " (" + wd::Utf8(want.text) + ")";
    Check(_wcsicmp(child.className.c_str(), want.className) == 0, name + ": class " + wd::ToUtf8(want.className));
    CheckEqual(child.text, wd::Utf8(want.text), name + ": text");
    const LONG controlStyle = GetWindowLongW(child.window, GWL_STYLE);
    CheckEqual(static_cast<bool>(controlStyle & WS_TABSTOP), want.focusStop, name + ": focus stop");
    Check(IsWindowVisible(child.window) && IsWindowEnabled(child.window), name + ": visible and enabled");
    if (fontsVisible) {
      Check(reinterpret_cast<HGDIOBJ>(Send(child.window, WM_GETFONT)) == guiFont, name + ": default GUI font");
    }
    if (child.className == L"Button") {
      Check((controlStyle & BS_TYPEMASK) == BS_PUSHBUTTON, name + ": push button, not the default one");
      Check((controlStyle & (BS_CENTER | BS_VCENTER | BS_MULTILINE)) == (BS_CENTER | BS_VCENTER | BS_MULTILINE),
            name + ": caption centred and wrapped");
    }
  }

  // Stacked the other way round from creation: 按钮4 on top, 组合框1 at the bottom.
  const auto stacked = wd::ChildrenInZOrder(window);
  bool reversed = stacked.size() == children.size();
  for (size_t i = 0; reversed && i < stacked.size(); ++i) {
    reversed = stacked[i].window == children[children.size() - 1 - i].window;
  }
  Check(reversed, "controls stacked from the last button down to the drop-down list");

  HWND combo = children[0].window;
  const LONG comboStyle = GetWindowLongW(combo, GWL_STYLE);
  Check((comboStyle & 3) == CBS_DROPDOWNLIST && !(comboStyle & CBS_SORT), "drop-down list: unsorted drop-down list");
  std::vector<std::string> expectedItems;
  for (const char8_t* item : kRegions) expectedItems.push_back(wd::Utf8(item));
  const auto items = wd::ComboItems(combo);
  CheckEqual(items.size(), expectedItems.size(), "drop-down list: 26 items");
  Check(items == expectedItems, "drop-down list: the items in list order");
  CheckEqual(static_cast<int>(Send(combo, CB_GETCURSEL)), CB_ERR, "drop-down list: no item selected at start");

  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, guiFont);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  if (IsWine()) {
    // Wine sets the row height of owner-drawn lists only; the rows still show
    // which font the list has.
    CheckEqual(static_cast<int>(Send(combo, CB_GETITEMHEIGHT, 0)), static_cast<int>(metrics.tmHeight),
               "drop-down list: rows of the default GUI font (Wine keeps the font's row height)");
  } else {
    CheckEqual(static_cast<int>(Send(combo, CB_GETITEMHEIGHT, 0)), static_cast<int>(metrics.tmHeight) + 1,
               "drop-down list: list rows one pixel taller than the font's");
  }

  HWND edit = children[3].window;
  const LONG editStyle = GetWindowLongW(edit, GWL_STYLE);
  Check((editStyle & ES_AUTOHSCROLL) && !(editStyle & (ES_MULTILINE | ES_PASSWORD | ES_READONLY | ES_NOHIDESEL)) &&
            (editStyle & 3) == ES_LEFT,
        "edit box: one left-aligned line, scrolling, plain input, selection hidden when unfocused");
  Check(GetWindowLongW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, "edit box: sunken frame");
  Check(static_cast<DWORD>(Send(edit, EM_GETLIMITTEXT)) >= 0x7FFFFFFEu, "edit box: no length limit");
}

void CheckListTakesNoTyping(HWND window) {
  HWND combo = wd::FindControl(window, L"ComboBox", 1);
  Check(FindWindowExW(combo, nullptr, L"Edit", nullptr) == nullptr, "drop-down list: no edit field to type into");
  for (wchar_t c : std::wstring(L"Abc 1")) Send(combo, WM_CHAR, c, 1);
  CheckEqual(wd::WindowText(combo), std::string(), "drop-down list: typing leaves the field empty");
  CheckEqual(static_cast<int>(Send(combo, CB_GETCURSEL)), CB_ERR, "drop-down list: typing picks nothing");
  Check(wd::SelectComboItem(combo, 19), "drop-down list: item 20 can be picked");
  CheckEqual(wd::WindowText(combo), wd::Utf8(u8"教育网专区"), "drop-down list: the field shows the picked item");
  wd::SelectComboItem(combo, -1);

  HWND edit = wd::FindControl(window, L"Edit", 1);
  const std::string name = wd::Utf8(u8"测试 Abc");
  wd::SetText(edit, name);
  CheckEqual(wd::WindowText(edit), name, "edit box: takes a typed name");
  wd::SetText(edit, "");
}

void CheckTabOrder(HWND window) {
  // Tab walks the focus stops only, each once, and comes back round.
  HWND start = FocusOf(window);
  Check(start && IsChild(window, start), "a control has the focus when the window opens");
  if (!start) return;
  std::vector<HWND> visited{start};
  HWND focus = start;
  for (int step = 0; step < 8; ++step) {
    PostMessageW(focus, WM_KEYDOWN, VK_TAB, 0x000F0001);
    PostMessageW(focus, WM_KEYUP, VK_TAB, static_cast<LPARAM>(0xC00F0001u));
    HWND previous = focus;
    if (!wd::WaitUntil([&] { return FocusOf(window) != previous; }, 10000)) break;
    focus = FocusOf(window);
    if (focus == start) break;
    visited.push_back(focus);
  }
  Check(focus == start, "Tab comes back to the first control");
  int stops = 0;
  for (const ExpectedControl& c : kControls) stops += c.focusStop ? 1 : 0;
  CheckEqual(static_cast<int>(visited.size()), stops, "Tab visits every focus stop once");
  bool onlyStops = true;
  for (HWND visitedControl : visited) {
    onlyStops = onlyStops && (GetWindowLongW(visitedControl, GWL_STYLE) & WS_TABSTOP);
  }
  Check(onlyStops, "Tab skips the labels");
}

void CheckLinkButtons(const wd::Process& process, HWND window, const std::wstring& recordFile,
                      const std::wstring& screenshots) {
  struct LinkCase {
    int order;  // among the buttons, creation order
    const char8_t* name;
    bool message;
    const char8_t* caption;
    const char8_t* text;
    std::string address;
  };
  const LinkCase cases[] = {
      {2, u8"按钮2", true, u8"明智之选！", u8"只做有质量的教程和软件。只分享有取有意义的文章！",
       "http://" + FromProgram(constants::kHomePage)},
      {3, u8"按钮3", true, u8"明智之选！", u8"明智之选！", "http://" + FromProgram(constants::kPartnerSite)},
      {4, u8"按钮4", false, nullptr, nullptr, FromProgram(constants::kContactLink)},
  };
  std::vector<std::string> expectedRecord;
  for (const LinkCase& c : cases) {
    const std::string name = wd::Utf8(c.name);
    const size_t before = ReadLines(recordFile).size();
    wd::ClickButton(wd::FindControl(window, L"Button", c.order));
    if (c.message) {
      HWND box = wd::WaitForMessageBox(process);
      Check(box != nullptr, name + ": a message box opens");
      if (!box) return;
      CheckEqual(wd::WindowText(box), wd::Utf8(c.caption), name + ": message caption");
      CheckEqual(wd::MessageBoxText(box), wd::Utf8(c.text), name + ": message text");
      Check(GetWindow(box, GW_OWNER) == nullptr, name + ": the box has no owner");
      Check(!IsWindowEnabled(window), name + ": the main window takes no clicks while the box is open");
      Check(GetDlgItem(box, IDOK) && !IsWindowVisible(GetDlgItem(box, IDCANCEL)) &&
                !IsWindowVisible(GetDlgItem(box, 0x14)),
            name + ": one OK button, no icon");
      CheckEqual(ReadLines(recordFile).size(), before, name + ": nothing opened before the box is closed");
      if (!screenshots.empty() && c.order == 2) SaveScreenshot(Union(window, box), screenshots + L"\\message-box.bmp");
      Check(wd::PressOk(box), name + ": OK closes the box");
    }
    Check(wd::WaitUntil([&] { return ReadLines(recordFile).size() > before; }), name + ": the shell opens an address");
    const auto lines = ReadLines(recordFile);
    if (lines.size() > before) CheckEqual(lines[before], c.address, name + ": the address handed to the shell");
    expectedRecord.push_back(c.address);
    Check(wd::WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }), name + ": the main window is enabled again");
    if (!c.message) Check(wd::MessageBoxes(process.Id()).empty(), name + ": no message box");
  }
  Check(ReadLines(recordFile) == expectedRecord, "the shell was asked for exactly the three addresses, in order");
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count < 4) {
    std::fprintf(stderr, "usage: gui_driver LOLRANK.EXE RECORD-FILE DPI [SCREENSHOT-DIR]\n");
    return 100;
  }
  const std::wstring program = arguments[1];
  const std::wstring recordFile = arguments[2];
  const int dpi = _wtoi(arguments[3]);
  const std::wstring screenshots = count > 4 ? arguments[4] : L"";
  LocalFree(arguments);
  DeleteFileW(recordFile.c_str());

  // The prefix must really be at the resolution the checks expect.
  HDC screen = GetDC(nullptr);
  CheckEqual(GetDeviceCaps(screen, LOGPIXELSY), dpi, "the system runs at " + Show(dpi) + " DPI");
  ReleaseDC(nullptr, screen);

  wd::Process process = wd::StartProcess(program);
  Check(process.Started(), "the program starts");
  HWND window = wd::WaitForMainWindow(process, nullptr, 60000);
  Check(window != nullptr, "MainWindow appears");
  if (!window) return g_failures;

  CheckLayout(window, dpi);
  if (dpi == 96) {
    CheckWindow(window);
    if (!screenshots.empty()) {
      RECT rect;
      GetWindowRect(window, &rect);
      SaveScreenshot(rect, screenshots + L"\\window.bmp");
    }
    CheckListTakesNoTyping(window);
    CheckTabOrder(window);
    CheckLinkButtons(process, window, recordFile, screenshots);
  }

  wd::RequestClose(window);
  DWORD exitCode = 1;
  Check(process.WaitForExit(exitCode, 60000), "closing MainWindow ends the program");
  CheckEqual(exitCode, 0ul, "exit code");
  std::printf("%d failed\n", g_failures);
  return g_failures;
}
