// Percent-encoding and the GBK/UTF-8/UTF-16 conversions it rests on.
#pragma once

#include <optional>

#include "text/text.h"

// Every byte becomes "%" and two uppercase hex digits; with keepSafe, the
// 64 safe bytes (- . 0-9 A-Z a-z) stay plain. With toUtf8 the GBK text is
// converted to UTF-8 first. UrlEncode("电信一", false, true) gives
// "%E7%94%B5%E4%BF%A1%E4%B8%80".
Text UrlEncode(const Text& text, bool keepSafe = false, bool toUtf8 = false);
// The UTF-8 bytes of a GBK text.
Text AnsiToUtf8(const Text& text);
// UTF-16LE units of `text` read in `codePage` (default 65001), ending in a zero unit.
ByteString AnsiToUnicode(const Text& text, std::optional<unsigned> codePage = std::nullopt);
// `units` (UTF-16LE, up to the first zero unit) in `codePage` (default 0, the ANSI code page).
Text UnicodeToAnsi(const ByteString& units, std::optional<unsigned> codePage = std::nullopt);
