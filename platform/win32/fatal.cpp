#include "platform/fatal.h"

#include <windows.h>

#include <string>

#include "platform/codepage.h"

void ShowFatalErrorAndExit(const char* message) {
  // Converted by hand: the allocator may be what failed.
  wchar_t wide[512];
  int units = MultiByteToWideChar(kCodePageGbk, 0, message, -1, wide, 512);
  if (units == 0) wide[0] = L'\0';
  MessageBoxW(nullptr, wide, L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(-1));
}
