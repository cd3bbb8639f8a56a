// The saver's window procedure under Wine, driven with real messages sent to a real window of
// class "DEFAULT": what ends the saver and what must not, the keys, the hot keys, window
// position and activation.
#include <cstdio>
#include <cstring>

#include "display/win32/kadraw.h"
#include "main_window_fixture.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/win32/window_proc.h"

namespace {

using Input = MainWindowTest;

TEST_F(Input, ThirdDiagonalMoveEndsTheSaverAndClosesOnce) {
    Move(100, 100);
    EXPECT_EQ(mouseMoveCount, 1);
    Move(101, 101);
    EXPECT_EQ(mouseMoveCount, 2);
    EXPECT_FALSE(shutdownDone);
    Move(102, 102);
    EXPECT_EQ(mouseMoveCount, 3);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(closeState, 2);
    Move(103, 103);  // a fourth, still queued before the close
    EXPECT_EQ(TakeCloses(), 1);
}

TEST_F(Input, MovesAlongOneAxisNeverCount) {
    Move(100, 100);
    for (int i = 1; i <= 40; ++i) {
        Move(100 + i, 99 + i);   // right
        Move(100 + i, 100 + i);  // then down: each move changes one coordinate only
    }
    Move(140, 140);  // no change at all
    EXPECT_EQ(mouseMoveCount, 1);
    EXPECT_FALSE(shutdownDone);
    EXPECT_EQ(TakeCloses(), 0);
}

TEST_F(Input, ButtonPressEndsAtOnceAndDoubleClicksAreSwallowed) {
    EXPECT_EQ(Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(Send(WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Send(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(shutdownDone);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(mouseMoveCount, 0);
    EXPECT_EQ(TakeCloses(), 1);

    TearDown();
    SetUp();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(TakeCloses(), 1);
}

// Starts the way the entry does, with MOUSESENSE written to the settings file first, then
// moves the mouse diagonally and presses both buttons.
bool MouseEndsAfterStartUp(const char* commandLine, int mouseSense) {
    DerivePaths(GetCommandLineA());
    WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", mouseSense ? "1" : "0",
                               settingsPath);
    if (!StartUp(GetModuleHandleA(nullptr), commandLine, SW_SHOWNOACTIVATE)) return false;
    for (int i = 1; i <= 5; ++i) {
        SendMessageA(mainWindow, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    }
    SendMessageA(mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(mainWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    const bool ended = shutdownDone;
    DestroyWindow(mainWindow);
    return ended;
}

TEST_F(Input, MouseEndsOnlyFullScreenWithMouseSenseOn) {
    EXPECT_TRUE(MouseEndsAfterStartUp("/s", 1));
    for (const char* line : {"/s", "/c", ""}) {
        TearDown();
        SetUp();
        EXPECT_FALSE(MouseEndsAfterStartUp(line, 0)) << "MOUSESENSE 0, " << line;
        EXPECT_EQ(mouseMoveCount, 0);
    }
    for (const char* line : {"/c", ""}) {
        TearDown();
        SetUp();
        EXPECT_FALSE(MouseEndsAfterStartUp(line, 1)) << "configure " << line;
    }
    // Preview inside a host window of our own.
    TearDown();
    SetUp();
    char preview[64];
    std::snprintf(preview, sizeof preview, "/p %lld",
                  static_cast<long long>(reinterpret_cast<intptr_t>(window)));
    EXPECT_FALSE(MouseEndsAfterStartUp(preview, 1));
    EXPECT_TRUE(previewMode);
    // Leave the settings file with the mouse on for whoever reads it next.
    WritePrivateProfileStringA(kSettingsSection, "MOUSESENSE", "1", settingsPath);
}

TEST_F(Input, DigitKeysToggleTheirLineTwiceBackAndKeypadDigitsAreTheSame) {
    config.SHOW[SLOT_INFO] = 1;
    Key('1');
    EXPECT_EQ(config.SHOW[SLOT_INFO], 0);
    Key('1');
    EXPECT_EQ(config.SHOW[SLOT_INFO], 1);
    Key(VK_NUMPAD1);
    EXPECT_EQ(config.SHOW[SLOT_INFO], 0);
    EXPECT_EQ(heldKey, VK_NUMPAD1);
    // Auto-repeat is one more key-down each time: it toggles again.
    Key('7');
    Send(WM_KEYDOWN, '7', 0x40000001);
    EXPECT_EQ(config.SHOW[SLOT_NEWS2], 0);
    // WM_SYSKEYDOWN reaches the key handler too.
    Send(WM_SYSKEYDOWN, '3', 1 | (1 << 29));
    EXPECT_EQ(config.SHOW[SLOT_TIME], 1);
    for (int s : {SLOT_FPS, SLOT_DATE, SLOT_MSG, SLOT_NEWS1}) EXPECT_EQ(config.SHOW[s], 0);
    EXPECT_FALSE(shutdownDone);  // keys never end the saver here; the game frame decides
}

TEST_F(Input, KeypadPlusAndMinusWrapOverThreeHeadlines) {
    NewsCount[0] = 3;
    for (int i = 0; i < 3; ++i) std::snprintf(NewsHeadlines[0][i], kHeadlineSize, "news %d", i);
    NewsCurrent[0] = 2;
    Key(VK_ADD);
    EXPECT_EQ(NewsCurrent[0], 0);
    EXPECT_STREQ(overlayLines[5].text, "news 0");
    Key(VK_SUBTRACT);
    EXPECT_EQ(NewsCurrent[0], 2);
    EXPECT_STREQ(overlayLines[5].text, "news 2");
    EXPECT_EQ(NewsCurrent[1], 0);  // no headlines: not stepped
    EXPECT_STREQ(overlayLines[6].text, "");
    NewsCountdown[0] = NewsCountdown[1] = 50.0f;
    Key(VK_DECIMAL);
    EXPECT_EQ(NewsCountdown[0], 0.0f);
    EXPECT_EQ(NewsCountdown[1], 0.0f);
}

TEST_F(Input, OnlyTheReleaseOfTheHeldKeyClearsIt) {
    runState = 2;
    lastFrameTime = 100;
    Key('A');
    Key('B');
    lastFrameTime = 111;  // a game frame ran while B was held
    Send(WM_KEYUP, 'A', 0xC0000001);
    EXPECT_EQ(heldKey, 'B');
    Send(WM_KEYUP, 'B', 0xC0000001);
    EXPECT_EQ(heldKey, 0);
    // A key that came as a system key stays held after its release.
    Send(WM_SYSKEYDOWN, VK_MENU, 1 | (1 << 29));
    lastFrameTime = 122;
    Send(WM_SYSKEYUP, VK_MENU, 0xC0000001);
    EXPECT_EQ(heldKey, VK_MENU);
}

// Handles the window's timer messages as the loop would, until heldKey is 0 or 3 s have passed.
bool HeldKeyClearedByTimer(HWND window) {
    const DWORD start = GetTickCount();
    while (heldKey != 0 && GetTickCount() - start < 3000) {
        MSG msg;
        if (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
        }
    }
    return heldKey == 0;
}

TEST_F(Input, AKeyTappedBeforeAnyGameFrameStaysHeldUntilOneHasRun) {
    // Pressed and released during the title screen: still held when the game begins.
    runState = 1;
    lastFrameTime = 100;
    Key(VK_ESCAPE);
    Send(WM_KEYUP, VK_ESCAPE, 0xC0000001);
    EXPECT_EQ(heldKey, VK_ESCAPE);
    lastFrameTime = 4100;  // the title frame
    runState = 2;
    EXPECT_FALSE(HeldKeyClearedByTimer(window));  // no game frame yet
    EXPECT_EQ(heldKey, VK_ESCAPE);
    lastFrameTime = 4111;  // the first game frame saw it
    EXPECT_TRUE(HeldKeyClearedByTimer(window));

    // Tapped in the game between two frames: held over the next frame only.
    lastFrameTime = 5000;
    Key(VK_LEFT);
    Send(WM_KEYUP, VK_LEFT, 0xC0000001);
    EXPECT_EQ(heldKey, VK_LEFT);
    lastFrameTime = 5011;
    EXPECT_TRUE(HeldKeyClearedByTimer(window));

    // A second key pressed while the first's release waits is held as usual.
    Key('A');
    Send(WM_KEYUP, 'A', 0xC0000001);
    Key('B');
    lastFrameTime = 6000;
    EXPECT_FALSE(HeldKeyClearedByTimer(window));
    EXPECT_EQ(heldKey, 'B');
}

TEST_F(Input, HotKeysGiveTheirKeyCodes) {
    EXPECT_EQ(Send(WM_HOTKEY, 0xBF01, 0), 0);
    EXPECT_EQ(heldKey, VK_SNAPSHOT);
    EXPECT_EQ(Send(WM_HOTKEY, 0xBF02, 0), 0);
    EXPECT_EQ(heldKey, 0x101);
    EXPECT_EQ(Send(WM_HOTKEY, 0xBF03, 0), 0);
    EXPECT_EQ(heldKey, 0x101);
}

TEST_F(Input, MoveFollowsTheWindowWithNegativeCoordinates) {
    kaDraw::displayWidth = 640;
    kaDraw::displayHeight = 480;
    Send(WM_MOVE, 0, MAKELPARAM(-20, 30));
    EXPECT_EQ(windowOrigin.x, -20);
    EXPECT_EQ(windowOrigin.y, 30);
    EXPECT_EQ(kaDraw::presentDest.left, -20);
    EXPECT_EQ(kaDraw::presentDest.top, 30);
    EXPECT_EQ(kaDraw::presentDest.right, 620);
    EXPECT_EQ(kaDraw::presentDest.bottom, 510);
    Send(WM_MOVE, 0, MAKELPARAM(32768, 65535));  // 32768 itself stays positive
    EXPECT_EQ(windowOrigin.x, 32768);
    EXPECT_EQ(windowOrigin.y, -1);
    kaDraw::displayWidth = kaDraw::displayHeight = 0;
}

TEST_F(Input, ActivationWaitsForTheDialogAndResetsTheFrameClock) {
    dialogOpen = true;
    EXPECT_EQ(Send(WM_ACTIVATEAPP, TRUE, 0), 0);
    EXPECT_FALSE(appActive);
    dialogOpen = false;
    frameDelta = 5.0f;
    lastFrameTime = 1;
    Send(WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(appActive);
    EXPECT_EQ(frameDelta, 0.0f);
    EXPECT_NE(lastFrameTime, 1u);
    // Deactivation shows a hidden cursor again.
    ShowCursor(FALSE);
    cursorShown = false;
    EXPECT_EQ(Send(WM_ACTIVATEAPP, FALSE, 0), 0);
    EXPECT_FALSE(appActive);
    EXPECT_TRUE(cursorShown);
}

TEST_F(Input, NoCursorOverTheFullScreenSaver) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
    fullScreen = true;
    EXPECT_EQ(
        Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
        TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
}

}  // namespace
