// The news fetch against real HTTP servers on 127.0.0.1 (each on a free port, served from a
// thread of this test), run side by side: a good page, one that ends on its closing tag, silent
// and slow servers, a huge page, broken text, a name that does not resolve and a refused port.
// Then a stop during a fetch, and the worker with the shutdown in the middle of a fetch.
#include <winsock.h>

#include "news/win32/fetch_news.h"

#include <cstdio>
#include <cstring>

#include "main_window_fixture.h"
#include "news/news_jobs.h"
#include "shell/handle_key.h"

namespace {

// One connection: reads the request line, sends the pieces gapMs apart, holds the connection
// open holdMs and closes it; a close from the client or a stop ends it sooner.
struct Server {
    std::vector<std::string> pieces;
    DWORD gapMs = 0, holdMs = 0;
    SOCKET listener = INVALID_SOCKET;
    unsigned short port = 0;
    HANDLE thread = nullptr, quit = nullptr;
    std::string request = {};
    volatile DWORD acceptedAt = 0;
    volatile bool accepted = false, peerClosed = false;

    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
    static bool Poll(const volatile bool& done, DWORD ms) {
        for (const DWORD start = GetTickCount(); !done && GetTickCount() - start < ms;) Sleep(10);
        return done;
    }
    void Start() {
        WSADATA d;
        WSAStartup(MAKEWORD(1, 1), &d);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        int size = sizeof a;
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        port = ntohs(a.sin_port);
        listen(listener, 1);
        quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        auto serve = [](void* p) -> DWORD { return static_cast<Server*>(p)->Serve(), 0; };
        thread = CreateThread(nullptr, 0, serve, this, 0, nullptr);
    }
    void Stop() {
        SetEvent(quit);
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        CloseHandle(quit);
        closesocket(listener);
        WSACleanup();
    }
    static bool Readable(SOCKET s, DWORD ms) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(s, &r);
        timeval t = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
        return select(0, &r, nullptr, nullptr, &t) > 0;
    }
    bool Quit() { return WaitForSingleObject(quit, 0) == WAIT_OBJECT_0; }
    void Serve() {
        for (const DWORD start = GetTickCount(); !Readable(listener, 50);)
            if (Quit() || GetTickCount() - start > 30000) return;
        SOCKET c = accept(listener, nullptr, nullptr);
        acceptedAt = GetTickCount();
        accepted = true;
        char ch;
        while (request.size() < 1000 && Readable(c, 2000) && recv(c, &ch, 1, 0) == 1) {
            request += ch;
            if (ch == '\n') break;
        }
        const DWORD start = GetTickCount();
        const DWORD end = (pieces.empty() ? 0 : (pieces.size() - 1) * gapMs) + holdMs;
        for (size_t sent = 0; !Quit();) {
            const DWORD t = GetTickCount() - start;
            if (sent < pieces.size() && t >= sent * gapMs) {
                send(c, pieces[sent].data(), static_cast<int>(pieces[sent].size()), 0);
                ++sent;
            } else if (sent == pieces.size() && t >= end) {
                break;
            } else if (Readable(c, 50) && recv(c, &ch, 1, 0) <= 0) {
                peerClosed = true;  // readable with nothing to read: the client has closed
                break;
            }
        }
        closesocket(c);
    }
};

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
    Server server;
    std::string host;  // empty: the server's
    int result;
    std::vector<std::string> kept;
    // Filled by the run.
    int got = -1, count = 0;
    DWORD took = 0;
    std::vector<char> page = std::vector<char>(kPageSize + 64, '\x5A');  // 64 guard bytes
    char slots[kNewsSlots][kHeadlineSize] = {};
    HANDLE thread = nullptr;
};

TEST(NewsFetch, EachServerGivesItsResult) {
    // "ニュース" and "速報" in EUC-JP; the saver keeps Shift-JIS.
    const std::string page = "<html><a href=\"http://h/n?a=0\">before</a><!-- S -->\n" +
                             Link(1, "\xA5\xCB\xA5\xE5\xA1\xBC\xA5\xB9") +
                             Link(2, "<img src=x.gif>") + Link(3, "ad ]") +
                             Link(4, "\xC2\xAE\xCA\xF3 2") + "</html>\n";
    const std::string marked = "<!-- S -->" + Link(1, "a") + Link(2, "b");
    std::string garbage;
    for (int i = 0; i < 6000; ++i) garbage += static_cast<char>((i * 7919 + 13) % 253 + 1);
    Server refused;  // a port that was free a moment ago refuses the connection
    refused.Start();
    refused.Stop();
    Case cases[] = {
        {"good page", {{page}}, "", 0, {"\x83\x6A\x83\x85\x81\x5B\x83\x58", "\x91\xAC\x95\xF1 2"}},
        // "</html>" split over two sends does not end the receive; whole in one chunk it does.
        {"ends on its closing tag",
         {{"<!-- S -->" + Link(1, "one") + "</ht", "ml>" + Link(2, "two"),
           Link(3, "three") + "</html>", Link(4, "late")},
          400,
          8000},
         "",
         0,
         {"one", "two", "three"}},
        {"closes at once", {}, "", 6, {}},
        {"silent for 9 s: 5 s without data end it", {{"", page}, 9000}, "", 6, {}},
        {"a byte every 4 s: the limit ends it",
         {{"<!-- S -->", " ", " ", " ", page}, 4000},
         "",
         0,
         {}},
        {"a page of 1 MB",
         {{marked + std::string(1 << 20, 'x') + Link(3, "c")}},
         "",
         0,
         {"a", "b"}},
        {"broken EUC-JP after the headlines",
         {{marked + "\xFF\x80\x8E" + garbage}},
         "",
         0,
         {"a", "b"}},
        {"host that does not resolve", {}, "256.1.1.1", 3, {}},
        {"refused port", {}, refused.Host(), 4, {}},
    };
    for (Case& c : cases) {
        if (c.host.empty()) c.server.Start();
        auto run = [](void* p) -> DWORD {
            Case& c = *static_cast<Case*>(p);
            const FetchTarget target = {c.page.data(), c.slots, &c.count, nullptr};
            const DWORD start = GetTickCount();
            c.got = FetchNewsInto(Source(c.host.empty() ? c.server.Host() : c.host), target);
            c.took = GetTickCount() - start;
            return 0;
        };
        c.thread = CreateThread(nullptr, 0, run, &c, 0, nullptr);
    }
    for (Case& c : cases) {
        WaitForSingleObject(c.thread, 60000);
        CloseHandle(c.thread);
        if (c.host.empty()) c.server.Stop();
        std::printf("%-42s result %d after %lu ms\n", c.name, c.got, c.took);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.got, c.result);
        EXPECT_EQ(std::string(c.page.begin() + kPageSize, c.page.end()), std::string(64, '\x5A'));
        ASSERT_EQ(c.count, static_cast<int>(c.kept.size()));
        for (int i = 0; i < c.count; ++i) EXPECT_EQ(c.slots[i], c.kept[i]) << i;
        if (c.host.empty()) {
            EXPECT_EQ(c.server.request, "GET http://h/news/index.html\n");
        }
    }
}

// The worker through the overlay's schedule, a stop during a fetch, the shutdown during another.
using NewsWorker = MainWindowTest;

TEST_F(NewsWorker, BothSourcesAreFetchedAndAStopOrTheShutdownEndsAFetchAtOnce) {
    Server one, two, slow;
    one.pieces = {"<!-- S -->" + Link(1, "from one") + "</html>"};
    two.pieces = {"<!-- S -->" + Link(1, "from two") + "</html>"};
    slow.pieces = std::vector<std::string>(30, " ");  // a byte a second keeps a fetch going
    slow.gapMs = 1000;
    for (Server* s : {&one, &two, &slow}) s->Start();
    config.NI[0] = Source(one.Host());
    config.NI[1] = Source(two.Host());
    config.SHOW[SLOT_NEWS1] = config.SHOW[SLOT_NEWS2] = 1;
    ASSERT_TRUE(StepNewsLines(0.01f));
    RunNewsJobs();
    for (int source : {0, 1}) {
        for (const DWORD start = GetTickCount();
             newsJobs[source].phase.load() != kJobDone && GetTickCount() - start < 10000;)
            Sleep(10);
    }
    StepNewsLines(0.01f);
    EXPECT_STREQ(overlayLines[SLOT_NEWS1].text, "from one");
    EXPECT_STREQ(overlayLines[SLOT_NEWS2].text, "from two");
    EXPECT_LE(two.acceptedAt, one.acceptedAt);  // due together, source two goes first

    // A stop flag ends a fetch from the slow server at once (it would go on for 14.5 s).
    static char page[kPageSize], slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    volatile LONG stop = 0;
    struct Args {
        NewsSource source;
        FetchTarget target;
    } args = {Source(slow.Host()), {page, slots, &count, &stop}};
    HANDLE t = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            Args& a = *static_cast<Args*>(p);
            return FetchNewsInto(a.source, a.target);
        },
        &args, 0, nullptr);
    ASSERT_TRUE(Server::Poll(slow.accepted, 10000));
    DWORD start = GetTickCount();
    InterlockedExchange(&stop, 1);
    EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
    std::printf("A stop during a fetch: %lu ms\n", GetTickCount() - start);
    CloseHandle(t);
    EXPECT_TRUE(Server::Poll(slow.peerClosed, 3000));

    // Keypad point: source 1 again, now from a server that holds on; the shutdown ends it too.
    Server silent;
    silent.holdMs = 20000;
    silent.Start();
    config.NI[0] = Source(silent.Host());
    config.SHOW[SLOT_NEWS2] = 0;
    HandleKey(kKeyDecimal);
    EXPECT_TRUE(StepNewsLines(0.01f));
    RunNewsJobs();
    ASSERT_TRUE(Server::Poll(silent.accepted, 10000));
    start = GetTickCount();
    Shutdown();
    std::printf("Shutdown during a fetch: %lu ms\n", GetTickCount() - start);
    EXPECT_TRUE(
        Server::Poll(silent.peerClosed, 3000));  // the fetch has ended and closed its socket
    for (Server* s : {&one, &two, &slow, &silent}) s->Stop();
}

}  // namespace
