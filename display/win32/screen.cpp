// Display set-up, the display's and the sound's share of the shutdown, and the screen depth.
#include <cstring>

#include "common/error_report.h"
#include "common/hooks.h"
#include "common/program_directory.h"
#include "common/sjis.h"
#include "display/win32/kadraw.h"
#include "settings/desktop_size.h"
#include "settings/settings.h"
#include "scene3d/ka3d.h"
#include "common/frame_pacer.h"
#include "common/shell_state.h"
#include "common/win32/shell_handles.h"

namespace kaDraw {

namespace {

const char kMethod[] = "kaDraw::Screen";

int Fail(const char* message) {
    return ReportError(kMethod, message);
}

// Keeps the first enumerated device whose driver has 3D acceleration and texture support.
BOOL WINAPI ChooseDevice(GUID* guid, LPSTR, LPSTR, LPVOID) {
    IDirectDraw* candidate = nullptr;
    if (DirectDrawCreate(guid, &candidate, nullptr) != DD_OK || !candidate) return DDENUMRET_OK;
    DDCAPS driver = {};
    DDCAPS emulation = {};
    driver.dwSize = sizeof driver;
    emulation.dwSize = sizeof emulation;
    if (candidate->GetCaps(&driver, &emulation) == DD_OK && (driver.dwCaps & DDCAPS_3D) &&
        (driver.ddsCaps.dwCaps & DDSCAPS_TEXTURE)) {
        directDraw = candidate;
        return DDENUMRET_CANCEL;
    }
    candidate->Release();
    return DDENUMRET_OK;
}

DWORD MemoryCaps(int memoryMode) {
    return (memoryMode == 1 || memoryMode == 3) ? 0 : DDSCAPS_SYSTEMMEMORY;
}

HRESULT CreatePlain(DWORD caps, int width, int height, IDirectDrawSurface** surface) {
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = caps;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    return CreateDisplaySurface(desc, surface);
}

// Exclusive full screen in the 16-bit mode of the RESOLUTION row, or in the desktop's own mode
// unchanged; false where DirectDraw refuses either.
bool TakeFullScreen(int width, int height) {
    if (!directDraw) return false;
    const DWORD level = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE;
    if (directDraw->SetCooperativeLevel(mainWindow, level) != DD_OK) return false;
    if (DesktopSizeInUse()) return true;
    return directDraw->SetDisplayMode(width, height, 16) == DD_OK;
}

void ClearRecord(SpriteRecord& record) {
    record.surface = nullptr;
    std::memset(record.name, 0, sizeof record.name);
    record.colorKey = 0;
    record.width = 0;
    record.height = 0;
}

struct InternalSpriteText {
    const char* name;
    const char* failure;
};

const InternalSpriteText kInternalSprites[] = {
    {"内部用１", "Bufferスプライトが生成できません"},
    {"内部用２", "Screenスプライトが生成できません"},
    {"内部用３", "Fontスプライトが生成できません"},
    {"内部用４", "Fontバッファスプライトが生成できません"},
};

int CreateInternalSprites(int width, int height) {
    for (int i = SPRITE_BUFFER; i <= SPRITE_FONT_BUFFER; ++i) {
        SpriteRecord& record = sprites[i];
        ClearRecord(record);
        IDirectDrawSurface* surface = nullptr;
        if (CreatePlain(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, width, height, &surface) !=
            DD_OK) {
            return Fail(kInternalSprites[i].failure);
        }
        record.surface = surface;
        SetSourceColorKey(surface, 0);
        CopyBounded(record.name, kSpriteNameSize, kInternalSprites[i].name);
        record.colorKey = 0;
        record.width = static_cast<uint16_t>(width);
        record.height = static_cast<uint16_t>(height);
    }
    return 1;
}

void OpenSound() {
    soundAvailable = false;
    if (DirectSoundCreate(nullptr, &directSound, nullptr) != DS_OK || !directSound) {
        directSound = nullptr;
        return;
    }
    if (directSound->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY) != DS_OK) {
        directSound->SetCooperativeLevel(mainWindow, DSSCL_NORMAL);
    }
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    if (directSound->CreateSoundBuffer(&desc, &primaryBuffer, nullptr) != DS_OK) {
        primaryBuffer = nullptr;
    }
    soundAvailable = true;
}

// Everything that runs after the 3D device: sound, then input and fonts. The text layer needs
// the font description even without a sound device, so those two run either way.
int FinishSetup() {
    OpenSound();
    if (hooks.resetInput) hooks.resetInput();
    if (hooks.allocateFonts) hooks.allocateFonts();
    return soundAvailable ? 1 : 0;
}

template <typename T>
void ReleaseObject(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

int Screen(int width, int height, int memoryMode) {
    InstallErrorBox();
    char module[kProgramDirectorySize] = {};
    GetModuleFileNameA(instanceHandle, module, sizeof module - 1);
    SetModulePath(module);

    // 1. Sizes and the clip rectangle.
    displayWidth = width;
    displayHeight = height;
    clipRect = {0, 0, width, height};

    // 2. Device choice: the first with 3D and textures, else the default display device. Where
    // the settings choose GDI for full screen, DirectDraw is not opened at all.
    const bool gdiChosen = fullScreen && config.USEGDI;
    if (!directDraw && !gdiChosen) {
        DirectDrawEnumerateA(ChooseDevice, nullptr);
        if (!directDraw && (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK)) {
            directDraw = nullptr;
            if (!fullScreen) return 0;
        }
    }

    // 3. Cooperative level; 4. the display mode in full screen. Where DirectDraw refuses full
    // screen, the GDI present path at the desktop's size instead.
    if (!fullScreen && directDraw->SetCooperativeLevel(mainWindow, DDSCL_NORMAL) != DD_OK) return 0;
    if (fullScreen && (gdiChosen || !TakeFullScreen(width, height))) {
        StartGdiScreen();
        width = DesktopWidth();
        height = DesktopHeight();
        displayWidth = width;
        displayHeight = height;
        clipRect = {0, 0, width, height};
    }

    // 5., 6. Front and back screens.
    const DWORD memory = MemoryCaps(memoryMode);
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | memory;
    if (!gdiScreen && CreateDisplaySurface(desc, &frontScreen) != DD_OK) {
        frontScreen = nullptr;
        return Fail("表画面が生成できません");
    }
    // The processor works on the back screen every frame (GDI text of the overlay lines, the
    // 3D sprite laid over it), and on the 3D sprite (the 3D layer's rasterizer draws into it
    // through a lock): both live in system memory, where neither a lock nor a GDI call has to
    // copy the picture out of the driver's memory and back. The front screen stays where the
    // memory mode puts it.
    if (CreatePlain(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, width, height, &backScreen) !=
        DD_OK) {
        backScreen = nullptr;
        return Fail("裏画面が生成できません");
    }

    // 7. In a window the clipper keeps presents inside it.
    if (!fullScreen) {
        if (directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK) {
            clipper = nullptr;
            return Fail("クリップが生成できません");
        }
        if (clipper->SetHWnd(0, mainWindow) != DD_OK) {
            return Fail("クリップにウィンドウハンドルを設定できません");
        }
        if (frontScreen->SetClipper(clipper) != DD_OK) return Fail("表画面をクリップできません");
    }

    // 8. Internal sprites.
    if (!CreateInternalSprites(width, height)) return 0;

    // 9. Pixel format of the back screen. A palette surface has no channel masks; its record
    // keeps shifts of 0 and set-up goes on.
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    if (backScreen->GetPixelFormat(&format) != DD_OK) return Fail("ピクセル情報が取得できません");
    ComputePixelFormat(static_cast<int>(format.dwRGBBitCount), format.dwRBitMask, format.dwGBitMask,
                       format.dwBBitMask, pixelFormat);

    // 10. The other records stay free; 11. presentation rectangles.
    for (int i = SPRITE_FONT_BUFFER + 1; i < kSpriteCount; ++i) ClearRecord(sprites[i]);
    SetPresentDestination(windowOrigin.x, windowOrigin.y);
    presentSource = {0, 0, width, height};

    // 12. The 3D layer chooses its device and how the Z-buffer is made.
    ka3D::SetDisplayForConfig(width, height, static_cast<uint32_t>(FreeVideoMemory()));
    ka3D::Config();

    // 13. 3D sprite, keyed on black.
    desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_CKSRCBLT;
    desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddckCKSrcBlt.dwColorSpaceLowValue = 0;
    desc.ddckCKSrcBlt.dwColorSpaceHighValue = 0;
    if (CreateDisplaySurface(desc, &sprite3D) != DD_OK) {
        sprite3D = nullptr;
        return Fail("3Dスプライトが生成できません");
    }

    // 14. Z-buffer, as deep as the 3D layer chose. The 3D layer's rasterizer reads and writes
    // every depth value with the processor, so the Z-buffer lives in system memory whatever the
    // device choice says about video memory: there each access would cross the bus, and a
    // system-memory 3D sprite may refuse a video-memory Z-buffer.
    desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwZBufferBitDepth = static_cast<DWORD>(ka3D::ZBufferDepth());
    if (CreateDisplaySurface(desc, &zBuffer) != DD_OK) {
        zBuffer = nullptr;
        return Fail("Z Bufferが生成できません");
    }

    // 15. The Z-buffer belongs to the surface the 3D device renders into.
    HRESULT hr = sprite3D->AddAttachedSurface(zBuffer);
    if (hr == DDERR_CANNOTATTACHSURFACE) return Fail("裏画面(RAM)にZ Bufferを接続できません");
    if (hr != DD_OK) return Fail("Z Bufferが接続できません");

    // 16. The 3D device on the 3D sprite.
    ka3D::SetRenderTargetSource(LockRenderTarget);
    ka3D::Init();

    // 17.-19. Sound, input, fonts.
    if (!FinishSetup()) return 0;
    return 1;
}

DWORD FreeVideoMemory() {
    if (!directDraw) return 0;
    DDCAPS driver = {};
    DDCAPS emulation = {};
    driver.dwSize = sizeof driver;
    emulation.dwSize = sizeof emulation;
    if (directDraw->GetCaps(&driver, &emulation) != DD_OK) return 0;
    return driver.dwVidMemFree;
}

void ReleaseSound() {
    if (soundAvailable) {
        ReleaseObject(primaryBuffer);
        ReleaseObject(directSound);
    }
    soundAvailable = false;
}

void Release() {
    if (!directDraw && !gdiScreen) return;
    UnlockRenderSurfaces();
    WriteFrameLog();
    for (SpriteRecord& record : sprites) {
        if (!record.surface) continue;
        record.surface->Release();
        ClearRecord(record);
    }
    if (!fullScreen) ReleaseObject(clipper);
    ReleaseObject(frontScreen);
    ReleaseObject(backScreen);
    ReleaseObject(sprite3D);
    ReleaseObject(zBuffer);
    if (fullScreen && directDraw) {
        directDraw->RestoreDisplayMode();
        directDraw->SetCooperativeLevel(mainWindow, DDSCL_NORMAL);
    }
    ReleaseObject(directDraw);
    gdiScreen = false;
}

int RefreshRate() {
    DWORD reported = 0;
    if (directDraw && directDraw->GetMonitorFrequency(&reported) != DD_OK) reported = 0;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    DWORD desktop = 0;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        desktop = mode.dmDisplayFrequency;
    return ChooseRefreshRate(static_cast<int>(reported), static_cast<int>(desktop));
}

void SetPresentDestination(int x, int y) {
    presentDest = {x, y, x + displayWidth, y + displayHeight};
}

}  // namespace kaDraw
