// A thousand fetches in a row against a local server: after the fiftieth and every hundredth it
// prints "fetch N" and holds still for a second, so that bench/fetch_soak.sh reads the process's
// private memory from outside as the soak does (under Wine a program's own open of /proc/self
// reaches the Wine server's, not its own). Not part of the test suite.
//
//   fetch_soak.exe oneline|http [COUNT]
//
// oneline: the one-line request to KV_ONELINE_HOST (host:port of tests/e2e/news_server.py, its
// page /good); http: the system's client to KV_HTTP_PORT of tests/e2e/tls_servers.py (/page).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "news/win32/fetch_news.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "oneline";
    const int count = argc > 2 ? std::atoi(argv[2]) : 1000;
    const char* oneLineHost = std::getenv("KV_ONELINE_HOST");
    const char* httpPort = std::getenv("KV_HTTP_PORT");
    if (mode == "oneline" ? !oneLineHost : !httpPort) {
        std::fprintf(stderr, "KV_ONELINE_HOST or KV_HTTP_PORT is missing\n");
        return 2;
    }
    NewsSource source = {};
    std::strcpy(source.ignore, "<!-- S -->");
    std::strcpy(source.tag, "/n?a=");
    std::strcpy(source.reject, "]]");
    if (mode == "oneline") {
        std::snprintf(source.html, sizeof source.html, "%s", oneLineHost);
        std::strcpy(source.file, "http://news.test/good");
    } else {
        std::snprintf(source.file, sizeof source.file, "http://localhost:%s/page", httpPort);
    }
    std::vector<char> page(kPageSize);
    static char slots[kNewsSlots][kHeadlineSize];
    int failures = 0;
    for (int i = 1; i <= count; ++i) {
        int kept = 0;
        const FetchTarget target = {page.data(), slots, &kept, nullptr};
        if (FetchNewsInto(source, target) != kNewsOk || kept != 3) ++failures;
        if (i % 100 == 0 || i == 50) {
            std::printf("fetch %d failures %d\n", i, failures);
            std::fflush(stdout);
            Sleep(1000);
        }
    }
    return failures == 0 ? 0 : 1;
}
