// The error report's real message box: caption, text, system-modal style and its owner, shown
// before the DirectDraw object exists and while it does. A watcher thread reads the box the way
// a user sees it and presses OK.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "display/error_report.h"
#include "display/win32/kadraw.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"

namespace {

struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    LONG_PTR exStyle = 0;
};

BOOL CALLBACK ReadStatic(HWND child, LPARAM data) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    char text[512] = {};
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Static") == 0 && text[0]) reinterpret_cast<SeenBox*>(data)->text = text;
    return TRUE;
}

// Waits (up to 20 s) for the box of this process, reads it and closes it.
void WatchForBox(SeenBox* seen) {
    for (int i = 0; i < 400 && !seen->found; ++i) {
        HWND box = FindWindowA("#32770", "エラー発生");
        if (box) {
            DWORD pid = 0;
            GetWindowThreadProcessId(box, &pid);
            if (pid == GetCurrentProcessId()) {
                char caption[64] = {};
                GetWindowTextA(box, caption, sizeof caption);
                seen->caption = caption;
                seen->owner = GetWindow(box, GW_OWNER);
                seen->exStyle = GetWindowLongPtrA(box, GWL_EXSTYLE);
                EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(seen));
                seen->found = true;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                return;
            }
        }
        Sleep(50);
    }
}

LRESULT CALLBACK OwnerProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(w, m, wp, lp);
}

class ErrorBox : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ErrorBoxOwner";
        RegisterClassA(&wc);
        mainWindow =
            CreateWindowExA(0, "ErrorBoxOwner", "KORAVEN", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(mainWindow, nullptr);
        kaDraw::errorBox = nullptr;
        kaDraw::InstallErrorBox();
        ASSERT_NE(kaDraw::errorBox, nullptr);
    }
    void TearDown() override {
        kaDraw::Release();
        DestroyWindow(mainWindow);
        kaDraw::errorBox = nullptr;
    }

    SeenBox Report(const char* method, const char* message) {
        SeenBox seen;
        std::thread watcher(WatchForBox, &seen);
        EXPECT_EQ(kaDraw::ReportError(method, message), 0);  // returns once OK is pressed
        watcher.join();
        return seen;
    }
};

void ExpectBox(const SeenBox& seen, const std::string& text) {
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "エラー発生");
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.owner, mainWindow);
    EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST);  // system modal: above every window
}

}  // namespace

TEST_F(ErrorBox, ShowsBeforeTheDisplayExists) {
    ASSERT_EQ(kaDraw::directDraw, nullptr);
    ExpectBox(Report("kaDraw::Screen", "裏画面が生成できません"),
              std::string("kaDraw::Screen : ") + "裏画面が生成できません");
}

TEST_F(ErrorBox, ShowsOverTheDisplayAndAnInstalledHandlerIsKept) {
    fullScreen = false;
    previewMode = false;
    // The set-up keeps the box installed above; no step fails here, so no box is shown.
    kaDraw::Screen(320, 240, 1);
    ASSERT_NE(kaDraw::directDraw, nullptr);
    ExpectBox(Report("ka3D::LoadObject", "Xファイルを読み込めません"),
              std::string("ka3D::LoadObject : ") + "Xファイルを読み込めません");
    kaDraw::ReleaseSound();
}
