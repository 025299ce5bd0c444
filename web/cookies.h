// Cookie texts: items separated by ";", written joined by "; ".
#pragma once

#include "text/text.h"

// Folds the returned cookies into `cookies`: returned items first, then the old
// items whose names were not returned; items ending "=deleted" go; repeats go.
// Both variables are rewritten (blanks removed); the result is the new `cookies`.
Text CookieMerge(Text& cookies, Text& returnedCookies);
// The text before the first "=", trimmed. CookieName("a=b=x") gives "a".
Text CookieName(const Text& item);
bool CookieListHasName(const TextArray& items, const Text& name);
// DedupeJoined("a; b; a", "; ") gives "a; b".
Text DedupeJoined(const Text& text, const Text& delimiter);
// 1-based index of the first member equal to `text`, or -1.
int ArrayFindText(const TextArray& array, const Text& text);
