#pragma once
// kaDraw: the DirectDraw display, its sprite table, frame composition and presentation.
//
// Every object here is created once by Screen() and released once by Release() (called from
// Shutdown). Each pointer is null while its object does not exist, and every operation below
// checks the surfaces it uses, so a failed or partial set-up, or a frame after Shutdown, never
// touches a surface that was never created or was already released.
#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

#include <cstdint>

#include "display/blit_clip.h"
#include "display/pixel_format.h"
#include "scene3d/ka3d.h"

namespace kaDraw {

// ---- sprite table -----------------------------------------------------------------------------

constexpr int kSpriteCount = 1024;
constexpr int kSpriteNameSize = 32;

// Records 0..3 hold the internal sprites, all display-sized, in system memory, keyed on black.
enum InternalSprite {
    SPRITE_BUFFER = 0,       // "内部用１": scratch for the preview shrink
    SPRITE_SCREEN = 1,       // "内部用２"
    SPRITE_FONT = 2,         // "内部用３": target of the text compositor
    SPRITE_FONT_BUFFER = 3,  // "内部用４": GDI drawing surface of the text compositor
};

struct SpriteRecord {
    IDirectDrawSurface* surface;  // owned; null in a free record
    char name[kSpriteNameSize];   // empty in a free record
    COLORREF colorKey;            // GDI colour whose colour match is the source key; 0 = black
    uint16_t width;
    uint16_t height;
};

extern SpriteRecord sprites[kSpriteCount];

// ---- display state ----------------------------------------------------------------------------

extern IDirectDraw* directDraw;          // the DirectDraw object
extern IDirectDrawSurface* frontScreen;  // presentation target
extern IDirectDrawSurface* backScreen;   // every frame is composed here
extern IDirectDrawSurface* sprite3D;     // the 3D scene renders into it
extern IDirectDrawSurface* zBuffer;      // depth buffer, attached to the 3D sprite
extern IDirectDrawClipper* clipper;      // window and preview modes only

extern int displayWidth;
extern int displayHeight;
extern RECT clipRect;       // {0, 0, displayWidth, displayHeight}
extern RECT presentDest;    // where the back screen goes on the front screen
extern RECT presentSource;  // which part of the back screen goes there

extern PixelFormatRecord pixelFormat;  // of the back screen

extern bool soundAvailable;
extern IDirectSound* directSound;
extern IDirectSoundBuffer* primaryBuffer;

// True while the GDI present path stands in for DirectDraw's full screen (display/win32/
// gdi_screen.cpp): the surfaces are our own, there is no front screen and no DirectDraw object.
extern bool gdiScreen;

// ---- set-up and release -----------------------------------------------------------------------

// Opens the display once at start-up; 1 when the whole set-up has run, 0 when it stopped.
int Screen(int width, int height, int memoryMode);

// The display's part of the shutdown: sprite surfaces, clipper (windowed), front and back
// screens, 3D sprite, Z-buffer, the display mode (full screen), the DirectDraw object. Every
// pointer is null afterwards. Safe to call more than once.
void Release();

// The sound part of the shutdown: primary buffer, then the DirectSound object.
void ReleaseSound();

// Installs the message box of the error report (flip to the GDI surface, beep, system-modal
// box captioned "エラー発生") unless a report handler is installed already.
void InstallErrorBox();

// Free video memory the driver reports, in bytes; 0 without a DirectDraw object.
DWORD FreeVideoMemory();

// Refresh rate of the display in Hz: what DirectDraw reports for the current mode, else what
// GDI reports, else 60.
int RefreshRate();

// A surface of the description: DirectDraw's, or one of our own on the GDI present path.
HRESULT CreateDisplaySurface(const DDSURFACEDESC& desc, IDirectDrawSurface** surface);

// Gives up DirectDraw (cooperative level back to normal, object released) and turns to the GDI
// present path at the desktop's size: the main window covers the desktop, topmost.
void StartGdiScreen();

// The GDI present path's presentation: what changed on the back screen since the last present
// copied into the main window; the whole back screen after ForgetPresentedPicture().
void PresentThroughGdi();

// The window's picture was drawn over (WM_PAINT): the next present copies the whole picture.
void ForgetPresentedPicture();

// Desktop bits per pixel of mainWindow's screen (GetDeviceCaps BITSPIXEL).
int ScreenDepth();

// Keeps the presentation destination in step with the window's client origin (WM_MOVE).
void SetPresentDestination(int x, int y);

// ---- sprite table and restoration -------------------------------------------------------------

// Raw pixel value of a GDI colour on a surface; -1 (CLR_INVALID) reads the top-left pixel as it
// stands. 0xFFFFFFFF when the surface cannot be locked.
DWORD ColorMatch(IDirectDrawSurface* surface, COLORREF color);

// Source colour key (low = high) of the colour match of color.
HRESULT SetSourceColorKey(IDirectDrawSurface* surface, COLORREF color);

// Restores every surface the system took away: front screen always, then whatever reports
// itself lost among back screen, 3D sprite, Z-buffer, sprites 0..3 and the named records.
void RestoreSurfaces();

// The 3D sprite and the Z-buffer, locked for the processor. Only the processor draws and reads
// them (the render, the overlay of Blit3DSprite), and every lock and unlock is a round trip to
// the driver, so they stay locked from frame to frame; restoration and release unlock them
// first. LockRenderSurfaces locks what is not locked yet and gives the descriptions (false when
// a lock fails; a lost surface runs the restoration). Anything else that uses the 3D sprite or
// the Z-buffer (a blit, a lock of its own) calls UnlockRenderSurfaces() first; the next render
// locks them again.
bool LockRenderSurfaces(DDSURFACEDESC*& color, DDSURFACEDESC*& depth);
void UnlockRenderSurfaces();

// The 3D layer's render target (ka3D::RenderTargetSource): the locked 3D sprite and Z-buffer
// described for the renderer; false when they cannot be locked or have a format it cannot draw.
bool LockRenderTarget(ka3D::RenderTarget& target);

// Sprite access by index; null / 0 for an index outside the table or a free record.
IDirectDrawSurface* SpriteSurface(int index);
int SpriteWidth(int index);
int SpriteHeight(int index);

// ---- composition and presentation -------------------------------------------------------------

// Fills the whole back screen with black. DDERR_NOTINITIALIZED without a back screen. The fill
// is done when the back screen is next used: together with the 3D picture in the same lock when
// that comes first (Blit3DSprite), else through the blitter before any other blit, device
// context or presentation of the back screen. Anything that reads or writes the back screen
// outside this layer calls FlushBackScreenClear() first.
HRESULT ClearBackScreen();
void FlushBackScreenClear();

// Fills sprite i with black. DDERR_NOTINITIALIZED without that sprite.
HRESULT ClearSprite(int index);

// Clipped copies onto the back screen at (x, y) of the source rectangle {left, top, right,
// bottom}: keyed on the sprite's source colour key, opaque, and from the 3D sprite keyed on
// black. A lost surface runs RestoreSurfaces(); the copy is not repeated. The 3D sprite's copy
// is done by the processor on the locked surfaces (the blitter's keyed copy gives the same
// pixels).
void BlitSpriteKeyed(int x, int y, int index, int left, int top, int right, int bottom);
void BlitSpriteOpaque(int x, int y, int index, int left, int top, int right, int bottom);
void Blit3DSprite(int x, int y, int left, int top, int right, int bottom);

// Shows the back screen: in preview the picture is first shrunk into the host's window size.
void Present();

// Number of frames that reached the front screen since start-up, and of restoration passes.
extern unsigned long presentCount;
extern unsigned long restoreCount;

// Measuring the saver from outside. When the environment variable KORAVEN_FRAME_LOG names a
// file, the display mode, the presentation rectangles, the number of presented frames, their
// rate, the number of restoration passes and the present path (directdraw or gdi) are written
// there every 30 presents and at Release().
// When KORAVEN_FRAME_DUMP names a file, the presented part of the back screen is written there as a
// 24-bit BMP every 30 presents. Without either variable nothing is written.
void NoteFramePresented();
void WriteFrameLog();

}  // namespace kaDraw
