// The news fetch against real HTTP servers on 127.0.0.1 (each on a free port, served from a
// thread of this test): well-formed, split, slow, silent, huge and broken pages, a name that
// does not resolve and a refused port. The cases run side by side, each with its own buffers,
// so the whole takes as long as the slowest (about 15 s). Then the worker: two sources due
// together, and the shutdown in the middle of a fetch.
#include <winsock.h>

#include "news/win32/fetch_news.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "news/news_jobs.h"
#include "overlay/overlay_step.h"
#include "tests/win32/main_window_fixture.h"

namespace {

// One connection served as a list of pieces sent gapMs apart, then held open holdMs (a stop
// event cuts both short), then closed.
struct Server {
    std::vector<std::string> pieces;
    DWORD gapMs = 0;
    DWORD holdMs = 0;
    bool closeAtOnce = false;

    SOCKET listener = INVALID_SOCKET;
    unsigned short port = 0;
    HANDLE thread = nullptr;
    HANDLE quit = nullptr;
    std::string request = {};
    volatile DWORD acceptedAt = 0;
    volatile bool peerClosed =
        false;  // the client closed first while the server held the connection

    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }

    // Waits (up to 10 s) until the client has connected.
    bool WaitAccepted() const {
        for (int i = 0; i < 1000 && !acceptedAt; ++i) Sleep(10);
        return acceptedAt != 0;
    }
    // Waits (up to 2 s) until the client has closed the connection the server holds.
    bool WaitPeerClosed() const {
        for (int i = 0; i < 200 && !peerClosed; ++i) Sleep(10);
        return peerClosed;
    }

    void Start() {
        WSADATA d;
        WSAStartup(MAKEWORD(1, 1), &d);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        int size = sizeof a;
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        listen(listener, 1);
        quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }

    void Stop() {
        SetEvent(quit);
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        CloseHandle(quit);
        closesocket(listener);
        WSACleanup();
    }

    static DWORD WINAPI Run(void* p) {
        static_cast<Server*>(p)->Serve();
        return 0;
    }

    bool Readable(SOCKET s, DWORD ms) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(s, &r);
        timeval t = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
        return select(0, &r, nullptr, nullptr, &t) > 0;
    }

    void Serve() {
        const DWORD limit = GetTickCount() + 30000;
        while (!Readable(listener, 50)) {
            if (WaitForSingleObject(quit, 0) == WAIT_OBJECT_0 || GetTickCount() > limit) return;
        }
        SOCKET c = accept(listener, nullptr, nullptr);
        acceptedAt = GetTickCount();
        if (closeAtOnce) {
            closesocket(c);
            return;
        }
        char ch;
        while (request.size() < 1000 && Readable(c, 2000) && recv(c, &ch, 1, 0) == 1) {
            request += ch;
            if (ch == '\n') break;
        }
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (i > 0 && WaitForSingleObject(quit, gapMs) == WAIT_OBJECT_0) break;
            send(c, pieces[i].data(), static_cast<int>(pieces[i].size()), 0);
        }
        // Held open; a close from the other side shows as readable with nothing to read.
        const DWORD end = GetTickCount() + holdMs;
        while (WaitForSingleObject(quit, 0) == WAIT_TIMEOUT && GetTickCount() < end) {
            if (Readable(c, 50)) {
                peerClosed = recv(c, &ch, 1, 0) <= 0;
                if (peerClosed) break;
            }
        }
        closesocket(c);
    }
};

// "ニュース" and "速報" in EUC-JP and in Shift-JIS.
const std::string kEucNews = "\xA5\xCB\xA5\xE5\xA1\xBC\xA5\xB9";
const std::string kSjisNews = "\x83\x6A\x83\x85\x81\x5B\x83\x58";
const std::string kEucFlash = "\xC2\xAE\xCA\xF3";
const std::string kSjisFlash = "\x91\xAC\x95\xF1";

std::string Link(int n, const std::string& text) {
    return "<a href=\"http://h/n?a=" + std::to_string(n) + "\">" + text + "</a>\n";
}

const std::string kPage = "<html><a href=\"http://h/n?a=0\">before</a><!-- S -->\n" +
                          Link(1, kEucNews) + Link(2, "<img src=x.gif>") + Link(3, "ad ]") +
                          Link(4, kEucFlash + " 2") + "</html>\n";

struct Case {
    const char* name;
    Server server;
    std::string host;  // empty: the server's
    int result;
    std::vector<std::string> kept;
    DWORD minMs, maxMs;  // bounds of the fetch's duration

    // Filled by the run.
    int got = -1;
    int count = 0;
    DWORD took = 0;
    bool guardIntact = true;
    HANDLE thread = nullptr;
    std::vector<char> page = {};
    char slots[kNewsSlots][kHeadlineSize] = {};
};

constexpr size_t kGuard = 64;

DWORD WINAPI RunCase(void* p) {
    Case& c = *static_cast<Case*>(p);
    NewsSource source = {};
    std::strcpy(source.html, (c.host.empty() ? c.server.Host() : c.host).c_str());
    std::strcpy(source.file, "http://h/news/index.html");
    std::strcpy(source.ignore, "<!-- S -->");
    std::strcpy(source.tag, "/n?a=");
    std::strcpy(source.reject, "]");
    c.page.assign(kPageSize + kGuard, '\x5A');
    const FetchTarget target = {c.page.data(), c.slots, &c.count, nullptr};
    const DWORD start = GetTickCount();
    c.got = FetchNewsInto(source, target);
    c.took = GetTickCount() - start;
    for (size_t i = kPageSize; i < c.page.size(); ++i) c.guardIntact &= c.page[i] == '\x5A';
    return 0;
}

TEST(NewsFetch, EachServerGivesItsResultWithinItsBound) {
    std::string garbage;
    for (int i = 0; i < 6000; ++i) garbage += static_cast<char>((i * 7919 + 13) % 253 + 1);
    std::string huge = "<!-- S -->" + Link(1, "a") + Link(2, "b");
    huge += std::string(1 << 20, 'x') + Link(3, "c") + "</html>";

    Case cases[] = {
        {"good page", {{kPage}}, "", 0, {kSjisNews, kSjisFlash + " 2"}, 0, 3000},
        // "</html>" split over two sends does not end the receive; whole in one chunk it does.
        {"split closing tag",
         {{"<!-- S -->" + Link(1, "one") + "</ht", "ml>" + Link(2, "two"),
           Link(3, "three") + "</html>", Link(4, "late")},
          400,
          8000},
         "",
         0,
         {"one", "two", "three"},
         700,
         4000},
        {"status line and headers",
         {{"HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=EUC-JP\r\n\r\n" + kPage}},
         "",
         0,
         {kSjisNews, kSjisFlash + " 2"},
         0,
         3000},
        {"closes at once", {{}, 0, 0, true}, "", 6, {}, 0, 3000},
        {"silent for ten seconds", {{}, 0, 10000}, "", 6, {}, 4500, 9000},
        {"a byte every four seconds",
         {{"<", "!", "-", "-", " ", "S"}, 4000, 0},
         "",
         6,
         {},
         14000,
         15000},
        {"a page of 1 MB", {{huge}}, "", 0, {"a", "b"}, 0, 5000},
        {"broken EUC-JP after the headlines",
         {{"<!-- S -->" + Link(1, "ok") + "\xFF\x80\x8E" + garbage}},
         "",
         0,
         {"ok"},
         0,
         3000},
        {"binary garbage", {{garbage + std::string(1, '\0') + kPage}}, "", 6, {}, 0, 3000},
        {"host that does not resolve", {}, "256.1.1.1", 3, {}, 0, 15000},
    };
    // A port that was free a moment ago refuses the connection.
    Server refused;
    refused.Start();
    const std::string refusedHost = refused.Host();
    refused.Stop();
    Case refusedCase = {"refused port", {}, refusedHost, 4, {}, 0, 5000};

    std::vector<Case*> all;
    for (Case& c : cases) all.push_back(&c);
    all.push_back(&refusedCase);
    for (Case* c : all) {
        if (c->host.empty()) c->server.Start();
        c->thread = CreateThread(nullptr, 0, RunCase, c, 0, nullptr);
    }
    for (Case* c : all) {
        WaitForSingleObject(c->thread, 60000);
        CloseHandle(c->thread);
        if (c->host.empty()) c->server.Stop();
    }
    for (Case* c : all) {
        std::printf("%-36s result %d after %lu ms\n", c->name, c->got, c->took);
        SCOPED_TRACE(c->name);
        EXPECT_EQ(c->got, c->result);
        EXPECT_TRUE(c->guardIntact);
        EXPECT_GE(c->took, c->minMs);
        EXPECT_LE(c->took, c->maxMs);
        ASSERT_EQ(c->count, static_cast<int>(c->kept.size()));
        for (int i = 0; i < c->count; ++i) EXPECT_EQ(c->slots[i], c->kept[i]) << i;
        if (c->host.empty() && !c->server.closeAtOnce) {
            EXPECT_EQ(c->server.request, "GET http://h/news/index.html\n");
        }
    }
}

TEST(NewsFetch, AStopEndsAFetchAtOnce) {
    Server silent;
    silent.holdMs = 20000;
    silent.Start();
    NewsSource source = {};
    std::strcpy(source.html, silent.Host().c_str());
    static char page[kPageSize];
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    volatile LONG stop = 0;
    const FetchTarget target = {page, slots, &count, &stop};
    struct Args {
        const NewsSource* source;
        const FetchTarget* target;
        int result;
    } args = {&source, &target, -1};
    HANDLE t = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            Args& a = *static_cast<Args*>(p);
            a.result = FetchNewsInto(*a.source, *a.target);
            return 0;
        },
        &args, 0, nullptr);
    EXPECT_TRUE(silent.WaitAccepted());
    Sleep(300);
    const DWORD start = GetTickCount();
    InterlockedExchange(&stop, 1);
    EXPECT_EQ(WaitForSingleObject(t, 1000), WAIT_OBJECT_0);
    EXPECT_LE(GetTickCount() - start, 500u);
    CloseHandle(t);
    EXPECT_TRUE(silent.WaitPeerClosed());  // the fetch has ended and closed its socket
    silent.Stop();
}

// The worker, through the overlay's schedule, and the shutdown during a fetch.
class NewsWorker : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ResetSettings();
        ResetOverlay();
        for (int& s : config.SHOW) s = 0;
    }
    static void Point(int source, const Server& s) {
        std::strcpy(config.NI[source].html, s.Host().c_str());
        std::strcpy(config.NI[source].ignore, "<!-- S -->");
        std::strcpy(config.NI[source].tag, "/n?a=");
    }
    static bool WaitPhase(int source, int phase, DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        while (newsJobs[source].phase.load() != phase) {
            if (GetTickCount() > end) return false;
            Sleep(10);
        }
        return true;
    }
};

TEST_F(NewsWorker, DueTogetherSourceTwoIsFetchedFirstThenShutdownStopsAFetch) {
    Server one, two;
    one.pieces = {"<!-- S -->" + Link(1, "from one") + "</html>"};
    two.pieces = {"<!-- S -->" + Link(1, "from two") + "</html>"};
    one.Start();
    two.Start();
    Point(0, one);
    Point(1, two);
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    ASSERT_TRUE(StepNewsLines(0.01f));
    RunNewsJobs();
    EXPECT_TRUE(WaitPhase(0, kJobDone, 10000));
    EXPECT_TRUE(WaitPhase(1, kJobDone, 10000));
    one.Stop();
    two.Stop();
    EXPECT_LE(two.acceptedAt, one.acceptedAt);
    StepNewsLines(0.01f);
    EXPECT_STREQ(overlayLines[SLOT_NEWS1].text, "from one");
    EXPECT_STREQ(overlayLines[SLOT_NEWS2].text, "from two");

    // Keypad point: both again at once; source 1 hangs on a silent server, and the shutdown
    // does not wait for it.
    Server silent;
    silent.holdMs = 20000;
    silent.Start();
    Point(0, silent);
    config.SHOW[SLOT_NEWS2] = 0;
    HandleKey(kKeyDecimal);
    EXPECT_TRUE(StepNewsLines(0.01f));
    RunNewsJobs();
    EXPECT_TRUE(WaitPhase(0, kJobRunning, 5000));
    EXPECT_TRUE(silent.WaitAccepted());
    const DWORD start = GetTickCount();
    Shutdown();
    const DWORD took = GetTickCount() - start;
    std::printf("Shutdown during a fetch: %lu ms\n", took);
    EXPECT_LE(took, 500u);
    EXPECT_TRUE(silent.WaitPeerClosed());  // the fetch has ended and closed its socket
    silent.Stop();
}

}  // namespace
