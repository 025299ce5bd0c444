// Code-page conversion, with the behaviour of Windows' MultiByteToWideChar and
// WideCharToMultiByte with flags 0, for the code pages 0 (treated as 936 on
// Linux), 936 (GBK) and 65001 (UTF-8). Bad input never empties a text: an
// invalid UTF-8 sequence becomes U+FFFD, and a character the target code page
// lacks becomes "?".
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr unsigned kCodePageAnsi = 0;
constexpr unsigned kCodePageGbk = 936;
constexpr unsigned kCodePageUtf8 = 65001;

// Converts `length` bytes of `text` (-1: up to and including its NUL) to UTF-16.
// With capacity 0 only counts. Returns the number of units written (or needed),
// the terminator included when length is -1; 0 on failure or when the output
// does not fit.
int MultiByteToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int capacity);

// Converts `length` UTF-16 units (-1: up to and including the first zero unit)
// to `codePage`. Same counting rules as above.
int Utf16ToMultiByte(unsigned codePage, const char16_t* units, int length, char* out, int capacity);

// Re-encodes a whole byte run from one code page to another in one pass; gives
// the same bytes as MultiByteToUtf16 followed by Utf16ToMultiByte. Returns
// false (and leaves `out` empty) for a code page it does not support.
bool ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::uint8_t* data, std::size_t size,
                     std::vector<std::uint8_t>& out);

// The system's ANSI code page (936 on Linux).
unsigned AnsiCodePage();
