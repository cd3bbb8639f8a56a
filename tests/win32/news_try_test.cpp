// The news dialog's "試す" buttons with the real fetch against a server of this test on
// 127.0.0.1: the button's busy state, the box owned by the dialog with the headlines or the failed
// step, and a try abandoned by the dialog's OK.
#include <winsock.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "main_window_fixture.h"
#include "news/win32/news_try_fetch.h"
#include "resources/dialog_ids.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/news_try.h"

namespace {

// One connection: the request line is read, then the page goes out once release is set (or at
// once when it already is) and the connection closes.
struct HeldServer {
    std::string page;
    volatile LONG release = 0;
    volatile LONG served = 0;
    SOCKET listener = INVALID_SOCKET;
    HANDLE thread = nullptr;
    std::string host;

    void Start() {
        WSADATA d;
        WSAStartup(MAKEWORD(1, 1), &d);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof a;
        bind(listener, reinterpret_cast<sockaddr*>(&a), size);
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        host = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        listen(listener, 1);
        auto serve = [](void* p) -> DWORD {
            HeldServer& s = *static_cast<HeldServer*>(p);
            const SOCKET c = accept(s.listener, nullptr, nullptr);
            char ch = 0;
            while (ch != '\n' && recv(c, &ch, 1, 0) == 1) {
            }
            for (const DWORD start = GetTickCount(); !s.release && GetTickCount() - start < 30000;)
                Sleep(10);
            send(c, s.page.data(), static_cast<int>(s.page.size()), 0);
            closesocket(c);
            InterlockedExchange(&s.served, 1);
            return 0;
        };
        thread = CreateThread(nullptr, 0, serve, this, 0, nullptr);
    }
    void Stop() {
        InterlockedExchange(&release, 1);
        closesocket(listener);
        WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        WSACleanup();
    }
};

std::string Page(int headlines) {
    std::string page = "<html><!-- S -->\n";
    for (int i = 1; i <= headlines; ++i)
        page +=
            "<a href=\"/n?a=" + std::to_string(i) + "\">headline " + std::to_string(i) + "</a>\n";
    return page + "</html>\n";
}

// A message box owned by owner, or null.
HWND OwnedBox(HWND owner) {
    struct Find {
        HWND owner, box;
    } find = {owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            Find& f = *reinterpret_cast<Find*>(p);
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (lstrcmpW(cls, L"#32770") || GetWindow(w, GW_OWNER) != f.owner) return TRUE;
            f.box = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.box;
}

// The box's window as a 24-bit BMP named for the test, for the README's picture, when
// KV_TRY_SHOTS names a folder.
void SaveShot(HWND box) {
    const char* folder = std::getenv("KV_TRY_SHOTS");
    if (!folder) return;
    const std::string path = std::string(folder) + "\\" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".bmp";
    RECT r;
    GetWindowRect(box, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = (w * 3 + 3) & ~3u, imageBytes = rowBytes * h;
    BITMAPFILEHEADER file = {0x4D42,
                             static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + imageBytes),
                             0, 0, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, f);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
        std::fwrite(bits, imageBytes, 1, f);
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

class NewsTry : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        instanceHandle = GetModuleHandleW(nullptr);
        RegisterNewsTry(TryNewsSource);
        dialog = CreateDialogParamW(instanceHandle, MAKEINTRESOURCEW(IDD_NEWS), mainWindow,
                                    NewsDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override {
        if (IsWindow(dialog)) DestroyWindow(dialog);
        MainWindowTest::TearDown();
    }
    void Type(int id, const wchar_t* text) { SetWindowTextW(GetDlgItem(dialog, id), text); }
    void TypeSource(const std::string& host, const wchar_t* reject) {
        Type(IDC_NI1_HTML, std::wstring(host.begin(), host.end()).c_str());
        Type(IDC_NI1_FILE, L"/page");
        Type(IDC_NI1_IGNORE, L"<!-- S -->");
        Type(IDC_NI1_TAG, L"/n?a=");
        Type(IDC_NI1_REJECT, reject);
    }
    std::wstring ButtonText() { return ControlText(GetDlgItem(dialog, IDC_NI1_TRY)); }
    bool ButtonEnabled() { return IsWindowEnabled(GetDlgItem(dialog, IDC_NI1_TRY)) != FALSE; }
    // Dispatches messages until the box owned by the dialog opens; then its text, and it is closed.
    std::wstring WaitForBox() {
        std::wstring text;
        WhenDialogOpens([this](HWND w) { return GetWindow(w, GW_OWNER) == dialog; },
                        [&text](HWND box) {
                            text = ControlText(GetDlgItem(box, 0xFFFF));
                            SaveShot(box);
                            ClickButton(box, IDOK);
                        });
        for (const DWORD start = GetTickCount(); !modal::done && GetTickCount() - start < 30000;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageW(dialog, &msg)) DispatchMessageW(&msg);
            }
            Sleep(10);
        }
        return text;
    }
    HWND dialog = nullptr;
};

TEST_F(NewsTry, TheButtonIsBusyWhileTheFetchRuns) {
    HeldServer server;
    server.page = Page(2);
    server.Start();
    TypeSource(server.host, L"]]");
    ClickButton(dialog, IDC_NI1_TRY);
    EXPECT_EQ(ButtonText(), L"試しています…");
    EXPECT_FALSE(ButtonEnabled());
    // The other source's button stays usable.
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_NI2_TRY)));
    InterlockedExchange(&server.release, 1);
    WaitForBox();
    EXPECT_EQ(ButtonText(), L"試す");
    EXPECT_TRUE(ButtonEnabled());
    server.Stop();
}

TEST_F(NewsTry, TheBoxShowsTheFirstTenHeadlinesOfTheFieldsAsTyped) {
    HeldServer server;
    server.page = Page(12);
    server.release = 1;
    server.Start();
    const std::string stored = config.NI[0].file;
    TypeSource(server.host, L"]]");
    ClickButton(dialog, IDC_NI1_TRY);
    const std::wstring text = WaitForBox();
    EXPECT_NE(text.find(L"見出しを 12 件取り出せました。"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"・headline 10"), std::wstring::npos) << text;
    EXPECT_EQ(text.find(L"headline 11"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"ほか 2 件"), std::wstring::npos) << text;
    EXPECT_EQ(config.NI[0].file, stored);  // the settings keep their value
    server.Stop();
}

TEST_F(NewsTry, AFailureNamesTheStepThatFailed) {
    TypeSource("256.1.1.1", L"]]");
    ClickButton(dialog, IDC_NI1_TRY);
    const std::wstring text = WaitForBox();
    EXPECT_NE(text.find(L"ホスト名が見つかりませんでした"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"（結果 3）"), std::wstring::npos) << text;
}

TEST_F(NewsTry, OkAbandonsATryUnderWay) {
    HeldServer server;
    server.page = Page(2);
    server.Start();
    TypeSource(server.host, L"]]");
    ClickButton(dialog, IDC_NI1_TRY);
    ClickButton(dialog, IDOK);
    InterlockedExchange(&server.release, 1);
    for (const DWORD start = GetTickCount(); !server.served && GetTickCount() - start < 30000;)
        Sleep(10);
    // The try's end is posted to a dialog that has let it go: no box opens.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 500;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_EQ(OwnedBox(dialog), nullptr);
    server.Stop();
}

}  // namespace
