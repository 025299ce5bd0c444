// One HTTP or HTTPS request, synchronous, returning the body as GBK Text.
#pragma once

#include "text/text.h"

// By-reference parameters are pointers; a null pointer is an omitted one.
// `cookies` and `proxy` count as supplied when non-null, even when empty.
// Returns the body (converted from UTF-8 when it declares UTF-8) up to its
// first NUL byte; the empty Text when a handle cannot be opened.
Text WebAccess(const Text& url, int method = 0, const Text& formData = {}, Text* cookies = nullptr,
               Text* returnedCookies = nullptr, Text* extraHeaders = nullptr, Text* location = nullptr,
               bool noRedirect = false, ByteString* formBytes = nullptr, const Text* proxy = nullptr,
               Text* rawHeaders = nullptr);
