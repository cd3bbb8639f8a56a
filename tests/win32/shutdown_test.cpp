// The shutdown under Wine, reached through the real window procedure with real messages: requests
// queued before the close give one close request, and after a shutdown of a real display every
// released object is null and no frame runs. (The close from outside, the minimising and the
// mutex are tested with the entry in shell_test.cpp.)
#include <cstring>

#include "display/win32/kadraw.h"
#include "main_window_fixture.h"
#include "overlay/win32/fonts.h"
#include "scene3d/box_mesh.h"
#include "scene3d/ka3d.h"
#include "scene3d/scene.h"

namespace {

using Shutdown_ = MainWindowTest;

TEST_F(Shutdown_, RequestsQueuedBeforeTheCloseGiveExactlyOneClose) {
    fullScreen = false;
    // The third counted move, a fourth and a button press, all waiting before any close.
    for (int i = 0; i < 4; ++i) PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(100 + i, 100 + i));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(103, 103));
    MSG msg;
    int handled = 0;
    while (PeekMessageA(&msg, window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        DispatchMessageA(&msg);
        ++handled;
    }
    EXPECT_EQ(handled, 5);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(mouseMoveCount, 4);
    EXPECT_EQ(TakeCloses(), 1);

    // The close it posted only destroys the window; the loop then ends with 0.
    PostMessageA(window, WM_CLOSE, 0, 0);
    runWhileInactive = true;
    frameDelta = -1.0f;
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frameDelta, -1.0f);  // no frame ran
}

TEST_F(Shutdown_, EverythingReleasedIsNullAndNoFrameRunsAfterwards) {
    fullScreen = false;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    kaDraw::Screen(640, 480, 1);  // 0 on the bench: it has no sound device
    ASSERT_TRUE(ErrorReports().empty()) << ErrorReports()[0];
    ASSERT_NE(kaDraw::directDraw, nullptr);
    ASSERT_NE(kaDraw::backScreen, nullptr);
    ASSERT_NE(kaDraw::sprite3D, nullptr);
    ASSERT_NE(FontDesc, nullptr);
    ka3D::Mesh box;
    ka3D::BuildBoxMesh(0.5f, &box);
    ka3D::Frame* frames[6] = {};
    ka3D::LoadObjectFromMesh(box, 6, frames);
    ASSERT_EQ(ka3D::ShownFrameCount(), 6);
    ASSERT_FALSE(ka3D::scene.released);
    ASSERT_TRUE(CheckSingleInstance("KORAVEN-shutdown-test"));
    HANDLE mutex = instanceMutex;
    ASSERT_NE(mutex, nullptr);
    RECT small = {10, 10, 50, 50};
    ClipCursor(&small);

    EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)), 0);
    ASSERT_TRUE(shutdownDone);

    EXPECT_EQ(kaDraw::directDraw, nullptr);
    EXPECT_EQ(kaDraw::frontScreen, nullptr);
    EXPECT_EQ(kaDraw::backScreen, nullptr);
    EXPECT_EQ(kaDraw::sprite3D, nullptr);
    EXPECT_EQ(kaDraw::zBuffer, nullptr);
    EXPECT_EQ(kaDraw::clipper, nullptr);
    EXPECT_EQ(kaDraw::directSound, nullptr);
    EXPECT_EQ(kaDraw::primaryBuffer, nullptr);
    EXPECT_FALSE(kaDraw::screenReady);
    for (int i = 0; i < kaDraw::kSpriteCount; ++i) {
        const kaDraw::SpriteRecord& r = kaDraw::sprites[i];
        ASSERT_TRUE(r.surface == nullptr && r.name[0] == '\0' && r.colorKey == 0 && r.width == 0 &&
                    r.height == 0)
            << "sprite " << i;
    }
    EXPECT_EQ(FontDesc, nullptr);
    EXPECT_TRUE(ka3D::scene.released);  // frames stay valid for their holders, nothing is drawn
    EXPECT_EQ(instanceMutex, nullptr);
    RECT clip = {};
    GetClipCursor(&clip);
    EXPECT_GT(clip.right - clip.left, 40);  // the clip is gone

    // The loop handles the posted close (and WM_QUIT) before any frame.
    appActive = true;
    runWhileInactive = true;
    frameDelta = -1.0f;
    lastFrameTime = 7;
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frameDelta, -1.0f);
    EXPECT_EQ(lastFrameTime, 7u);
    EXPECT_FALSE(IsWindow(window));
    CloseHandle(mutex);
}

}  // namespace
