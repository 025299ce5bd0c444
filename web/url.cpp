// The URL is cut as text: no parsing, no validation, no percent-decoding.
#include "web/url.h"

#include "text/extract.h"

Text UrlGetHost(const Text& url, bool mainDomainOnly, bool keepPort) {
  Text host = ToLowerCase(url);
  if (TextRight(host, 1) != "/") host += "/";
  if (TextLeft(host, 8) == "https://") {
    host = TextBetween(host, "https://", "/");
  } else {
    // Looks for "http://" anywhere, so a scheme-less URL that carries one in
    // its query yields the host written there.
    if (FindText(host, "http://") == -1) host = ConcatText("http://", host);
    host = TextBetween(host, "http://", "/");
  }
  if (mainDomainOnly) {
    const TextArray labels = SplitText(host, ".");
    const int count = labels.Count();
    if (count > 1) host = ConcatText(labels.Member(count - 1), ".", labels.Member(count));
  }
  if (keepPort) return host;
  const int colon = FindText(host, ":");
  return colon == -1 ? host : TextLeft(host, colon - 1);
}

int UrlGetPort(const Text& url) {
  const Text host = UrlGetHost(url, false, true);
  const int colon = FindTextReverse(host, ":");
  if (colon != -1) return ToInteger(TextRight(host, TextLength(host) - colon));
  return TextLeft(ToLowerCase(url), 5) == "https" ? 443 : 80;
}

Text UrlGetPath(const Text& url) {
  const Text host = UrlGetHost(url);
  // The slash is searched from where the host text first occurs in the URL.
  const int hostAt = FindText(url, host, 1, true);
  const int slash = FindText(url, "/", hostAt, true);
  if (slash > 0) return TextRight(url, TextLength(url) - slash + 1);
  return "/";
}
