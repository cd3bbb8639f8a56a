#pragma once
// The address of a news source: which of the two request forms fetches it, and the parts of an
// http:// or https:// URL that the system's HTTP client needs.

#include <cstddef>

#include "news/headlines.h"
#include "settings/settings.h"

constexpr unsigned short kHttpsPort = 443;

// An http:// or https:// URL taken apart. host holds the name without brackets (an IPv6 literal
// keeps none); path starts with "/" and keeps the query; a fragment is dropped.
struct NewsUrl {
    bool secure;  // https
    char host[kSettingSize];
    unsigned short port;  // the URL's port, or 80 / 443 by the scheme
    char path[kSettingSize * 2];
};

// Takes an absolute http:// or https:// URL apart (the scheme in any case). False for any other
// text: another scheme, no host, a user name ("@"), a port that is not 1..65535, a part too long.
bool ParseNewsUrl(const char* text, NewsUrl* url);

// How a source is fetched.
enum RequestForm {
    kOneLineRequest,  // "GET <file>" to the host field, as a bare path or a proxy always were
    kSystemClient,    // the file's URL with the system's HTTP client
};

// An https:// file always goes through the system's client; an http:// one when the host field
// is empty or names the URL's own host and port (":80" or none alike for port 80); anything else
// is the one-line request to the host field.
RequestForm ChooseRequestForm(const NewsSource& source);

// The URL a redirect's Location leads to from base: an absolute http(s) URL, one without a
// scheme ("//host/..."), a path from the root ("/...") or one relative to base's folder. False
// when the result is not an http(s) URL or does not fit.
bool ResolveLocation(const NewsUrl& base, const char* location, NewsUrl* next);
