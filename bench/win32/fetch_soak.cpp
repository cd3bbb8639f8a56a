// fetch_soak.exe oneline|http [COUNT]: COUNT (1000) fetches from KV_ONELINE_HOST (news_server.py,
// the one-line request) or KV_HTTP_PORT (tls_servers.py, the system's client). After the fiftieth
// and every hundredth it prints "fetch N" and holds a second for bench/fetch_soak.sh to read its
// memory from outside.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "news/win32/fetch_news.h"

int main(int argc, char** argv) {
    const bool oneLine = argc < 2 || std::string(argv[1]) == "oneline";
    const char* server = std::getenv(oneLine ? "KV_ONELINE_HOST" : "KV_HTTP_PORT");
    if (!server) {
        std::fprintf(stderr, "KV_ONELINE_HOST or KV_HTTP_PORT is missing\n");
        return 2;
    }
    const std::string file =
        oneLine ? "http://news.test/good" : "http://localhost:" + std::string(server) + "/page";
    NewsSource source = {"", "", "<!-- S -->", "/n?a=", "]]", ""};
    if (oneLine) std::snprintf(source.html, sizeof source.html, "%s", server);
    std::snprintf(source.file, sizeof source.file, "%s", file.c_str());
    std::vector<char> page(kPageSize);
    static char slots[kNewsSlots][kHeadlineSize];
    int failures = 0;
    for (int i = 1; i <= (argc > 2 ? std::atoi(argv[2]) : 1000); ++i) {
        int kept = 0;
        if (FetchNewsInto(source, {page.data(), slots, &kept, nullptr}) != kNewsOk || kept != 3)
            ++failures;
        if (i % 100 == 0 || i == 50) {
            std::printf("fetch %d failures %d\n", i, failures);
            std::fflush(stdout);
            Sleep(1000);
        }
    }
    return failures == 0 ? 0 : 1;
}
