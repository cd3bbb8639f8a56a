// The shell under Wine, driven with real messages to real windows of class "DEFAULT": start-up,
// what ends the saver, keys, activation and the cursor, the close and shutdown, the loop's end.
#include <string>
#include <utility>

#include "main_window_fixture.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/scene.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"

namespace {

class Window : public MainWindowTest {
  protected:
    void Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Key(int key) { Send(WM_KEYDOWN, key, 1); }
    void KeyUp(int key) { Send(WM_KEYUP, key, 0xC0000001); }
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

// After two moves that change both coordinates (and one that changes only one): a third such
// move, or a button, on a command line with a MOUSESENSE setting.
struct MouseCase {
    const char* name;
    const char* line;
    const char* sense;
    UINT last;
    bool ends;
};

class MouseEnds : public Window, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(MouseEnds, OnlyAFullScreenSaverWithMouseSenseOn) {
    const MouseCase& c = GetParam();
    DerivePaths(GetCommandLineA());
    WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", c.sense, settingsPath);
    std::string line = c.line;
    if (line == "/p") line += " " + std::to_string(intptr_t(window));
    ASSERT_TRUE(StartUp(GetModuleHandleA(nullptr), line.c_str(), SW_HIDE));
    Move(100, 100);
    Move(101, 100);  // one coordinate only: not counted
    Move(130, 130);
    EXPECT_FALSE(shutdownDone);
    Send(c.last, 0, MAKELPARAM(131, 131));
    EXPECT_EQ(shutdownDone, c.ends);
    Move(132, 132);
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(Take().closes, c.ends ? 1 : 0);  // one close at most
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MouseEnds,
    ::testing::Values(MouseCase{"ThirdMove", "/s", "1", WM_MOUSEMOVE, true},
                      MouseCase{"RightButton", "/s", "1", WM_RBUTTONDOWN, true},
                      MouseCase{"RightButtonSenseOff", "/s", "0", WM_RBUTTONDOWN, false},
                      MouseCase{"ThirdMovePreview", "/p", "1", WM_MOUSEMOVE, false}),
    [](const ::testing::TestParamInfo<MouseCase>& info) { return std::string(info.param.name); });

TEST_F(Window, EachHotKeyHoldsItsOwnKeyCode) {
    EXPECT_EQ(Send(WM_HOTKEY, 0xBF01), 0);
    EXPECT_EQ(heldKey, VK_SNAPSHOT);
    EXPECT_EQ(Send(WM_HOTKEY, 0xBF02), 0);
    EXPECT_EQ(heldKey, 0x101);
}

TEST_F(Window, OnlyTheReleaseOfTheHeldKeyClearsIt) {
    runState = RUN_GAME;
    Key('A');
    Key('B');
    ++gameFrameCount;  // a game frame ran while B was held
    KeyUp('A');
    EXPECT_EQ(heldKey, 'B');
    KeyUp('B');
    EXPECT_EQ(heldKey, 0);
}

TEST_F(Window, AKeyTappedBeforeTheGameStaysHeldUntilAGameFrameRuns) {
    runState = RUN_TITLE;
    Key(VK_ESCAPE);
    KeyUp(VK_ESCAPE);
    runState = RUN_GAME;
    EXPECT_FALSE(HeldKeyCleared(200));
    ++gameFrameCount;
    EXPECT_TRUE(HeldKeyCleared(5000));
}

TEST_F(Window, ActivationRestoresAMinimisedFullScreenWindowAndStartsTheClockAfresh) {
    fullScreen = true;  // minimised by another program's turn in front
    frameDelta = 5.0f;
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    Send(WM_ACTIVATEAPP, TRUE);
    EXPECT_TRUE(appActive);
    EXPECT_EQ(frameDelta, 0.0f);
    EXPECT_FALSE(IsIconic(window));
}

TEST_F(Window, DeactivationShowsAHiddenCursorAgain) {
    cursorShown = false;
    ShowCursor(FALSE);
    Send(WM_ACTIVATEAPP, FALSE);
    EXPECT_FALSE(appActive);
    EXPECT_TRUE(cursorShown);
}

TEST_F(Window, ACloseFromOutsideShutsDownAndDestroysTheWindowWithoutAnotherClose) {
    fullScreen = false;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    EXPECT_EQ(Send(WM_CLOSE), 0);
    EXPECT_TRUE(shutdownDone);
    const Queue queue = Take(true);
    EXPECT_EQ(queue.closes, 0);
    EXPECT_EQ(queue.quits, 1);  // WM_DESTROY posts it
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(Window, AFullScreenShutdownMinimisesThenPostsOneClose) {
    fullScreen = true;
    mainWindow = CreateMainWindow(GetModuleHandleA(nullptr));
    EXPECT_TRUE(Shutdown());
    EXPECT_TRUE(Shutdown());  // the second call does nothing
    EXPECT_TRUE(IsIconic(mainWindow));
    const Queue queue = Take(true);
    EXPECT_EQ(queue.closes, 1);
    EXPECT_EQ(queue.quits, 1);
    EXPECT_EQ(closeState, CLOSE_SHUTDOWN_DONE);
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(Window, ShutdownReleasesTheDisplayTheSoundTheFontAndTheScene) {
    fullScreen = false;
    kaDraw::Screen(640, 480, 1);
    ASSERT_NE(kaDraw::sprite3D, nullptr);
    ASSERT_NE(FontDesc, nullptr);
    ka3D::Mesh box;
    ka3D::Frame* frames[6] = {};
    ka3D::BuildBoxMesh(0.5f, &box);
    ka3D::LoadObjectFromMesh(box, 6, frames);
    Shutdown();
    EXPECT_EQ(kaDraw::directDraw, nullptr);
    EXPECT_EQ(kaDraw::frontScreen, nullptr);
    EXPECT_EQ(kaDraw::backScreen, nullptr);
    EXPECT_EQ(kaDraw::sprite3D, nullptr);
    EXPECT_EQ(kaDraw::zBuffer, nullptr);
    EXPECT_EQ(kaDraw::clipper, nullptr);
    EXPECT_EQ(kaDraw::directSound, nullptr);
    EXPECT_EQ(FontDesc, nullptr);
    for (const kaDraw::SpriteRecord& r : kaDraw::sprites) ASSERT_EQ(r.surface, nullptr);
    EXPECT_TRUE(ka3D::scene.released);  // frames stay valid for their holders
}

TEST_F(Window, ShutdownLetsAnotherThreadOwnTheInstanceMutexYetKeepsItFindable) {
    const std::string name = "KVTEST" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CheckSingleInstance(name.c_str()));
    HANDLE held = instanceMutex;
    EXPECT_FALSE(CheckSingleInstance(name.c_str()));  // a second instance says no
    CloseHandle(std::exchange(instanceMutex, held));
    Shutdown();
    EXPECT_EQ(instanceMutex, nullptr);
    auto own = [](LPVOID mutex) -> DWORD { return WaitForSingleObject(mutex, 2000); };
    HANDLE thread = CreateThread(nullptr, 0, own, held, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    CloseHandle(thread);
    CloseHandle(held);
}

TEST_F(Window, ShutdownLetsTheCursorLeaveTheDisplay) {
    const RECT small = {10, 10, 50, 50};
    ClipCursor(&small);
    Shutdown();
    RECT clip = {};
    ASSERT_TRUE(GetClipCursor(&clip));
    EXPECT_GT(clip.right - clip.left, 40);
}

}  // namespace
