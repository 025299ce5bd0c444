// Host, port and path of a URL, cut from its text alone.
#pragma once

#include "text/text.h"

// UrlGetHost("HTTP://Srv.A.B/Rank") gives "srv.a.b"; with keepPort the port as
// written follows; with mainDomainOnly only the last two labels remain.
Text UrlGetHost(const Text& url, bool mainDomainOnly = false, bool keepPort = false);
// The written port, else 443 for a URL starting "https" in any case, else 80.
int UrlGetPort(const Text& url);
// From the first "/" after the host to the end; "/" when there is none.
Text UrlGetPath(const Text& url);
