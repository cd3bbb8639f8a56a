// libFuzzer target over the news source's address: the input split at its first NUL into a URL
// and a redirect's Location (a third part, after a second NUL, is the host field). Whatever is
// parsed or resolved must be a terminated host and a path from the root.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "news/news_url.h"

namespace {

void Check(const NewsUrl& url) {
    if (std::memchr(url.host, '\0', sizeof url.host) == nullptr || url.host[0] == '\0')
        std::abort();
    if (std::memchr(url.path, '\0', sizeof url.path) == nullptr || url.path[0] != '/') std::abort();
    if (url.port == 0) std::abort();
}

std::string Part(const uint8_t*& data, size_t& size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, '\0', size));
    const size_t n = end ? static_cast<size_t>(end - data) : size;
    std::string part(reinterpret_cast<const char*>(data), n < 255 ? n : 255);
    const size_t used = end ? n + 1 : n;
    data += used;
    size -= used;
    return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = Part(data, size);
    const std::string location = Part(data, size);
    const std::string host = Part(data, size);
    NewsUrl url, next;
    if (ParseNewsUrl(text.c_str(), &url)) {
        Check(url);
        if (ResolveLocation(url, location.c_str(), &next)) Check(next);
    }
    NewsSource source = {};
    std::strcpy(source.html, host.c_str());
    std::strcpy(source.file, text.c_str());
    const RequestForm form = ChooseRequestForm(source);
    if (form != kOneLineRequest && form != kSystemClient) std::abort();
    return 0;
}
