// WinHTTP in its synchronous form, on the fetch's own thread. Every call that can wait is given
// what is left of the fetch's time as its time-out, and the body is read in pieces with a look at
// the clock between them: closing a handle from another thread does not interrupt a blocked read
// everywhere, so nothing relies on that. One session serves every fetch of the process.
#include "news/win32/system_fetch.h"

#include <winhttp.h>

#include <cstring>
#include <string>

namespace {

// The user's proxy as WinHTTP wants it, read for every fetch (an automatic configuration script
// is not read); empty when none is named.
std::wstring UserProxy(std::wstring* bypass) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie = {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&ie)) return L"";
    std::wstring proxy = ie.lpszProxy ? ie.lpszProxy : L"";
    *bypass = ie.lpszProxyBypass ? ie.lpszProxyBypass : L"";
    if (ie.lpszAutoConfigUrl) GlobalFree(ie.lpszAutoConfigUrl);
    if (ie.lpszProxy) GlobalFree(ie.lpszProxy);
    if (ie.lpszProxyBypass) GlobalFree(ie.lpszProxyBypass);
    return proxy;
}

// The session for the user's current proxy setting. A session lives as long as the process and
// serves every fetch with the same setting (its connections are reused); Wine takes a proxy only
// from the session's opening, so a changed setting opens a new one (the old one is kept: a fetch
// on another thread may still use it).
HINTERNET Session() {
    static CRITICAL_SECTION lock;
    static volatile LONG ready = 0;
    static HINTERNET session = nullptr;
    static std::wstring* sessionProxy = nullptr;
    if (InterlockedCompareExchange(&ready, 1, 0) == 0) {
        InitializeCriticalSection(&lock);
        InterlockedExchange(&ready, 2);
    }
    while (ready != 2) Sleep(1);
    std::wstring bypass;
    const std::wstring proxy = UserProxy(&bypass);
    EnterCriticalSection(&lock);
    if (!session || !sessionProxy || *sessionProxy != proxy) {
        HINTERNET opened =
            proxy.empty()
                ? WinHttpOpen(L"KORAVEN/1.7", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0)
                : WinHttpOpen(L"KORAVEN/1.7", WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.c_str(),
                              bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : bypass.c_str(), 0);
        if (opened) {
            session = opened;
            if (!sessionProxy) sessionProxy = new std::wstring;
            *sessionProxy = proxy;
        }
    }
    HINTERNET current = session;
    LeaveCriticalSection(&lock);
    return current;
}

// The failure of a WinHTTP call as a fetch result; fallback for errors of no particular kind.
int ResultOf(DWORD error, int fallback) {
    switch (error) {
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return kNewsNoHost;
        case ERROR_WINHTTP_TIMEOUT: return kNewsPollFailed;
        case ERROR_WINHTTP_CANNOT_CONNECT:
        case ERROR_WINHTTP_CONNECTION_ERROR:
        case ERROR_WINHTTP_SECURE_FAILURE:
        case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
        case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        case ERROR_WINHTTP_SECURE_INVALID_CA:
        case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
        case ERROR_WINHTTP_SECURE_CERT_REVOKED:
        case ERROR_WINHTTP_SECURE_INVALID_CERT:
        case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
        case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
        case ERROR_WINHTTP_LOGIN_FAILURE: return kNewsNoConnection;
        case ERROR_WINHTTP_REDIRECT_FAILED:
        case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return kNewsNoStartMarker;
        default: return fallback;
    }
}

// A host or path of the settings, which are Shift-JIS, as WinHTTP's UTF-16.
bool Widen(const char* text, wchar_t* out, int capacity) {
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, -1, out, capacity) > 0;
}

// A header of the response as ASCII text (empty when absent or too long).
void QueryHeader(HINTERNET request, DWORD which, char* out, size_t capacity) {
    out[0] = '\0';
    wchar_t wide[512];
    DWORD size = sizeof wide;
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, wide, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return;
    if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, static_cast<int>(capacity), nullptr,
                            nullptr) <= 0)
        out[0] = '\0';
}

// Reads the body into received until it ends or the clock runs out.
void ReadBody(HINTERNET request, const FetchClock& clock, ReceivedPage* received) {
    PageReceive r;
    BeginPage(r, received->page);
    char chunk[kChunkSize];
    while (!clock.Over()) {
        // Only what has arrived is read: a read of more waits until it has all of it.
        DWORD waiting = 0;
        if (!WinHttpQueryDataAvailable(request, &waiting) || waiting == 0) break;
        DWORD read = 0;
        const DWORD want = waiting < sizeof chunk ? waiting : sizeof chunk;
        if (!WinHttpReadData(request, chunk, want, &read) || read == 0) break;
        AddChunk(r, chunk, read);
    }
    received->length = r.length;
}

// One request and its response: kNewsOk with the page, or a failure; *redirect becomes true,
// with *next filled, when the answer is a redirect to follow.
int OneRequest(HINTERNET connection, const NewsUrl& url, const FetchClock& clock,
               ReceivedPage* received, bool* redirect, NewsUrl* next) {
    wchar_t path[sizeof url.path];
    if (!Widen(url.path, path, static_cast<int>(sizeof url.path))) return kNewsNotSent;
    HINTERNET request =
        WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                           WINHTTP_DEFAULT_ACCEPT_TYPES, url.secure ? WINHTTP_FLAG_SECURE : 0);
    if (!request) return kNewsNotSent;
    const int left = static_cast<int>(clock.Left());
    WinHttpSetTimeouts(request, left, left, left, left);
    // The wait for the response's headers, and under Wine the TLS handshake too.
    DWORD responseTimeout = static_cast<DWORD>(left);
    WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                     sizeof responseTimeout);
    // Redirects are followed here, so that they are counted and each is checked.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
    // Compressed answers where the system can decompress them; without, the plain page.
    DWORD decompression = WINHTTP_DECOMPRESSION_FLAG_ALL;
    WinHttpSetOption(request, WINHTTP_OPTION_DECOMPRESSION, &decompression, sizeof decompression);

    int result = kNewsOk;
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                            0, 0)) {
        result = ResultOf(GetLastError(), kNewsNotSent);
    } else if (!WinHttpReceiveResponse(request, nullptr)) {
        result = ResultOf(GetLastError(), kNewsNoConnection);
    } else {
        DWORD status = 0;
        DWORD size = sizeof status;
        WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
        if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
            char location[kSettingSize * 2];
            QueryHeader(request, WINHTTP_QUERY_LOCATION, location, sizeof location);
            *redirect = location[0] && ResolveLocation(url, location, next);
            if (!*redirect) result = kNewsNoStartMarker;
        } else if (status < 200 || status > 299) {
            result = kNewsNoStartMarker;
        } else {
            QueryHeader(request, WINHTTP_QUERY_CONTENT_TYPE, received->contentType,
                        sizeof received->contentType);
            ReadBody(request, clock, received);
        }
    }
    WinHttpCloseHandle(request);
    return result;
}

}  // namespace

DWORD FetchClock::Left() const {
    const DWORD used = GetTickCount() - start;
    return used + 1 >= limitMs ? 1 : limitMs - used;
}

int SystemFetch(const NewsUrl& first, const FetchClock& clock, ReceivedPage* received) {
    received->length = 0;
    received->page[0] = '\0';
    received->contentType[0] = '\0';
    HINTERNET session = Session();
    if (!session) return kNewsNoWinsock;
    NewsUrl url = first;
    for (int redirects = 0;; ++redirects) {
        if (clock.Over()) return kNewsPollFailed;
        wchar_t host[kSettingSize];
        if (!Widen(url.host, host, kSettingSize)) return kNewsNoHost;
        HINTERNET connection = WinHttpConnect(session, host, url.port, 0);
        if (!connection) return ResultOf(GetLastError(), kNewsNoConnection);
        bool redirect = false;
        NewsUrl next;
        const int result = OneRequest(connection, url, clock, received, &redirect, &next);
        WinHttpCloseHandle(connection);
        // A call that failed once the time was up failed for want of time (under Wine a TLS
        // handshake cut short by its time-out reports a secure-channel failure).
        if (result != kNewsOk && clock.Over()) return kNewsPollFailed;
        if (!redirect) return result;
        // A secure page does not lead on to a plain one.
        if (redirects == kMaxRedirects || (url.secure && !next.secure)) return kNewsNoStartMarker;
        url = next;
    }
}
