// Cutting pieces out of a Text by markers.
#pragma once

#include "text/text.h"

// The bytes between the first `leftMarker` at or after `start` and the first
// `rightMarker` behind it; empty when either is missing. "#引号" in a marker
// stands for a double quote. TextBetween("a[b]c", "[", "]") gives "b".
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start = 1,
                 bool caseSensitive = false);
// The bytes behind the last `delimiter`; empty when it does not occur.
// TextAfterLast("艾欧尼亚 电信一", " ") gives "电信一".
Text TextAfterLast(const Text& text, const Text& delimiter, bool ignoreCase = false);
// The bytes behind the first ":", trimmed. HeaderValue("a:b:c") gives "b:c".
Text HeaderValue(const Text& text);
