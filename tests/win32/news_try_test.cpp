// The news dialog's "試す" buttons with the real fetch: the box owned by the dialog with the
// headlines or the failed step, and a try abandoned by the dialog's OK.
#include <string>

#include "local_fetch.h"
#include "main_window_fixture.h"
#include "news/win32/news_try_fetch.h"
#include "resources/dialog_ids.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/news_try.h"

namespace {

std::string Page(int headlines) {
    std::string page = "<html><!-- S -->\n";
    for (int i = 1; i <= headlines; ++i)
        page +=
            "<a href=\"/n?a=" + std::to_string(i) + "\">headline " + std::to_string(i) + "</a>\n";
    return page + "</html>\n";
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
    void Type(int id, const std::string& text) {
        SetWindowTextW(GetDlgItem(dialog, id), std::wstring(text.begin(), text.end()).c_str());
    }
    void TypeSource(const std::string& host, const std::string& file) {
        Type(IDC_NI1_HTML, host);
        Type(IDC_NI1_FILE, file);
        Type(IDC_NI1_IGNORE, "<!-- S -->");
        Type(IDC_NI1_TAG, "/n?a=");
        Type(IDC_NI1_REJECT, "]]");
    }
    // Dispatches messages until the box owned by the dialog opens; then its text, and it is closed.
    std::wstring WaitForBox() {
        std::wstring text;
        WhenDialogOpens([this](HWND w) { return GetWindow(w, GW_OWNER) == dialog; },
                        [&text](HWND box) {
                            text = ControlText(GetDlgItem(box, 0xFFFF));
                            ClickButton(box, IDOK);
                        });
        for (const DWORD start = GetTickCount(); !modal::done && GetTickCount() - start < 30000;) {
            Take(true);
            Sleep(10);
        }
        return text;
    }
    HWND dialog = nullptr;
};

TEST_F(NewsTry, TheBoxShowsTheFirstTenHeadlinesOfTheFieldsAsTyped) {
    Server server;
    server.pieces = {Page(12)};
    server.Start();
    const std::string stored = config.NI[0].file;
    TypeSource(server.host, "/page");
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
    TypeSource("", "https://256.1.1.1/page");
    ClickButton(dialog, IDC_NI1_TRY);
    const std::wstring text = WaitForBox();
    EXPECT_NE(text.find(L"ホスト名が見つかりませんでした"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"（結果 3）"), std::wstring::npos) << text;
}

TEST_F(NewsTry, OkAbandonsATryUnderWay) {
    Server server;
    server.pieces = {Page(2)};
    server.held = true;
    server.Start();
    TypeSource(server.host, "/page");
    ClickButton(dialog, IDC_NI1_TRY);
    ClickButton(dialog, IDOK);
    // A box that opens all the same is closed at once and seen in modal::done.
    WhenDialogOpens([owner = dialog](HWND w) { return GetWindow(w, GW_OWNER) == owner; },
                    [](HWND box) { ClickButton(box, IDOK); });
    server.held = false;
    ASSERT_TRUE(Server::Poll(server.served, 30000));
    // The try's end is posted to a dialog that has let it go: no box opens.
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 500;) {
        Take(true);
        Sleep(10);
    }
    EXPECT_FALSE(modal::done);
    KillTimer(nullptr, std::exchange(modal::timer, 0));
    server.Stop();
}

}  // namespace
