// The news fetch. Its steps and results are those of a plain blocking fetch; what differs is
// where it waits: it runs on its own worker thread, the socket does not block, and every wait is
// cut into slices of at most 100 ms that look at a stop flag and at the fetch's time limit, so
// that neither a silent server nor a slow name service holds anything up.
#include <winsock.h>

#include "news/win32/fetch_news.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "news/news_jobs.h"
#include "news/news_url.h"
#include "news/win32/page_headlines.h"
#include "news/win32/system_fetch.h"

namespace {

// Name lookups that a fetch gave up waiting for and that still run (a stuck name service): when
// there are this many, a fetch fails at once rather than leave one more behind.
constexpr LONG kMaxAbandonedLookups = 2;

char PageBuffer[kPageSize];  // one fetch at a time, so the worker's fetches share it

HANDLE worker = nullptr;
HANDLE wake = nullptr;
volatile LONG stopping = 0;
volatile LONG abandonedLookups = 0;

using Clock = FetchClock;

// ---- name lookup ------------------------------------------------------------------------------

// Shared by the fetch and its lookup thread; whichever lets go last frees it.
enum LookupState : LONG { kLookupRunning, kLookupFinished, kLookupAbandoned };

struct Lookup {
    volatile LONG refs;
    volatile LONG state;
    HANDLE done;
    char host[kSettingSize];
    in_addr address;
    bool found;
};

void Release(Lookup* l) {
    if (InterlockedDecrement(&l->refs) != 0) return;
    CloseHandle(l->done);
    delete l;
}

DWORD WINAPI LookupThread(void* param) {
    Lookup* l = static_cast<Lookup*>(param);
    WSADATA data;
    // Its own start of Winsock keeps it usable should the fetch have ended and cleaned up.
    if (WSAStartup(MAKEWORD(1, 1), &data) == 0) {
        const hostent* h = gethostbyname(l->host);
        if (h && h->h_addrtype == AF_INET && h->h_length == 4 && h->h_addr_list[0]) {
            std::memcpy(&l->address, h->h_addr_list[0], 4);
            l->found = true;
        }
        WSACleanup();
    }
    SetEvent(l->done);
    if (InterlockedCompareExchange(&l->state, kLookupFinished, kLookupRunning) == kLookupAbandoned)
        InterlockedDecrement(&abandonedLookups);
    Release(l);
    return 0;
}

// gethostbyname cannot be interrupted, so it runs on a thread of its own, and the fetch waits
// for it only while its clock allows.
bool LookUp(const char* host, in_addr* address, const Clock& clock) {
    if (abandonedLookups >= kMaxAbandonedLookups) return false;
    Lookup* l = new (std::nothrow) Lookup{};
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!l || !done) {
        delete l;
        if (done) CloseHandle(done);
        return false;
    }
    l->refs = 2;
    l->done = done;
    std::strcpy(l->host, host);  // host is shorter than kSettingSize
    HANDLE thread = CreateThread(nullptr, 0, LookupThread, l, 0, nullptr);
    if (!thread) {
        CloseHandle(done);
        delete l;
        return false;
    }
    CloseHandle(thread);
    bool found = false;
    for (;;) {
        if (WaitForSingleObject(l->done, 50) == WAIT_OBJECT_0) {
            found = l->found;
            *address = l->address;
            break;
        }
        if (clock.Over()) {
            if (InterlockedCompareExchange(&l->state, kLookupAbandoned, kLookupRunning) ==
                kLookupRunning)
                InterlockedIncrement(&abandonedLookups);
            break;
        }
    }
    Release(l);
    return found;
}

// ---- connection and receive -------------------------------------------------------------------

bool Connect(SOCKET s, const sockaddr_in& to, const Clock& clock) {
    if (connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    while (!clock.Over()) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval slice = {0, 50000};
        const int n = select(0, nullptr, &writable, &failed, &slice);
        if (n == SOCKET_ERROR || FD_ISSET(s, &failed)) return false;
        if (FD_ISSET(s, &writable)) {
            int error = 0;
            int size = sizeof error;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
            return error == 0;
        }
    }
    return false;
}

// Up to 100 ms for the socket to become readable: 1 readable (data, or the peer's close), 0 not
// yet, -1 error.
int WaitReadable(SOCKET s) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval slice = {0, 100000};
    const int n = select(0, &readable, nullptr, nullptr, &slice);
    return n == SOCKET_ERROR ? -1 : n > 0 ? 1 : 0;
}

// Steps 3 to 9 of the fetch, between the start and the clean-up of Winsock.
int FetchPage(const NewsSource& source, char* page, size_t* pageLength, const Clock& clock) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return kNewsNoSocket;
    // Every wait below relies on a socket that never blocks.
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return kNewsNoSocket;
    }

    char host[kSettingSize];
    unsigned short port = kHttpPort;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    if (!SplitHostPort(source.html, host, sizeof host, &port) ||
        !LookUp(host, &to.sin_addr, clock)) {
        closesocket(s);
        return kNewsNoHost;
    }
    to.sin_port = htons(port);
    if (!Connect(s, to, clock)) {
        closesocket(s);
        return kNewsNoConnection;
    }

    // The one-line request of early HTTP: no version, no header lines.
    char request[kSettingSize + 8];
    const int length = std::snprintf(request, sizeof request, "GET %s\n", source.file);
    if (send(s, request, length, 0) == SOCKET_ERROR) {
        closesocket(s);
        return kNewsNotSent;
    }

    PageReceive r;
    BeginPage(r, page);
    char chunk[kChunkSize + 1];
    while (!clock.Over()) {
        u_long waiting = 0;
        if (ioctlsocket(s, FIONREAD, &waiting) != 0) {
            closesocket(s);
            return kNewsPollFailed;
        }
        if (waiting == 0) {
            // A poll of 100 ms that also wakes when data come or the peer closes.
            const int ready = WaitReadable(s);
            if (ready < 0) break;
            if (ready == 0) {
                if (AddIdlePoll(r)) break;
                continue;
            }
            if (ioctlsocket(s, FIONREAD, &waiting) != 0) {
                closesocket(s);
                return kNewsPollFailed;
            }
            // Readable with nothing waiting: the peer has closed, and the receive says so.
            if (waiting == 0) waiting = 1;
        }
        const int want = waiting < kChunkSize ? static_cast<int>(waiting) : kChunkSize;
        const int n = recv(s, chunk, want, 0);
        if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            if (AddIdlePoll(r)) break;
            continue;
        }
        if (n <= 0) break;  // the peer closed, or an error: the page ends here
        if (AddChunk(r, chunk, static_cast<size_t>(n))) break;
    }
    closesocket(s);
    *pageLength = r.length;
    return kNewsOk;
}

// ---- the worker -------------------------------------------------------------------------------

DWORD WINAPI Worker(void*) {
    while (!stopping) {
        WaitForSingleObject(wake, INFINITE);
        int source;
        while (!stopping && (source = TakeNewsJob()) >= 0) {
            NewsJob& job = newsJobs[source];
            FinishNewsJob(source, FetchNews(source, job.source));
        }
    }
    return 0;
}

}  // namespace

int FetchNewsInto(const NewsSource& source, const FetchTarget& target) {
    const Clock clock = {GetTickCount(), kFetchLimitMs, target.stop};
    *target.count = 0;
    ReceivedPage received = {target.page, 0, ""};
    int result;
    NewsUrl url;
    if (ChooseRequestForm(source) == kSystemClient && ParseNewsUrl(source.file, &url)) {
        result = SystemFetch(url, clock, &received);
    } else {
        WSADATA data;
        if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return kNewsNoWinsock;
        result = FetchPage(source, target.page, &received.length, clock);
        // Each start is matched by a clean-up, so nothing of Winsock outlives the fetch.
        WSACleanup();
    }
    if (result != kNewsOk) return result;
    return PageHeadlines(received.page, received.length, received.contentType, source,
                         target.headlines, target.count);
}

int FetchNews(int index, NewsSource source) {
    NewsJob& job = newsJobs[index];
    const FetchTarget target = {PageBuffer, job.headlines, &job.count, &stopping};
    return FetchNewsInto(source, target);
}

void RunNewsJobs() {
    if (stopping) return;
    if (!worker) {
        if (!wake) wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (wake) worker = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
        if (!worker) {
            // No thread to fetch on: the wanted fetches fail as if Winsock had not started, and
            // are tried again after their interval.
            int source;
            while ((source = TakeNewsJob()) >= 0) FinishNewsJob(source, kNewsNoWinsock);
            return;
        }
    }
    SetEvent(wake);
}

void StopNewsFetch() {
    InterlockedExchange(&stopping, 1);
    if (!worker) return;
    SetEvent(wake);
    if (WaitForSingleObject(worker, kStopWaitMs) != WAIT_OBJECT_0) return;  // ends with the process
    CloseHandle(worker);
    CloseHandle(wake);
    worker = nullptr;
    wake = nullptr;
    InterlockedExchange(&stopping, 0);
}
