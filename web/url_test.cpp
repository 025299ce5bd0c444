#include "web/url.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
  Text url;
  Text host;
  Text hostWithPort;
  Text mainDomain;
  int port;
  Text path;
};

const UrlCase kUrls[] = {
    {"HTTP://Srv.A.B/Rank/q.php?x=1", "srv.a.b", "srv.a.b", "a.b", 80, "/Rank/q.php?x=1"},
    {"https://srv.a.b:8443/x", "srv.a.b", "srv.a.b:8443", "a.b", 8443, "/x"},
    {"srv.a.b/x", "srv.a.b", "srv.a.b", "a.b", 80, "/x"},
    {"10.0.0.5:8080/api", "10.0.0.5", "10.0.0.5:8080", "0.5", 8080, "/api"},
    {"http://srv", "srv", "srv", "srv", 80, "/"},
    {"Https://Srv", "srv", "srv", "srv", 443, "/"},
    {"httpsbox/x", "httpsbox", "httpsbox", "httpsbox", 443, "/x"},
    {"http://srv:/x", "srv", "srv:", "srv", 0, "/x"},
    {"http://srv:8080", "srv", "srv:8080", "srv", 8080, "/"},
    {"http://srv?q=1", "srv?q=1", "srv?q=1", "srv?q=1", 80, "/"},
    {"srv/go?to=http://other/", "other", "other", "other", 80, "/"},
    {"", "", "", "", 80, "/"},
    {"http://a.b.c.d.e/", "a.b.c.d.e", "a.b.c.d.e", "d.e", 80, "/"},
    {"http://ttp/x", "ttp", "ttp", "ttp", 80, "//ttp/x"},
    {"HTTPS://Rank.Example.NET/rank/rank.php", "rank.example.net", "rank.example.net", "example.net", 443,
     "/rank/rank.php"},
    {"127.0.0.1:8080/rank/rank.php", "127.0.0.1", "127.0.0.1:8080", "0.1", 8080, "/rank/rank.php"},
};

TEST(Url, DecomposesTheWorkedUrls) {
  for (const UrlCase& c : kUrls) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(UrlGetHost(c.url), c.host);
    EXPECT_EQ(UrlGetHost(c.url, false, true), c.hostWithPort);
    EXPECT_EQ(UrlGetHost(c.url, true, false), c.mainDomain);
    EXPECT_EQ(UrlGetPort(c.url), c.port);
    EXPECT_EQ(UrlGetPath(c.url), c.path);
  }
}

TEST(Url, MainDomainKeepsAnAttachedPortWhenAsked) {
  EXPECT_EQ(UrlGetHost("https://srv.a.b:8443/x", true, true), "a.b:8443");
  EXPECT_EQ(UrlGetHost("http://srv.a.b:81/", true, false), "a.b");
}

}  // namespace
