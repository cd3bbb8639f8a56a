#include "news/win32/news_try_fetch.h"

#include <vector>

#include "news/news_try_text.h"
#include "news/win32/fetch_news.h"

bool TryNewsSource(const NewsSource& source, std::string* message) {
    // Buffers of its own: a try may run beside the saver's worker and outlive its dialog.
    std::vector<char> page(kPageSize);
    std::vector<char> slots(static_cast<size_t>(kNewsSlots) * kHeadlineSize);
    auto* headlines = reinterpret_cast<char(*)[kHeadlineSize]>(slots.data());
    int count = 0;
    const FetchTarget target = {page.data(), headlines, &count, nullptr};
    const int result = FetchNewsInto(source, target);
    *message = NewsTryText(result, headlines, count);
    return result == kNewsOk && count > 0;
}
