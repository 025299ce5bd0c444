// A stand-in wininet.dll planted beside a test program: when anything loads
// it, it appends a mark to the file CONFORMANCE_DIR/planted-mark. It exports
// nothing, so a program that imported wininet.dll would not even start.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH];
  DWORD length = GetEnvironmentVariableA("CONFORMANCE_DIR", path, MAX_PATH - 20);
  if (length == 0 || length >= MAX_PATH - 20) return TRUE;
  lstrcatA(path, "\\planted-mark");
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "planted wininet.dll ran\n", 24, &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
