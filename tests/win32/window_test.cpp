// The shell under Wine, driven with real messages to real windows of class "DEFAULT": single
// instance, window shapes, start-up in each mode, what ends the saver and what must not, keys and
// hot keys, the close and shutdown order, release of everything, the loop's end and the clock.
#include <windows.h>

#include <mmsystem.h>

#include <cstdio>
#include <cstring>

#include "display/win32/kadraw.h"
#include "main_window_fixture.h"
#include "modal_driver.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/scene.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/random.h"
#include "shell/win32/window_proc.h"

namespace {

using Window = MainWindowTest;

std::string UniqueName(const char* base) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s%lu_%lu", base, GetCurrentProcessId(), GetTickCount());
    return buf;
}

HWND NewMainWindow(bool full) {
    fullScreen = full;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    return mainWindow;
}

TEST_F(Window, SingleInstanceMutexIsReleasedButKeptByTheShutdown) {
    const std::string name = UniqueName("KVTEST");
    ASSERT_TRUE(CheckSingleInstance(name.c_str()));
    HANDLE held = instanceMutex;
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));  // a second instance says no
    CloseHandle(instanceMutex);
    instanceMutex = held;
    ASSERT_NE(NewMainWindow(false), nullptr);
    EXPECT_TRUE(Shutdown());
    EXPECT_EQ(instanceMutex, nullptr);
    // Another thread can own it now; the handle is kept, so a later instance still finds it.
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            DWORD r = WaitForSingleObject(static_cast<HANDLE>(p), 2000);
            if (r == WAIT_OBJECT_0) ReleaseMutex(static_cast<HANDLE>(p));
            return r;
        },
        held, 0, nullptr);
    WaitForSingleObject(thread, 5000);
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    HANDLE again = CreateMutexA(nullptr, TRUE, (name + ":KaMutex").c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    CloseHandle(held);
}

TEST_F(Window, ShapesOfTheFullScreenAndConfigureWindows) {
    ASSERT_NE(NewMainWindow(true), nullptr);
    char cls[32], title[32];
    GetClassNameA(mainWindow, cls, sizeof cls);
    GetWindowTextA(mainWindow, title, sizeof title);
    EXPECT_EQ(std::string(cls) + "|" + title, "DEFAULT|KORAVEN");
    LONG style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_TRUE((style & WS_POPUP) && (style & WS_SYSMENU) && !(style & WS_CAPTION));
    RECT r;
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.left + r.top, 0);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetClassLongA(mainWindow, GCL_STYLE),
              static_cast<DWORD>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_NE(GetClassLongPtrA(mainWindow, GCLP_HICON), 0);
    configMode = true;
    ASSERT_NE(NewMainWindow(false), nullptr);
    style = GetWindowLongA(mainWindow, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_MINIMIZEBOX) &&
                !(style & WS_POPUP));
    const int w = 640 + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXDLGFRAME) +
                  GetSystemMetrics(SM_CXBORDER);
    GetWindowRect(mainWindow, &r);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
}

TEST_F(Window, StartUpInEachMode) {
    // (A preview inside a real host window is shown end to end, tests/e2e/modes.sh.)
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p 99999", SW_SHOW));  // no such host
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p", SW_SHOW));
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/c:1234", SW_SHOW));
    EXPECT_TRUE(configMode && startHidden && !fullScreen && !IsWindowVisible(mainWindow));
    EXPECT_EQ(GetParent(mainWindow), nullptr);
    // The dialog runs modally, owned by the hidden window, before the display exists; Cancel
    // ends it, the display is set up on the hidden window afterwards, and the loop then ends.
    HWND owner = nullptr;
    bool displayBefore = true;
    WhenDialogOpens([](HWND) { return true; },
                    [&](HWND dialog) {
                        owner = GetWindow(dialog, GW_OWNER);
                        displayBefore = kaDraw::directDraw != nullptr;
                        ClickButton(dialog, IDCANCEL);
                    });
    StartRun();
    EXPECT_TRUE(WhenDialogRan());
    EXPECT_EQ(owner, mainWindow);
    EXPECT_FALSE(displayBefore);
    EXPECT_NE(kaDraw::directDraw, nullptr);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
    TearDown();
    SetUp();
    randomState = 1;
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/s", SW_SHOW));
    EXPECT_TRUE(fullScreen && !configMode && IsWindowVisible(mainWindow));
    EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);  // the slots are laid out
    EXPECT_STREQ(settingsPath, "koraven.ini");  // the test program is not koraven.scr
}

TEST_F(Window, ThirdDiagonalMoveOrAButtonEndsTheSaverAndClosesOnce) {
    Move(100, 100);
    for (int i = 1; i <= 20; ++i) {  // each of these changes one coordinate only
        Move(100 + i, 99 + i);
        Move(100 + i, 100 + i);
    }
    EXPECT_EQ(mouseMoveCount, 1);
    Move(130, 130);
    EXPECT_FALSE(shutdownDone);
    Move(131, 131);
    EXPECT_TRUE(shutdownDone);
    Move(132, 132);
    EXPECT_EQ(Take().closes, 1);
    for (UINT button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        TearDown();
        SetUp();
        EXPECT_EQ(Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);  // swallowed
        EXPECT_EQ(Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
        EXPECT_FALSE(shutdownDone);
        Send(button, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(shutdownDone) << button;
        EXPECT_EQ(Take().closes, 1);
    }
}

// Starts as the entry does with MOUSESENSE in the settings file, moves the mouse diagonally and
// presses both buttons; whether that ended the saver.
bool MouseEndsAfterStartUp(const char* commandLine, int mouseSense) {
    DerivePaths(GetCommandLineA());
    WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", mouseSense ? "1" : "0",
                               settingsPath);
    if (!StartUp(GetModuleHandleA(nullptr), commandLine, SW_SHOWNOACTIVATE)) return false;
    for (int i = 1; i <= 5; ++i)
        SendMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    SendMessageA(mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(mainWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", "1", settingsPath);
    return shutdownDone;
}

TEST_F(Window, MouseEndsOnlyFullScreenWithMouseSenseOn) {
    char preview[64];
    std::snprintf(preview, sizeof preview, "/p %lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(window)));
    const struct {
        const char* line;
        int sense;
        bool ends;
    } cases[] = {{"/s", 1, true},  {"/s", 0, false}, {"/c", 0, false},
                 {"/c", 1, false}, {"", 1, false},   {preview, 1, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(MouseEndsAfterStartUp(c.line, c.sense), c.ends)
            << c.line << " MOUSESENSE " << c.sense;
        if (mainWindow != window) DestroyWindow(mainWindow);
        mainWindow = window;
        ResetShellState();
        shutdownDone = false;
        Take();
    }
}

TEST_F(Window, KeysReachTheKeyHandlerAndOnlyTheReleaseOfTheHeldKeyClearsIt) {
    Key('1');
    Send(WM_KEYDOWN, '1', 0x40000001);  // auto-repeat toggles again
    Send(WM_SYSKEYDOWN, '3', 1 | (1 << 29));
    Key(VK_NUMPAD7);
    EXPECT_EQ(config.SHOW[SLOT_INFO] * 100 + config.SHOW[SLOT_TIME] * 10 + config.SHOW[SLOT_NEWS2],
              11);
    EXPECT_FALSE(shutdownDone);  // keys never end the saver here; the game frame decides
    runState = 2;
    lastFrameTime = 100;
    Key('A');
    Key('B');
    lastFrameTime = 111;  // a game frame ran while B was held
    Send(WM_KEYUP, 'A', 0xC0000001);
    EXPECT_EQ(heldKey, 'B');
    Send(WM_KEYUP, 'B', 0xC0000001);
    EXPECT_EQ(heldKey, 0);
    const std::pair<WPARAM, int> hotKeys[] = {
        {0xBF01, VK_SNAPSHOT}, {0xBF02, 0x101}, {0xBF03, 0x101}};
    for (const auto& h : hotKeys) {
        EXPECT_EQ(Send(WM_HOTKEY, h.first, 0), 0);
        EXPECT_EQ(heldKey, h.second) << h.first;
    }
}

// Handles the window's timer messages as the loop would, until heldKey is 0 or 3 s have passed.
bool HeldKeyClearedByTimer(HWND window) {
    const DWORD start = GetTickCount();
    while (heldKey != 0 && GetTickCount() - start < 3000) {
        MSG msg;
        if (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE))
            DispatchMessageA(&msg);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
    }
    return heldKey == 0;
}

TEST_F(Window, AKeyTappedBeforeAnyGameFrameStaysHeldUntilOneHasRun) {
    runState = 1;  // during the title screen
    lastFrameTime = 100;
    Key(VK_ESCAPE);
    Send(WM_KEYUP, VK_ESCAPE, 0xC0000001);
    lastFrameTime = 4100;
    runState = 2;
    EXPECT_FALSE(HeldKeyClearedByTimer(window));  // no game frame yet
    lastFrameTime = 4111;
    EXPECT_TRUE(HeldKeyClearedByTimer(window));
    Key('A');  // a second key pressed while the first's release waits is held as usual
    Send(WM_KEYUP, 'A', 0xC0000001);
    Key('B');
    lastFrameTime = 6000;
    EXPECT_FALSE(HeldKeyClearedByTimer(window));
    EXPECT_EQ(heldKey, 'B');
}

TEST_F(Window, MoveActivationAndTheCursor) {
    kaDraw::displayWidth = 640;
    kaDraw::displayHeight = 480;
    Send(WM_MOVE, 0, MAKELPARAM(-20, 30));
    EXPECT_EQ(kaDraw::presentDest.left * 1000 + kaDraw::presentDest.top, -20 * 1000 + 30);
    EXPECT_EQ(kaDraw::presentDest.right, 620);
    Send(WM_MOVE, 0, MAKELPARAM(32768, 65535));  // 32768 itself stays positive
    EXPECT_EQ(windowOrigin.x, 32768);
    EXPECT_EQ(windowOrigin.y, -1);
    kaDraw::displayWidth = kaDraw::displayHeight = 0;
    dialogOpen = true;
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_FALSE(appActive);  // waits for the dialog
    dialogOpen = false;
    frameDelta = 5.0f;
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(appActive);
    EXPECT_EQ(frameDelta, 0.0f);
    ShowCursor(FALSE);
    cursorShown = false;
    Send(WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(cursorShown);  // deactivation shows a hidden cursor again
    fullScreen = true;
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(
        Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
        TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(Window, CloseFromOutsideShutsDownOnceAndShutdownFirstPostsOneClose) {
    ASSERT_NE(NewMainWindow(false), nullptr);
    Send(WM_CLOSE);
    EXPECT_TRUE(shutdownDone && closeState == 2 && !IsWindow(mainWindow));
    Taken t = Take();
    EXPECT_EQ(t.closes * 10 + t.quits, 1);  // nothing posted; WM_DESTROY posted WM_QUIT
    shutdownDone = false;
    closeState = 0;
    ASSERT_NE(NewMainWindow(false), nullptr);
    EXPECT_TRUE(Shutdown() && Shutdown());
    EXPECT_TRUE(IsWindow(mainWindow));
    t = Take(true);  // the posted WM_CLOSE only destroys the window
    EXPECT_EQ(t.closes * 10 + t.quits, 11);
    EXPECT_FALSE(IsWindow(mainWindow));
    shutdownDone = false;
    closeState = 0;
    ASSERT_NE(NewMainWindow(true), nullptr);
    ShowWindow(mainWindow, SW_SHOW);
    Shutdown();
    EXPECT_TRUE(IsIconic(mainWindow));  // full screen: minimised before the close request
    EXPECT_EQ(Take(true).closes, 1);
    shutdownDone = false;
    closeState = 0;
    previewMode = true;
    host = NewMainWindow(false);
    mainWindow = CreateWindowExA(0, "DEFAULT", "KORAVEN", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, host,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    Shutdown();
    EXPECT_FALSE(IsIconic(mainWindow) || IsIconic(host));  // a preview is not minimised
}

TEST_F(Window, ShutdownReleasesEverythingAndNoFrameRunsAfterIt) {
    fullScreen = false;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    kaDraw::Screen(640, 480, 1);
    ASSERT_TRUE(kaDraw::directDraw && kaDraw::backScreen && kaDraw::sprite3D && FontDesc);
    ka3D::Mesh box;
    ka3D::BuildBoxMesh(0.5f, &box);
    ka3D::Frame* frames[6] = {};
    ka3D::LoadObjectFromMesh(box, 6, frames);
    ASSERT_TRUE(CheckSingleInstance(UniqueName("KVREL").c_str()));
    HANDLE mutex = instanceMutex;
    RECT small = {10, 10, 50, 50};
    ClipCursor(&small);
    // The third counted move, a fourth and a button press, all waiting before any close.
    for (int i = 0; i < 4; ++i) PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(103, 103));
    MSG msg;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
        DispatchMessageA(&msg);
    ASSERT_TRUE(shutdownDone);
    for (void* p : {static_cast<void*>(kaDraw::directDraw), static_cast<void*>(kaDraw::frontScreen),
                    static_cast<void*>(kaDraw::backScreen), static_cast<void*>(kaDraw::sprite3D),
                    static_cast<void*>(kaDraw::zBuffer), static_cast<void*>(kaDraw::clipper),
                    static_cast<void*>(kaDraw::directSound), static_cast<void*>(FontDesc),
                    static_cast<void*>(instanceMutex)})
        EXPECT_EQ(p, nullptr);
    for (const kaDraw::SpriteRecord& r : kaDraw::sprites)
        ASSERT_TRUE(!r.surface && !r.name[0] && !r.width);
    EXPECT_TRUE(ka3D::scene.released);  // frames stay valid for their holders
    RECT clip = {};
    GetClipCursor(&clip);
    EXPECT_GT(clip.right - clip.left, 40);
    // The loop handles the one posted close (and WM_QUIT) before any frame and ends with 0.
    appActive = runWhileInactive = true;
    frameDelta = -1.0f;
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frameDelta, -1.0f);
    EXPECT_FALSE(IsWindow(window));
    CloseHandle(mutex);
}

}  // namespace
