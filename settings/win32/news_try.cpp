#include "settings/win32/news_try.h"

#include <cstddef>

#include "resources/dialog_ids.h"
#include "settings/dialog_fields.h"
#include "settings/win32/control_text.h"

namespace {

constexpr int kSources = sizeof(Config::NI) / sizeof(NewsSource);

NewsTryHook tryHook = nullptr;

// Shared by the dialog and the try's thread; whichever lets go last frees it.
struct TryJob {
    volatile LONG refs;
    volatile LONG abandoned;
    HWND dialog;
    int source;
    NewsSource fields;
    bool ok;
    std::string message;
};

TryJob* tries[kSources] = {};

void Release(TryJob* job) {
    if (InterlockedDecrement(&job->refs) == 0) delete job;
}

DWORD WINAPI TryThread(void* param) {
    TryJob* job = static_cast<TryJob*>(param);
    job->ok = tryHook(job->fields, &job->message);
    if (!job->abandoned)
        PostMessageW(job->dialog, kNewsTryDone, job->source, reinterpret_cast<LPARAM>(job));
    Release(job);
    return 0;
}

int TryButton(int source) {
    return source == 0 ? IDC_NI1_TRY : IDC_NI2_TRY;
}

void ShowButton(HWND dialog, int source, bool busy) {
    HWND button = GetDlgItem(dialog, TryButton(source));
    SetWindowTextW(button, busy ? L"試しています…" : L"試す");
    EnableWindow(button, !busy && tryHook != nullptr);
}

}  // namespace

void RegisterNewsTry(NewsTryHook hook) {
    tryHook = hook;
}

void InitNewsTry(HWND dialog) {
    AbandonNewsTries();
    for (int s = 0; s < kSources; ++s) ShowButton(dialog, s, false);
}

void StartNewsTry(HWND dialog, int source) {
    if (!tryHook || tries[source]) return;
    TryJob* job = new TryJob{};
    job->refs = 2;
    job->dialog = dialog;
    job->source = source;
    // The source's fields as typed: each edit of the dialog that belongs to this source is read
    // into the same place of a copy of the source's settings.
    char* settings = reinterpret_cast<char*>(&config.NI[source]);
    char* copy = reinterpret_cast<char*>(&job->fields);
    for (const SettingKey& k : settingKeys) {
        if (k.control != kNewsEditControl) continue;
        const std::ptrdiff_t at = k.text - settings;
        if (at < 0 || at >= static_cast<std::ptrdiff_t>(sizeof(NewsSource))) continue;
        ReadControlText(GetDlgItem(dialog, k.controlId), copy + at, kNewsReadSize);
    }
    HANDLE thread = CreateThread(nullptr, 0, TryThread, job, 0, nullptr);
    if (!thread) {
        delete job;
        return;
    }
    CloseHandle(thread);
    tries[source] = job;
    ShowButton(dialog, source, true);
}

void FinishNewsTry(HWND dialog, int source, LPARAM posted) {
    if (source < 0 || source >= kSources) return;
    TryJob* job = tries[source];
    // Only the try under way: a late message of an abandoned one is ignored.
    if (!job || reinterpret_cast<LPARAM>(job) != posted) return;
    tries[source] = nullptr;
    ShowButton(dialog, source, false);
    const std::wstring title = source == 0 ? L"ニュース１を試す" : L"ニュース２を試す";
    MessageBoxW(dialog, SjisToWide(job->message.c_str()).c_str(), title.c_str(),
                MB_OK | (job->ok ? MB_ICONINFORMATION : MB_ICONWARNING));
    Release(job);
}

void AbandonNewsTries() {
    for (TryJob*& job : tries) {
        if (!job) continue;
        InterlockedExchange(&job->abandoned, 1);
        Release(job);
        job = nullptr;
    }
}
