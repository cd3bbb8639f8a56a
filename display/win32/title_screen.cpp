// The title screen: the title line for three seconds, its fade over one second, the field of
// 900 block objects, the news notice, then the game.
#include "display/win32/title_screen.h"

#include <windows.h>
#include <mmsystem.h>

#include "common/hooks.h"
#include "common/random.h"
#include "common/shell_state.h"
#include "common/well_grid.h"
#include "common/win32/frame_clock.h"
#include "display/four_by_three.h"
#include "display/win32/kadraw.h"
#include "scene3d/ka3d.h"
#include "scene3d/win32/block_file.h"
#include "settings/settings.h"

const char kTitleLine[] = "KORAVEN  by KORAVEN Project  2002/12/3";
const char kNewsNotice[] = "ニュース読み込み中．．．";

namespace {

// Scales a 640-wide layout value to the display width, truncating.
int Scaled(int value, int w) {
    return value * w / 640;
}

// The layout is for a 640-wide 4:3 screen; on a wider one it keeps to the 4:3 area in the
// middle, so the text stays on screen and as high as the screen allows.
TitleTextPlace PlaceAt(int left, int w, int h) {
    const HorizontalSpan area = FourByThreeArea(w, h);
    const int a = area.width;
    return TitleTextPlace{area.left + Scaled(left, a), Scaled(216, a), area.left + a, h,
                          Scaled(24, a)};
}

// One picture: the text in the given GDI colour on a cleared back screen, presented.
void ShowText(const TitleTextPlace& place, const char* text, COLORREF color) {
    if (!hooks.showTextPicture) return;
    hooks.showTextPicture(place.size, color, place.left, place.top, place.right, place.bottom,
                          text);
}

void PrepareScene(int w, int h) {
    ka3D::SetBackground(0, 0, 0);
    ka3D::CreateCamera(1, 0, 0, w, h);
    ka3D::SetAmbient(0.35f);
    ka3D::CreateLight(1, 0.7f, 3);
    ka3D::UseFrameColor();
    ka3D::LoadObjectFromFile(OpenBlockFile(config.BLOCKFILE), kBlockCount, blockFrames);
    SetWellBounds(config.WIDTH, config.HEIGHT);
    LayBlockGrid();
    ka3D::PlaceFrames(blockFrames, blockPositions, kBlockCount);
}

}  // namespace

TitleTextPlace TitleLinePlace(int w, int h) {
    return PlaceAt(160, w, h);
}
TitleTextPlace NewsNoticePlace(int w, int h) {
    return PlaceAt(200, w, h);
}

void RunTitleScreen() {
    SeedRand(timeGetTime());
    POINT cursor;
    if (GetCursorPos(&cursor)) SetCursorPos(cursor.x, cursor.y);

    const int w = kaDraw::displayWidth;
    const int h = kaDraw::displayHeight;
    const TitleTextPlace title = TitleLinePlace(w, h);
    const bool showTitle = config.TITLE != 0;

    if (showTitle && !previewMode) ShowText(title, kTitleLine, RGB(255, 255, 255));

    PrepareScene(w, h);

    if (showTitle) {
        if (previewMode) {
            runState = RUN_GAME;
            return;
        }
        Pause(3000);
        // The grey steps down with the time gone; the last picture drawn is at least 1.
        DWORD t0 = timeGetTime();
        DWORD elapsed = 0;
        do {
            PaceFrame();
            const int g = 255 - static_cast<int>(elapsed * 255 / 1000);
            ShowText(title, kTitleLine, RGB(g, g, g));
            const DWORD now = timeGetTime();
            elapsed += now - t0;
            t0 = now;
        } while (elapsed < 1000);
    }

    if (!previewMode && (config.SHOW[SLOT_NEWS1] || config.SHOW[SLOT_NEWS2])) {
        ShowText(NewsNoticePlace(w, h), kNewsNotice, RGB(0, 0x9B, 0x9B));
    }
    runState = RUN_GAME;
}
