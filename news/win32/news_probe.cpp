#include "news/win32/news_probe.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "news/news_failure_text.h"
#include "news/win32/fetch_news.h"
#include "news/win32/page_headlines.h"

namespace {

constexpr UINT kShiftJis = 932;

// Unicode text into a Shift-JIS setting field; false when it has no Shift-JIS form or does not
// fit in a setting.
bool ToSetting(const wchar_t* text, char* field) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, text, -1, field,
                                      kSettingSize, nullptr, &lossy);
    return n > 0 && !lossy;
}

std::string SjisToUtf8(const char* text) {
    const int wide = MultiByteToWideChar(kShiftJis, 0, text, -1, nullptr, 0);
    if (wide <= 0) return "";
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(kShiftJis, 0, text, -1, w.data(), wide);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    std::string u(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, &u[0], bytes, nullptr, nullptr);
    u.resize(static_cast<size_t>(bytes - 1));
    return u;
}

bool IsUrl(const wchar_t* text) {
    return _wcsnicmp(text, L"http://", 7) == 0 || _wcsnicmp(text, L"https://", 8) == 0;
}

// A saved page: its first kPageSize - 1 bytes, the rest read and dropped as a fetch does.
bool ReadPage(const wchar_t* path, std::vector<char>* page, size_t* length) {
    FILE* f = _wfopen(path, L"rb");
    if (!f) return false;
    PageReceive r;
    BeginPage(r, page->data());
    char chunk[kChunkSize];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) AddChunk(r, chunk, n);
    std::fclose(f);
    *length = r.length;
    return true;
}

const char kUsage[] =
    "usage: newsprobe.exe [--ignore TEXT] [--tag TEXT] [--reject TEXT] [--content-type VALUE] "
    "[--host HOST] SOURCE\n";

}  // namespace

int RunNewsProbe(int argc, const wchar_t* const* argv, std::string* out, std::string* err) {
    NewsSource source = {};
    char contentType[kSettingSize] = "";
    const wchar_t* target = nullptr;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* a = argv[i];
        char* field = nullptr;
        if (std::wcscmp(a, L"--ignore") == 0) field = source.ignore;
        if (std::wcscmp(a, L"--tag") == 0) field = source.tag;
        if (std::wcscmp(a, L"--reject") == 0) field = source.reject;
        if (std::wcscmp(a, L"--host") == 0) field = source.html;
        if (std::wcscmp(a, L"--content-type") == 0) field = contentType;
        if (field) {
            if (i + 1 >= argc || !ToSetting(argv[i + 1], field)) {
                *err = std::string(
                           "newsprobe: an option's text is missing, too long or has no "
                           "Shift-JIS form\n") +
                       kUsage;
                return 2;
            }
            ++i;
        } else if (!target && std::wcsncmp(a, L"--", 2) != 0) {
            target = a;
        } else {
            *err = kUsage;
            return 2;
        }
    }
    if (!target) {
        *err = kUsage;
        return 2;
    }
    std::vector<char> page(kPageSize);
    static char slots[kNewsSlots][kHeadlineSize];
    int count = 0;
    int result;
    if (IsUrl(target)) {
        if (!ToSetting(target, source.file)) {
            *err = "newsprobe: the address is too long or has no Shift-JIS form\n";
            return 2;
        }
        const FetchTarget fetch = {page.data(), slots, &count, nullptr};
        result = FetchNewsInto(source, fetch);
    } else {
        size_t length = 0;
        if (!ReadPage(target, &page, &length)) {
            *err = "newsprobe: the page file cannot be read\n";
            return 2;
        }
        result = PageHeadlines(page.data(), length, contentType, source, slots, &count);
    }
    *out = "result " + std::to_string(result) + "\n";
    for (int i = 0; i < count; ++i) *out += SjisToUtf8(slots[i]) + "\n";
    if (result != kNewsOk) *err = SjisToUtf8(NewsFailureText(result)) + "\n";
    return result == kNewsOk ? 0 : 1;
}
