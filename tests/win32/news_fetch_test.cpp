// The news fetch against real HTTP servers on 127.0.0.1 (each on a free port, served from a
// thread of this test, all side by side), and the fetch worker with a shutdown during a fetch.
#include <cstring>

#include "local_fetch.h"
#include "main_window_fixture.h"
#include "news/news_jobs.h"

namespace {

std::string Link(int n, const std::string& text) {
    return "<a href=\"http://h/n?a=" + std::to_string(n) + "\">" + text + "</a>\n";
}

NewsSource Source(const std::string& host) {
    NewsSource s = {};
    std::strcpy(s.html, host.c_str());
    std::strcpy(s.file, "http://h/news/index.html");
    std::strcpy(s.ignore, "<!-- S -->");
    std::strcpy(s.tag, "/n?a=");
    std::strcpy(s.reject, "]");
    return s;
}

struct Case {
    const char* name;
    int result;
    std::vector<std::string> kept;
    Server server;
    Fetch fetch = {};
};

TEST(NewsFetch, EachServerGivesItsResult) {
    // "ニュース" and "速報" in EUC-JP; the saver keeps Shift-JIS.
    const std::string page = "<html><a href=\"http://h/n?a=0\">before</a><!-- S -->\n" +
                             Link(1, "\xA5\xCB\xA5\xE5\xA1\xBC\xA5\xB9") +
                             Link(2, "<img src=x.gif>") + Link(3, "ad ]") +
                             Link(4, "\xC2\xAE\xCA\xF3 2") + "</html>\n";
    const std::vector<std::string> split = {"<!-- S -->" + Link(1, "one") + "</ht",
                                            "ml>" + Link(2, "two"), Link(3, "three") + "</html>",
                                            Link(4, "late")};
    const std::vector<std::string> trickle = {"<!-- S -->", " ", " ", " ", page};
    const std::string flash = "\x91\xAC\x95\xF1 2", megabyte(1 << 20, 'x');
    Case cases[] = {
        {"good page", kNewsOk, {"\x83\x6A\x83\x85\x81\x5B\x83\x58", flash}, {{page}}},
        // "</html>" split over two sends does not end the receive; whole in one chunk it does.
        {"ends on its closing tag", kNewsOk, {"one", "two", "three"}, {split, 400, 8000}},
        {"silent for 9 s: 5 s without data end it", kNewsNoStartMarker, {}, {{"", page}, 9000}},
        {"a byte every 4 s: the limit ends it", kNewsOk, {}, {trickle, 4000}},
        {"a page of 1 MB", kNewsOk, {"a"}, {{"<!-- S -->" + Link(1, "a") + megabyte}}},
        {"refused port", kNewsNoConnection, {}, {}},  // a port that was free a moment ago
    };
    for (Case& c : cases) {
        c.server.Start();
        if (c.result == kNewsNoConnection) c.server.Stop();
        c.fetch.source = Source(c.server.host);
        c.fetch.Start();
    }
    for (Case& c : cases) {
        c.fetch.Wait();
        if (c.result != kNewsNoConnection) c.server.Stop();
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.fetch.result, c.result);
        const std::vector<char>& page = c.fetch.page;
        EXPECT_EQ(std::string(page.begin() + kPageSize, page.end()), std::string(64, 'Z'));
        ASSERT_EQ(c.fetch.count, static_cast<int>(c.kept.size()));
        for (int i = 0; i < c.fetch.count; ++i) EXPECT_EQ(c.fetch.slots[i], c.kept[i]) << i;
        const bool connects = c.result != kNewsNoConnection;
        EXPECT_EQ(c.server.request, connects ? "GET http://h/news/index.html\n" : "");
    }
    // Each fetch, failed or not, has cleaned up the Winsock it started.
    EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
}

using NewsWorker = MainWindowTest;

TEST_F(NewsWorker, AShutdownEndsAFetchUnderWayAtOnce) {
    Server silent;
    silent.holdMs = 20000;
    silent.Start();
    config.NI[0] = Source(silent.host);
    config.SHOW[SLOT_NEWS1] = 1;
    ASSERT_TRUE(StepNewsLines(0.01f));
    RunNewsJobs();
    ASSERT_TRUE(Server::Poll(silent.accepted, 10000));
    Shutdown();
    EXPECT_TRUE(Server::Poll(silent.peerClosed, 3000));  // the fetch has closed its socket
    silent.Stop();
}

}  // namespace
