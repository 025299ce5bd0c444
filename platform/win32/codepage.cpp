// Code pages on Windows: the system's own conversion functions, flags 0.
#include "platform/codepage.h"

#include <windows.h>

#include <climits>

int MultiByteToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int capacity) {
  return MultiByteToWideChar(codePage, 0, text, length, reinterpret_cast<wchar_t*>(out), capacity);
}

int Utf16ToMultiByte(unsigned codePage, const char16_t* units, int length, char* out, int capacity) {
  return WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(units), length, out, capacity, nullptr,
                             nullptr);
}

bool ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::uint8_t* data, std::size_t size,
                     std::vector<std::uint8_t>& out) {
  out.clear();
  const auto supported = [](unsigned codePage) { return codePage == CP_ACP || IsValidCodePage(codePage); };
  if (!supported(fromCodePage) || !supported(toCodePage) || size > INT_MAX) return false;
  if (size == 0) return true;
  const char* text = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size);
  const int units = MultiByteToWideChar(fromCodePage, 0, text, length, nullptr, 0);
  if (units <= 0) return false;
  std::vector<wchar_t> wide(static_cast<std::size_t>(units));
  MultiByteToWideChar(fromCodePage, 0, text, length, wide.data(), units);
  const int bytes = WideCharToMultiByte(toCodePage, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  out.resize(static_cast<std::size_t>(bytes));
  WideCharToMultiByte(toCodePage, 0, wide.data(), units, reinterpret_cast<char*>(out.data()), bytes, nullptr,
                      nullptr);
  return true;
}

unsigned AnsiCodePage() { return GetACP(); }
