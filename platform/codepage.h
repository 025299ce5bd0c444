// Code-page conversion, with the behaviour of Windows' MultiByteToWideChar and
// WideCharToMultiByte with flags 0, for the code pages 0 (the ANSI code page;
// 936 on Linux), 936 (GBK) and 65001 (UTF-8). Windows serves any code page it
// has; Linux these three only.
//
// Bad input never empties or truncates a text; both platforms give the same
// units and bytes for it:
// - an invalid UTF-8 sequence becomes U+FFFD, one per bad run as Windows cuts
//   them ("\xE4\xBD" + "b" gives U+FFFD "b", "\xC0\xAF" two). A sequence that
//   the end of the input cuts off takes the rest with it: "\xF0" + "ab" gives
//   one U+FFFD, and with length -1 the NUL goes too, so the count then lacks
//   the terminator;
// - a GBK lead byte with a byte that makes no code after it becomes "?", both
//   bytes consumed, unless that byte is NUL ("\x81" NUL gives "?" NUL);
// - a character GBK lacks becomes "?", one per UTF-16 unit (an emoji gives
//   "??"), unless Windows writes a similar one (U+00AD gives "-");
// - a lone surrogate becomes "?" in GBK and U+FFFD in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr unsigned kCodePageAnsi = 0;
constexpr unsigned kCodePageGbk = 936;
constexpr unsigned kCodePageUtf8 = 65001;

// Converts `length` bytes of `text` (-1: up to and including its NUL) to UTF-16.
// With capacity 0 only counts. Returns the number of units written (or needed),
// the terminator included when length is -1; 0 for a null text, a length of 0,
// an unsupported code page, or output that does not fit (nothing is written then).
int MultiByteToUtf16(unsigned codePage, const char* text, int length, char16_t* out, int capacity);

// Converts `length` UTF-16 units (-1: up to and including the first zero unit)
// to `codePage`. Same counting rules as above.
int Utf16ToMultiByte(unsigned codePage, const char16_t* units, int length, char* out, int capacity);

// Re-encodes a whole byte run, zero bytes included, from one code page to
// another; gives the same bytes as MultiByteToUtf16 followed by
// Utf16ToMultiByte. Returns false (and leaves `out` empty) for a code page it
// does not support. `out` is sized to the result; its capacity may be larger.
bool ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::uint8_t* data, std::size_t size,
                     std::vector<std::uint8_t>& out);

// The system's ANSI code page (936 on Linux).
unsigned AnsiCodePage();
