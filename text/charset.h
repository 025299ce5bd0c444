// Re-encoding reply bodies between charsets.
#pragma once

#include <optional>

#include "text/text.h"

// `data` from `fromCharset` (empty: "UTF-8") to `toCharset` (empty: "GBK"),
// the output from the 0-based offset `startPosition` on when it is given.
// A UTF-8 byte-order mark at the start of the input is dropped.
ByteString ConvertCharset(const ByteString& data, const Text& fromCharset = {}, const Text& toCharset = {},
                          std::optional<int> startPosition = std::nullopt);
// The same with the charsets used as given.
ByteString StreamConvert(const ByteString& data, const Text& fromCharset, const Text& toCharset,
                         std::optional<int> startPosition = std::nullopt);
