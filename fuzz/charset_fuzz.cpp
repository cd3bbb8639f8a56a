// libFuzzer target over the charset detection and the ISO-2022-JP converter: the first byte
// chooses how much of the rest is the Content-Type value, the rest is the page. The detection
// must name a charset it knows and a mark within the page; the converter must stay within the
// length + 1 bytes it is given and never write more than it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "news/charset.h"
#include "news/iso2022jp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t typeLength = data[0] % 64 < size - 1 ? data[0] % 64 : size - 1;
    const std::string contentType(reinterpret_cast<const char*>(data + 1), typeLength);
    const size_t length = size - 1 - typeLength;
    // Exactly the page's bytes, so ASan sees a read past them.
    std::unique_ptr<char[]> page(new char[length ? length : 1]);
    std::memcpy(page.get(), data + 1 + typeLength, length);

    const PageEncoding e = DetectCharset(page.get(), length, contentType.c_str());
    if (e.bomLength > length) std::abort();
    if (e.charset < kCharsetEucJp || e.charset > kCharsetLatin1) std::abort();

    std::unique_ptr<char[]> sjis(new char[length + 1]);
    const size_t n = Iso2022JpToSjis(page.get(), length, sjis.get());
    if (n > length || sjis[n] != '\0' || std::strlen(sjis.get()) != n) std::abort();
    return 0;
}
