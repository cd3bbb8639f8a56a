// Which request form a source gets, and the URLs the system's client is given.
#include <gtest/gtest.h>

#include <cstring>

#include "news/news_url.h"

namespace {

NewsSource Source(const char* host, const char* file) {
    NewsSource s = {};
    std::strcpy(s.html, host);
    std::strcpy(s.file, file);
    return s;
}

TEST(RequestForm, HttpWhoseOwnHostAndPortAreInTheHostFieldGoesThroughTheSystemClient) {
    EXPECT_EQ(ChooseRequestForm(Source("News.Test:8080", "HTTP://news.test:8080/rss")),
              kSystemClient);
    EXPECT_EQ(ChooseRequestForm(Source("news.test", "http://news.test:80/rss")), kSystemClient);
}

TEST(RequestForm, HttpWithAnotherHostOrPortInTheHostFieldKeepsTheOneLineRequest) {
    EXPECT_EQ(ChooseRequestForm(Source("127.0.0.1:8000", "http://news.test/rss")), kOneLineRequest);
    EXPECT_EQ(ChooseRequestForm(Source("news.test", "http://news.test:8080/rss")), kOneLineRequest);
}

TEST(NewsUrl, PortsAndPathsAreTakenApart) {
    NewsUrl url;
    ASSERT_TRUE(ParseNewsUrl("https://news.test:8443/a/feed?x=1#top", &url));
    EXPECT_TRUE(url.secure);
    EXPECT_STREQ(url.host, "news.test");
    EXPECT_EQ(url.port, 8443);
    EXPECT_STREQ(url.path, "/a/feed?x=1");
}

TEST(NewsUrl, TheSchemeGivesTheDefaultPortAndAMissingPathIsTheRoot) {
    NewsUrl url;
    ASSERT_TRUE(ParseNewsUrl("http://news.test?q", &url));
    EXPECT_FALSE(url.secure);
    EXPECT_EQ(url.port, 80);
    EXPECT_STREQ(url.path, "/?q");
}

TEST(NewsUrl, MalformedAddressesAreRefused) {
    NewsUrl url;
    EXPECT_FALSE(ParseNewsUrl("ftp://news.test/", &url));
    EXPECT_FALSE(ParseNewsUrl("http://user@news.test/", &url));
    EXPECT_FALSE(ParseNewsUrl("http://news.test:0/", &url));
    EXPECT_FALSE(ParseNewsUrl("http://news.test:65536/", &url));
}

TEST(Redirect, LocationsResolveAgainstThePageTheyCameFrom) {
    NewsUrl base, next;
    ASSERT_TRUE(ParseNewsUrl("https://news.test:8443/a/b/feed?x=1", &base));
    ASSERT_TRUE(ResolveLocation(base, "other.xml", &next));
    EXPECT_STREQ(next.path, "/a/b/other.xml");
    EXPECT_EQ(next.port, 8443);
    ASSERT_TRUE(ResolveLocation(base, "/top", &next));
    EXPECT_STREQ(next.path, "/top");
    ASSERT_TRUE(ResolveLocation(base, "//mirror.test/f", &next));
    EXPECT_STREQ(next.host, "mirror.test");
    EXPECT_TRUE(next.secure);
}

TEST(Redirect, ALocationOfAnotherSchemeIsRefused) {
    NewsUrl base, next;
    ASSERT_TRUE(ParseNewsUrl("http://news.test/", &base));
    EXPECT_FALSE(ResolveLocation(base, "javascript:alert(1)", &next));
}

}  // namespace
