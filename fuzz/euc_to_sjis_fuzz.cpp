// libFuzzer target over the EUC-JP converter: arbitrary bytes as the text, converted into a
// separate buffer of a capacity taken from the input, and in place; neither may touch a byte
// outside its buffer, and both must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "news/euc_to_sjis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t capacity = data[0] % 64 == 63 ? size + 1 : data[0] % 64;
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');
    // Exactly the capacity, never null even when it is 0: ASan sees every overrun.
    std::unique_ptr<char[]> out(new char[capacity]);
    const int r = EucToSjis(text.data(), out.get(), capacity);
    if (r == 0 || (r < 0 && r != kEucNoRoom)) std::abort();
    if (r > 0 && (static_cast<size_t>(r) > capacity || out[r - 1] != '\0')) std::abort();

    std::vector<char> same(text);
    const int inPlace = EucToSjis(same.data(), same.data(), same.size());
    if (inPlace > 0 && r > 0 && std::memcmp(same.data(), out.get(), r) != 0) std::abort();
    // The output is never longer than the input, and every byte is converted or mended.
    if (inPlace != static_cast<int>(std::strlen(same.data())) + 1) std::abort();
    return 0;
}
