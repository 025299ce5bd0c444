// Re-encoding reply bodies between charsets.
#pragma once

#include <optional>

#include "text/text.h"

// `data` from `fromCharset` (empty: "UTF-8") to `toCharset` (empty: "GBK"),
// the output from the 0-based offset `startPosition` on when it is given (a
// negative one is ignored; one at or beyond the end leaves nothing).
// Charsets: "UTF-8"/"utf8" and "GBK"/"gb2312"/"cp936", in any letter case;
// any other gives the empty ByteString. The text read from `data` ends at its
// first NUL character. A UTF-8 byte-order mark at the start of the input is
// dropped and none is written. Bad input and characters the target lacks
// become "?" (U+FFFD in UTF-8), as the code-page layer converts them.
// ConvertCharset(E4 BD A0 E5 A5 BD) gives C4 E3 BA C3.
ByteString ConvertCharset(const ByteString& data, const Text& fromCharset = {}, const Text& toCharset = {},
                          std::optional<int> startPosition = std::nullopt);
// The same with the charsets used as given.
ByteString StreamConvert(const ByteString& data, const Text& fromCharset, const Text& toCharset,
                         std::optional<int> startPosition = std::nullopt);
