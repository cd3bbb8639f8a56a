#pragma once
// A one-connection HTTP server on 127.0.0.1 (a free port) and a news fetch, each on a thread of
// the test.
#include <gtest/gtest.h>
#include <winsock.h>

#include <string>
#include <vector>

#include "news/win32/fetch_news.h"

// One connection: reads the request line, waits while held is set, sends the pieces gapMs apart,
// holds the connection open holdMs and closes it; a close from the client or a stop ends it
// sooner. served is set once it has closed the connection.
struct Server {
    std::vector<std::string> pieces;
    DWORD gapMs = 0, holdMs = 0;
    SOCKET listener = INVALID_SOCKET, c = INVALID_SOCKET;
    HANDLE thread = nullptr;
    std::string host = {}, request = {};
    volatile bool accepted = false, peerClosed = false, quit = false, held = false, served = false;

    static bool Poll(const volatile bool& done, DWORD ms) {
        for (const DWORD start = GetTickCount(); !done && GetTickCount() - start < ms;) Sleep(10);
        return done;
    }
    static bool Readable(SOCKET s, long ms) {
        fd_set r = {1, {s}};
        timeval t = {ms / 1000, ms % 1000 * 1000};
        return select(0, &r, nullptr, nullptr, &t) > 0;
    }
    void Start() {
        WSADATA d;
        WSAStartup(MAKEWORD(1, 1), &d);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {AF_INET, 0, {}, {}};
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof a;
        ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), size), 0);
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        host = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        listen(listener, 1);
        auto serve = [](void* p) -> DWORD {
            static_cast<Server*>(p)->Serve();
            return 0;
        };
        thread = CreateThread(nullptr, 0, serve, this, 0, nullptr);
    }
    void Stop() {
        quit = true;
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        closesocket(listener);
        WSACleanup();
    }
    void Serve() {
        for (const DWORD start = GetTickCount(); !Readable(listener, 50);)
            if (quit || GetTickCount() - start > 30000) return;
        c = accept(listener, nullptr, nullptr);
        accepted = true;
        char ch = 0;
        while (ch != '\n' && request.size() < 1000 && Readable(c, 2000) && recv(c, &ch, 1, 0) == 1)
            request += ch;
        while (held && !quit) Sleep(10);
        const DWORD start = GetTickCount(), end = pieces.size() * gapMs + holdMs;
        for (size_t sent = 0; !quit;) {
            const DWORD t = GetTickCount() - start;
            if (sent < pieces.size() && t >= sent * gapMs) {
                send(c, pieces[sent].data(), int(pieces[sent].size()), 0);
                ++sent;
            } else if (sent == pieces.size() && t >= end) {
                break;
            } else if (Readable(c, 50) && recv(c, &ch, 1, 0) <= 0) {
                peerClosed = true;  // readable with nothing to read: the client has closed
                break;
            }
        }
        closesocket(c);
        served = true;
    }
};

// FetchNewsInto on a thread: Start, then Wait for result, count and slots. The page buffer has
// 64 guard bytes 'Z' after its kPageSize.
struct Fetch {
    const char* name = "";
    NewsSource source = {};
    int result = -1, count = 0;
    std::vector<char> page = std::vector<char>(kPageSize + 64, 'Z');
    char slots[kNewsSlots][kHeadlineSize] = {};
    HANDLE thread = nullptr;

    void Start() {
        auto run = [](void* p) -> DWORD {
            Fetch& f = *static_cast<Fetch*>(p);
            const FetchTarget target = {f.page.data(), f.slots, &f.count, nullptr};
            f.result = FetchNewsInto(f.source, target);
            return 0;
        };
        thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    void Wait() {
        WaitForSingleObject(thread, 60000);
        CloseHandle(thread);
    }
};
