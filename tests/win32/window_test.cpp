// The shell under Wine, driven with real messages to real windows of class "DEFAULT": start-up,
// what ends the saver, keys, activation and the cursor, the close and shutdown, the loop's end.
#include <cstdio>
#include <cstring>
#include <utility>

#include "main_window_fixture.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/scene.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "common/random.h"

namespace {

class Window : public MainWindowTest {
  protected:
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Key(int key, bool up = false) {
        Send(up ? WM_KEYUP : WM_KEYDOWN, key, up ? 0xC0000001 : 1);
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

TEST_F(Window, ConfigureModeRunsItsDialogBeforeTheDisplayAndThenEndsTheLoop) {
    EXPECT_FALSE(StartUp(GetModuleHandleA(nullptr), "/p 99999", SW_SHOW));  // no such host
    ResetShellState();                                                      // a new start
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), "/c:1234", SW_SHOW));
    EXPECT_TRUE(configMode && startHidden && !fullScreen && !IsWindowVisible(mainWindow));
    // The dialog runs modally, owned by the hidden window, before the display is set up.
    HWND owner = nullptr;
    WhenDialogOpens([](HWND) { return !kaDraw::directDraw; },
                    [&](HWND dialog) {
                        owner = GetWindow(dialog, GW_OWNER);
                        ClickButton(dialog, IDCANCEL);
                    });
    StartRun();
    EXPECT_TRUE(modal::done && owner == mainWindow && kaDraw::directDraw && shutdownDone);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(Window, TheThirdDiagonalMoveOrEitherButtonEndsOnlyAFullScreenSaverWithMouseSenseOn) {
    const struct {
        const char *line, *sense;
        UINT last;  // after two counted moves: a third one, or a button
        bool ends;
    } cases[] = {{"/s", "1", WM_MOUSEMOVE, true},    {"/s", "1", WM_LBUTTONDOWN, true},
                 {"/s", "1", WM_RBUTTONDOWN, true},  {"/s", "0", WM_MOUSEMOVE, false},
                 {"/s", "0", WM_RBUTTONDOWN, false}, {"/c", "1", WM_LBUTTONDOWN, false},
                 {"/p", "1", WM_MOUSEMOVE, false}};
    for (const auto& c : cases) {
        DerivePaths(GetCommandLineA());
        WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", c.sense, settingsPath);
        const std::string line =
            c.line + (c.line[1] == 'p' ? " " + std::to_string(intptr_t(window)) : "");
        randomState = 1;
        ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), line.c_str(), SW_HIDE));
        EXPECT_EQ(overlayLines[0].depth * 1000 + overlayLines[0].x, 33035);  // laid out unseeded
        EXPECT_STREQ(settingsPath, "koraven.ini");  // writable: no per-user copy
        EXPECT_EQ(Send(WM_LBUTTONDBLCLK) + Send(WM_RBUTTONDBLCLK), 0);  // swallowed
        Move(100, 100);
        Move(101, 100);  // one coordinate only: not counted
        Move(130, 130);
        EXPECT_FALSE(shutdownDone);
        Send(c.last, 0, MAKELPARAM(131, 131));
        EXPECT_EQ(shutdownDone, c.ends) << c.line << " MOUSESENSE " << c.sense << " " << c.last;
        Move(132, 132);
        Send(WM_LBUTTONDOWN);
        EXPECT_EQ(Take(), c.ends ? 10 : 0);  // one close at most
        TearDown(), SetUp();
    }
}

TEST_F(Window, KeysReachTheKeyHandlerAndOnlyTheReleaseOfTheHeldKeyClearsItAfterAGameFrame) {
    Key('1');
    Send(WM_SYSKEYDOWN, '3', 1 | (1 << 29));
    EXPECT_EQ(config.SHOW[SLOT_INFO] * 10 + config.SHOW[SLOT_TIME], 11);
    for (auto [hotKey, code] : {std::pair{0xBF01, VK_SNAPSHOT}, {0xBF02, 0x101}}) {
        EXPECT_EQ(Send(WM_HOTKEY, hotKey), 0);
        EXPECT_EQ(heldKey, code) << hotKey;
    }
    EXPECT_FALSE(shutdownDone);  // keys never end the saver here; the game frame decides
    runState = RUN_GAME;
    Key('A');
    Key('B');
    ++gameFrameCount;  // a game frame ran while B was held
    Key('A', true);
    EXPECT_EQ(heldKey, 'B');
    Key('B', true);
    EXPECT_EQ(heldKey, 0);
    // A key tapped before any game frame (here in the title screen) stays held until one has run.
    runState = RUN_TITLE;
    Key(VK_ESCAPE);
    Key(VK_ESCAPE, true);
    runState = RUN_GAME;
    EXPECT_FALSE(HeldKeyCleared(200));
    // Losing and regaining the front resets the frame clock but runs no game frame.
    Send(WM_ACTIVATEAPP, FALSE);
    Send(WM_ACTIVATEAPP, TRUE);
    EXPECT_FALSE(HeldKeyCleared(200));
    ++gameFrameCount;
    EXPECT_TRUE(HeldKeyCleared(5000));
    Key('A');  // a second key pressed while the first's release waits is held as usual
    Key('A', true);
    Key('B');
    EXPECT_FALSE(HeldKeyCleared(200));
    EXPECT_EQ(heldKey, 'B');
}

TEST_F(Window, MoveActivationAndTheCursor) {
    kaDraw::displayWidth = 640, kaDraw::displayHeight = 480;
    Send(WM_MOVE, 0, MAKELPARAM(-20, 30));
    const RECT& dest = kaDraw::presentDest;
    EXPECT_TRUE(dest.left == -20 && dest.top == 30 && dest.right == 620);
    Send(WM_MOVE, 0, MAKELPARAM(32768, 65535));  // 32768 itself stays positive
    EXPECT_EQ(windowOrigin.x * 10 + windowOrigin.y, 327679);
    dialogOpen = true;
    Send(WM_ACTIVATEAPP, TRUE);
    EXPECT_FALSE(appActive);  // waits for the dialog
    dialogOpen = false, frameDelta = 5.0f;
    fullScreen = true;  // a full-screen window minimised by another program comes back
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    Send(WM_ACTIVATEAPP, TRUE);
    EXPECT_TRUE(appActive && frameDelta == 0.0f && !IsIconic(window));
    ShowCursor(cursorShown = false);
    Send(WM_ACTIVATEAPP, FALSE);
    EXPECT_TRUE(cursorShown && !appActive);  // deactivation shows a hidden cursor again
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    EXPECT_EQ(Send(WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(Window, ACloseFromOutsideShutsDownOnceAndAShutdownMinimisesAndPostsOneClose) {
    for (bool outside : {true, false}) {
        shutdownDone = false, closeState = 0, fullScreen = !outside;
        mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
        EXPECT_TRUE(outside ? Send(WM_CLOSE) == 0 : Shutdown() && Shutdown());
        EXPECT_EQ(IsIconic(mainWindow) != 0, fullScreen);  // minimised before the close request
        EXPECT_EQ(Take(true), outside ? 1 : 11);           // (WM_DESTROY posts WM_QUIT)
        EXPECT_TRUE(shutdownDone && closeState == 2 && !IsWindow(mainWindow));
    }
}

TEST_F(Window, ShutdownReleasesEverythingLetsTheInstanceGoAndNoFrameRunsAfterIt) {
    fullScreen = false, kaDraw::Screen(640, 480, 1);
    ASSERT_TRUE(kaDraw::directDraw && kaDraw::backScreen && kaDraw::sprite3D && FontDesc);
    ka3D::Mesh box;
    ka3D::Frame* frames[6] = {};
    ka3D::BuildBoxMesh(0.5f, &box), ka3D::LoadObjectFromMesh(box, 6, frames);
    const std::string name = "KVTEST" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CheckSingleInstance(name.c_str()));
    HANDLE held = instanceMutex;
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));  // a second instance says no
    CloseHandle(std::exchange(instanceMutex, held));
    const RECT small = {10, 10, 50, 50};
    ClipCursor(&small);
    for (int i = 0; i < 4; ++i) Send(WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    Send(WM_LBUTTONDOWN);  // the third counted move ended the saver; these do nothing more
    ASSERT_TRUE(shutdownDone);
    using namespace kaDraw;
    for (void* p :
         {(void*)directDraw, (void*)frontScreen, (void*)backScreen, (void*)sprite3D, (void*)zBuffer,
          (void*)clipper, (void*)directSound, (void*)FontDesc, (void*)instanceMutex})
        EXPECT_EQ(p, nullptr);
    for (const SpriteRecord& r : sprites) ASSERT_TRUE(!r.surface && !r.name[0] && !r.width);
    EXPECT_TRUE(ka3D::scene.released);  // frames stay valid for their holders
    RECT clip = {};
    EXPECT_TRUE(GetClipCursor(&clip) && clip.right - clip.left > 40);
    // Another thread can own the mutex now (its handle stays open for a later instance to find).
    auto own = [](LPVOID mutex) -> DWORD { return WaitForSingleObject(mutex, 2000); };
    HANDLE thread = CreateThread(nullptr, 0, own, held, 0, nullptr);
    DWORD code = WaitForSingleObject(thread, 5000) + 99;
    EXPECT_TRUE(GetExitCodeThread(thread, &code) && code == WAIT_OBJECT_0);
    CloseHandle(thread), CloseHandle(held);
    // The loop handles the one posted close (and WM_QUIT) before any frame and ends with 0.
    appActive = runWhileInactive = true, frameDelta = -1.0f;
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frameDelta, -1.0f);
    EXPECT_FALSE(IsWindow(window));
}

}  // namespace
