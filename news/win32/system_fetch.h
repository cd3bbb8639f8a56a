#pragma once
// The fetch of an http:// or https:// URL with the system's HTTP client (WinHTTP): HTTP/1.1,
// TLS checked against the system's certificate store, the user's proxy, redirects.
#include <windows.h>

#include <cstddef>

#include "news/news_url.h"

// Redirects followed before a fetch gives up with kNewsNoStartMarker.
constexpr int kMaxRedirects = 5;

// When a fetch must end: its start (GetTickCount), its length in ms, and a flag that ends it
// early when it becomes non-zero (may be null).
struct FetchClock {
    DWORD start;
    DWORD limitMs;
    const volatile LONG* stop;
    bool Over() const { return (stop && *stop) || GetTickCount() - start >= limitMs; }
    DWORD Left() const;  // ms before the limit, at least 1
};

// What a fetch received: the page (kPageSize bytes, its first kPageSize - 1 kept and a NUL after
// them, the rest read and dropped), its length, and the Content-Type header (empty without one).
struct ReceivedPage {
    char* page;
    size_t length;
    char contentType[256];
};

// Fetches url. Results: kNewsOk with the page; kNewsNoHost (the name is not found),
// kNewsNoConnection (connection, TLS, certificate or proxy failure), kNewsNotSent (the request
// could not be sent), kNewsNoStartMarker (a status other than 2xx, more than kMaxRedirects
// redirects, or a redirect to something that is not an http(s) URL), kNewsPollFailed (the time
// ran out before the response came). Time running out while the body arrives ends the page
// there, as a closing peer would.
int SystemFetch(const NewsUrl& url, const FetchClock& clock, ReceivedPage* received);
