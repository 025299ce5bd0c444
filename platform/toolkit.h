// The window toolkit and the shell: one top-level window built from a static
// description, message boxes, the visual style and opening addresses. Every
// text crossing this header is GBK (code page 936); the Windows side converts
// it with code page 936 named explicitly, so it is right on any system locale.
//
// The Windows toolkit is system-DPI aware: every place and size of a
// description is given at 96 DPI and scaled by the window's DPI when the
// window is created. The Linux toolkit is a headless stand-in that keeps the
// controls' texts in memory (see platform/posix/headless_toolkit.h).
#pragma once

#include <string>

enum class ControlKind { DropDownList, Label, Edit, Button };

struct ControlDescription {
  const char* name;  // the toolkit name, e.g. "按钮1"
  ControlKind kind;
  int left, top, width, height;  // client coordinates at 96 DPI
  const char* text;              // a drop-down list takes the description's list items instead
  bool focusStop;                // reached with Tab
  void (*onClick)();             // null: no handler
};

struct WindowDescription {
  const char* className;
  const char* caption;                 // at creation
  int width, height;                   // outer size at 96 DPI, frame and caption bar included
  int left, top;                       // recorded place; centring overrides it
  const ControlDescription* controls;  // in creation order
  int controlCount;
  const int* stackingOrder;      // all control indexes, from top to bottom
  const char* const* listItems;  // the items of the drop-down list, in list order
  int listItemCount;
  int listHeight;  // a drop-down list is created at least this tall (field and list), at 96 DPI
  void (*onCreated)();
};

// Creates the window (fixed frame, caption bar and close box, centred on the
// screen) and its controls in creation order, sets the stacking order, runs
// `onCreated`, shows the window and runs the message loop until the last
// window of the program is gone. Returns the quit code (0), or -1 when the
// window cannot be created.
int RunMainWindow(const WindowDescription& description);

// The text of control `index` of the description (a new GBK text): an edit
// box's content, a drop-down list's selected item or the empty text. The
// empty text when there is no such control or no window.
std::string ReadControlText(int index);
void SetWindowCaption(const char* caption);

// Task-modal message box without owner; `buttons` 0 is one OK button, no icon.
// Returns when the box is closed, with the pressed button's id.
int ShowMessage(const char* message, int buttons, const char* caption);
// Hands `address` to the shell's "open" verb and returns at once; nothing is
// reported when nothing can open it.
void OpenAddress(const char* address);
// 1, 2 or 3 switch the themed look of the standard controls on, for the
// thread's windows that exist and those created later; anything else off.
void SetVisualStyle(int scheme);

// Initialises the toolkit (common controls, OLE for this thread) before the
// window is created, and releases it afterwards.
void InitToolkit();
void EndToolkit();
