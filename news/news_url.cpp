#include "news/news_url.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (std::tolower(static_cast<unsigned char>(*text)) != *prefix) return false;
    }
    return true;
}

bool SameNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    }
    return *a == *b;
}

// "1".."65535" exactly.
bool ParsePort(const char* digits, size_t length, unsigned short* port) {
    if (length == 0 || length > 5) return false;
    long value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        value = value * 10 + (digits[i] - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = static_cast<unsigned short>(value);
    return true;
}

bool CopyPart(char* dst, size_t capacity, const char* src, size_t length) {
    if (length >= capacity) return false;
    std::memcpy(dst, src, length);
    dst[length] = '\0';
    return true;
}

}  // namespace

bool ParseNewsUrl(const char* text, NewsUrl* url) {
    const char* rest;
    if (StartsWithNoCase(text, "https://")) {
        url->secure = true;
        url->port = kHttpsPort;
        rest = text + 8;
    } else if (StartsWithNoCase(text, "http://")) {
        url->secure = false;
        url->port = kHttpPort;
        rest = text + 7;
    } else {
        return false;
    }
    const size_t authority = std::strcspn(rest, "/?#");
    if (std::memchr(rest, '@', authority)) return false;
    const char* hostEnd;
    const char* name = rest;
    size_t nameLength;
    if (rest[0] == '[') {
        const char* close = static_cast<const char*>(std::memchr(rest, ']', authority));
        if (!close) return false;
        name = rest + 1;
        nameLength = static_cast<size_t>(close - name);
        hostEnd = close + 1;
    } else {
        const char* colon = static_cast<const char*>(std::memchr(rest, ':', authority));
        hostEnd = colon ? colon : rest + authority;
        nameLength = static_cast<size_t>(hostEnd - rest);
    }
    if (nameLength == 0 || !CopyPart(url->host, sizeof url->host, name, nameLength)) return false;
    const char* authorityEnd = rest + authority;
    if (hostEnd < authorityEnd) {
        if (*hostEnd != ':') return false;
        if (!ParsePort(hostEnd + 1, static_cast<size_t>(authorityEnd - hostEnd - 1), &url->port))
            return false;
    }
    const size_t pathLength = std::strcspn(authorityEnd, "#");
    if (pathLength == 0 || authorityEnd[0] != '/') {
        // No path, or only a query: the root, with the query kept.
        url->path[0] = '/';
        return CopyPart(url->path + 1, sizeof url->path - 1, authorityEnd, pathLength);
    }
    return CopyPart(url->path, sizeof url->path, authorityEnd, pathLength);
}

RequestForm ChooseRequestForm(const NewsSource& source) {
    NewsUrl url;
    if (!ParseNewsUrl(source.file, &url)) return kOneLineRequest;
    if (url.secure || source.html[0] == '\0') return kSystemClient;
    char host[kSettingSize];
    unsigned short port;
    if (!SplitHostPort(source.html, host, sizeof host, &port)) return kOneLineRequest;
    return SameNoCase(host, url.host) && port == url.port ? kSystemClient : kOneLineRequest;
}

bool ResolveLocation(const NewsUrl& base, const char* location, NewsUrl* next) {
    char joined[sizeof base.path + kSettingSize];
    const char* scheme = base.secure ? "https:" : "http:";
    int n;
    if (StartsWithNoCase(location, "http://") || StartsWithNoCase(location, "https://")) {
        n = std::snprintf(joined, sizeof joined, "%s", location);
    } else if (location[0] == '/' && location[1] == '/') {
        n = std::snprintf(joined, sizeof joined, "%s%s", scheme, location);
    } else if (std::strchr(location, ':') &&
               std::strcspn(location, ":") < std::strcspn(location, "/?#")) {
        return false;  // another scheme
    } else {
        // Hosts are written back in brackets when they hold a colon (an IPv6 literal).
        const bool bracket = std::strchr(base.host, ':') != nullptr;
        char origin[kSettingSize + 16];
        std::snprintf(origin, sizeof origin, "%s//%s%s%s:%u", scheme, bracket ? "[" : "", base.host,
                      bracket ? "]" : "", static_cast<unsigned>(base.port));
        if (location[0] == '/') {
            n = std::snprintf(joined, sizeof joined, "%s%s", origin, location);
        } else {
            // Relative to the folder of base's path (its query aside).
            const size_t pathOnly = std::strcspn(base.path, "?");
            size_t folder = pathOnly;
            while (folder > 0 && base.path[folder - 1] != '/') --folder;
            n = std::snprintf(joined, sizeof joined, "%s%.*s%s", origin, static_cast<int>(folder),
                              base.path, location);
        }
    }
    if (n < 0 || static_cast<size_t>(n) >= sizeof joined) return false;
    return ParseNewsUrl(joined, next);
}
