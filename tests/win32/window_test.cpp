// The shell under Wine, driven with real messages to real windows of class "DEFAULT": window
// shapes, start-up in each mode, what ends the saver and what must not, keys and hot keys, the
// close and shutdown order, the release of everything and the end of the loop.
#include <cstdio>

#include "main_window_fixture.h"
#include "modal_driver.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/scene.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/random.h"

namespace {

class Window : public MainWindowTest {
  protected:
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Key(int key, bool up = false) {
        Send(up ? WM_KEYUP : WM_KEYDOWN, key, up ? 0xC0000001 : 1);
    }
    HWND NewMainWindow(bool full) {
        fullScreen = full;
        return mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    }
    // Handles the window's timer messages as the loop would, until heldKey is 0 or ms have passed.
    bool HeldKeyCleared(DWORD ms) {
        for (const DWORD start = GetTickCount(); heldKey && GetTickCount() - start < ms;) {
            MSG msg;
            if (PeekMessageA(&msg, mainWindow, WM_TIMER, WM_TIMER, PM_REMOVE))
                DispatchMessageA(&msg);
            else
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_TIMER);
        }
        return heldKey == 0;
    }
};

TEST_F(Window, ShapesOfTheFullScreenAndCaptionedWindows) {
    ASSERT_NE(NewMainWindow(true), nullptr);
    char cls[32], title[32];
    GetClassNameA(mainWindow, cls, sizeof cls);
    GetWindowTextA(mainWindow, title, sizeof title);
    EXPECT_EQ(std::string(cls) + "|" + title, "DEFAULT|KORAVEN");
    EXPECT_EQ(GetWindowLongA(mainWindow, GWL_STYLE) & (WS_POPUP | WS_SYSMENU | WS_CAPTION),
              WS_POPUP | WS_SYSMENU);
    RECT r;
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.right * 10000 + r.bottom,
              GetSystemMetrics(SM_CXSCREEN) * 10000 + GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetClassLongA(mainWindow, GCL_STYLE),
              static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_NE(GetClassLongPtrA(mainWindow, GCLP_HICON), 0);
    DestroyWindow(mainWindow);
    ASSERT_NE(NewMainWindow(false), nullptr);
    EXPECT_EQ(GetWindowLongA(mainWindow, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX),
              WS_CAPTION | WS_MINIMIZEBOX);
}

TEST_F(Window, StartUpInEachMode) {
    // (A preview inside a real host window is shown end to end.)
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p 99999", SW_SHOW));  // no such host
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/c:1234", SW_SHOW));
    EXPECT_TRUE(configMode && startHidden && !fullScreen && !IsWindowVisible(mainWindow));
    // The dialog runs modally, owned by the hidden window, before the display exists; Cancel
    // ends it, the display is set up afterwards, and the loop then ends.
    HWND owner = nullptr;
    bool displayBefore = true;
    WhenDialogOpens([](HWND) { return true; },
                    [&](HWND dialog) {
                        owner = GetWindow(dialog, GW_OWNER);
                        displayBefore = kaDraw::directDraw != nullptr;
                        ClickButton(dialog, IDCANCEL);
                    });
    StartRun();
    EXPECT_TRUE(WhenDialogRan() && owner == mainWindow && !displayBefore);
    EXPECT_TRUE(kaDraw::directDraw && shutdownDone);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
    TearDown();
    SetUp();
    randomState = 1;
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/s", SW_SHOW));
    EXPECT_TRUE(fullScreen && !configMode && IsWindowVisible(mainWindow));
    EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);  // laid out before seeding
    EXPECT_STREQ(settingsPath, "koraven.ini");  // the test program is not koraven.scr
}

TEST_F(Window, TheThirdDiagonalMoveOrEitherButtonEndsTheSaverWithOneClose) {
    for (UINT press : {0u, unsigned{WM_LBUTTONDOWN}, unsigned{WM_RBUTTONDOWN}}) {
        TearDown();
        SetUp();
        EXPECT_EQ(Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);  // swallowed
        EXPECT_EQ(Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
        Move(100, 100);
        Move(101, 100);  // one coordinate only: not counted
        Move(130, 130);
        EXPECT_FALSE(shutdownDone);
        if (press)
            Send(press, 0, MAKELPARAM(5, 5));
        else
            Move(131, 131);
        EXPECT_TRUE(shutdownDone) << press;
        Move(132, 132);
        Send(WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(Take().closes, 1);
    }
}

TEST_F(Window, MouseEndsOnlyFullScreenWithMouseSenseOn) {
    char preview[64];
    std::snprintf(preview, sizeof preview, "/p %lld", static_cast<long long>(intptr_t(window)));
    const struct {
        const char* line;
        const char* sense;
        bool ends;
    } cases[] = {{"/s", "1", true}, {"/s", "0", false}, {"/c", "1", false}, {preview, "1", false}};
    for (const auto& c : cases) {
        DerivePaths(GetCommandLineA());
        WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", c.sense, settingsPath);
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), c.line, SW_SHOWNOACTIVATE));
        for (int i = 1; i <= 5; ++i) Move(100 + i, 100 + i);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        EXPECT_EQ(shutdownDone, c.ends) << c.line << " MOUSESENSE " << c.sense;
        WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", "1", settingsPath);
        if (mainWindow != window) DestroyWindow(mainWindow);
        mainWindow = window;
        ResetShellState();
        shutdownDone = false;
        Take();
    }
}

TEST_F(Window, KeysReachTheKeyHandlerAndOnlyTheReleaseOfTheHeldKeyClearsIt) {
    Key('1');
    Send(WM_SYSKEYDOWN, '3', 1 | (1 << 29));
    EXPECT_EQ(config.SHOW[SLOT_INFO] * 10 + config.SHOW[SLOT_TIME], 11);
    EXPECT_FALSE(shutdownDone);  // keys never end the saver here; the game frame decides
    runState = 2;
    lastFrameTime = 100;
    Key('A');
    Key('B');
    lastFrameTime = 111;  // a game frame ran while B was held
    Key('A', true);
    EXPECT_EQ(heldKey, 'B');
    Key('B', true);
    EXPECT_EQ(heldKey, 0);
    const std::pair<WPARAM, int> hotKeys[] = {{0xBF01, VK_SNAPSHOT}, {0xBF02, 0x101}};
    for (const auto& h : hotKeys) {
        EXPECT_EQ(Send(WM_HOTKEY, h.first, 0), 0);
        EXPECT_EQ(heldKey, h.second) << h.first;
    }
}

TEST_F(Window, AKeyTappedBeforeAnyGameFrameStaysHeldUntilOneHasRun) {
    runState = 1;  // during the title screen
    lastFrameTime = 100;
    Key(VK_ESCAPE);
    Key(VK_ESCAPE, true);
    lastFrameTime = 4100;
    runState = 2;
    EXPECT_FALSE(HeldKeyCleared(200));  // no game frame yet
    lastFrameTime = 4111;
    EXPECT_TRUE(HeldKeyCleared(5000));
    Key('A');  // a second key pressed while the first's release waits is held as usual
    Key('A', true);
    Key('B');
    lastFrameTime = 6000;
    EXPECT_FALSE(HeldKeyCleared(200));
    EXPECT_EQ(heldKey, 'B');
}

TEST_F(Window, MoveActivationAndTheCursor) {
    kaDraw::displayWidth = 640;
    kaDraw::displayHeight = 480;
    Send(WM_MOVE, 0, MAKELPARAM(-20, 30));
    EXPECT_EQ(kaDraw::presentDest.left * 1000 + kaDraw::presentDest.top, -20 * 1000 + 30);
    EXPECT_EQ(kaDraw::presentDest.right, 620);
    Send(WM_MOVE, 0, MAKELPARAM(32768, 65535));  // 32768 itself stays positive
    EXPECT_EQ(windowOrigin.x * 10 + windowOrigin.y, 327679);
    kaDraw::displayWidth = kaDraw::displayHeight = 0;
    dialogOpen = true;
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_FALSE(appActive);  // waits for the dialog
    dialogOpen = false;
    frameDelta = 5.0f;
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(appActive && frameDelta == 0.0f);
    ShowCursor(FALSE);
    cursorShown = false;
    Send(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(cursorShown && !appActive);  // deactivation shows a hidden cursor again
    fullScreen = true;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(Send(WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(Window, CloseFromOutsideShutsDownOnceAndShutdownFirstPostsOneClose) {
    for (int c = 0; c < 3; ++c) {  // a close from outside; Shutdown, windowed; full screen
        shutdownDone = false;
        closeState = 0;
        ASSERT_NE(NewMainWindow(c == 2), nullptr);
        ShowWindow(mainWindow, SW_SHOWNOACTIVATE);
        if (c == 0) {
            Send(WM_CLOSE);
            EXPECT_TRUE(shutdownDone && closeState == 2 && !IsWindow(mainWindow));
            Taken t = Take();
            EXPECT_EQ(t.closes * 10 + t.quits, 1);  // nothing posted; WM_DESTROY posted WM_QUIT
            continue;
        }
        EXPECT_TRUE(Shutdown() && Shutdown());
        EXPECT_EQ(IsIconic(mainWindow), c == 2);  // full screen: minimised before the close
        Taken t = Take(true);                     // the posted WM_CLOSE only destroys the window
        EXPECT_EQ(t.closes * 10 + t.quits, 11);
        EXPECT_FALSE(IsWindow(mainWindow));
    }
}

TEST_F(Window, ShutdownReleasesEverythingLetsTheInstanceGoAndNoFrameRunsAfterIt) {
    fullScreen = false;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    kaDraw::Screen(640, 480, 1);
    ASSERT_TRUE(kaDraw::directDraw && kaDraw::backScreen && kaDraw::sprite3D && FontDesc);
    ka3D::Mesh box;
    ka3D::BuildBoxMesh(0.5f, &box);
    ka3D::Frame* frames[6] = {};
    ka3D::LoadObjectFromMesh(box, 6, frames);
    const std::string name = "KVTEST" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CheckSingleInstance(name.c_str()));
    HANDLE held = instanceMutex;
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));  // a second instance says no
    CloseHandle(instanceMutex);
    instanceMutex = held;
    RECT small = {10, 10, 50, 50};
    ClipCursor(&small);
    // The third counted move, a fourth and a button press, all waiting before any close.
    for (int i = 0; i < 4; ++i) PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(103, 103));
    MSG msg;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
        DispatchMessageA(&msg);
    ASSERT_TRUE(shutdownDone);
    using namespace kaDraw;
    for (void* p :
         {(void*)directDraw, (void*)frontScreen, (void*)backScreen, (void*)sprite3D, (void*)zBuffer,
          (void*)clipper, (void*)directSound, (void*)FontDesc, (void*)instanceMutex})
        EXPECT_EQ(p, nullptr);
    for (const SpriteRecord& r : sprites) ASSERT_TRUE(!r.surface && !r.name[0] && !r.width);
    EXPECT_TRUE(ka3D::scene.released);  // frames stay valid for their holders
    RECT clip = {};
    GetClipCursor(&clip);
    EXPECT_GT(clip.right - clip.left, 40);
    // Another thread can own the mutex now; its handle stays open, so a new instance finds it.
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            DWORD r = WaitForSingleObject(p, 2000);
            if (r == WAIT_OBJECT_0) ReleaseMutex(p);
            return r;
        },
        held, 0, nullptr);
    DWORD code = 99;
    WaitForSingleObject(thread, 5000);
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));
    CloseHandle(instanceMutex);
    CloseHandle(held);
    // The loop handles the one posted close (and WM_QUIT) before any frame and ends with 0.
    appActive = runWhileInactive = true;
    frameDelta = -1.0f;
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frameDelta, -1.0f);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
