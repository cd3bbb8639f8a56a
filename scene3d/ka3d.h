#pragma once
// ka3D: the program's retained-mode 3D layer. One instance, module-wide state: a scene of
// frames (translation-only placement, own colour, attached or detached), one mesh shared by
// every frame of a load, an ambient light and up to three point or parallel-point lights,
// cameras 1..4 each with its own viewport, and a software renderer that draws the scene into a
// caller-given colour buffer with a 16-bit depth buffer.
//
// Positions passed in are in the program's convention; the layer stores (x, -y, -z).
// Operations that can fail return 1 on success and 0 after reporting through
// ReportError with the operation's name as caption.

#include <cstdint>
#include <cstdio>

namespace ka3D {

struct Frame;  // a node of the scene; owned by the layer

// Where a render goes: the locked 3D sprite and Z-buffer, or any memory of that shape.
struct RenderTarget {
    void* color;       // first pixel of the top row
    int colorPitch;    // bytes from one row to the next
    int width;         // pixels
    int height;        // rows
    int bitsPerPixel;  // 16, 24 or 32
    uint32_t redMask;  // channel masks of a pixel, e.g. 0xF800 / 0x07E0 / 0x001F
    uint32_t greenMask;
    uint32_t blueMask;
    uint16_t* depth;  // 16-bit depth values, one per pixel
    int depthPitch;   // bytes from one depth row to the next
};

int Config();
int Init();
void SetBackground(float red, float green, float blue);
void SetAmbient(float intensity);
int CreateLight(int number, float intensity, int direction);
int CreateCamera(int number, int x1, int y1, int x2, int y2);
void SetCameraRange(int number, float front, float back);
void UseFrameColor();
Frame* LoadObject(const char* file, int count, Frame** frames);
void SetFramePosition(Frame* frame, float x, float y, float z);
// SetFramePosition for count frames from integer positions (x, y, z); null frames are skipped.
void PlaceFrames(Frame* const* frames, const int (*positions)[3], int count);
void SetFrameColor(Frame* frame, float red, float green, float blue);
void ShowFrame(Frame* frame);
void HideFrame(Frame* frame);
void SetCameraPosition(int number, float x, float y, float z);
void TurnCamera(int number, float degrees);
void TiltCamera(int number, float degrees);
void SetLightPosition(int number, float x, float y, float z);

// Draws every camera in use into the target: clears each viewport to the background colour,
// then draws every attached frame with depth test.
void RenderInto(const RenderTarget& target);

// Where Render() draws: a function that gives the target for this frame, false when there is
// none. The display set-up sets it to its locked 3D sprite and Z-buffer before Init.
using RenderTargetSource = bool (*)(RenderTarget& target);
void SetRenderTargetSource(RenderTargetSource source);

// RenderInto the target the source gives; nothing without a source or a target.
void Render();

void Release();

// Read-only queries of a frame's state, for the game's tests and tools; they only read what the
// setters above stored:
//   FrameShown: whether the frame is attached to the scene (ShowFrame / LoadObject attach it,
//     HideFrame detaches it);
//   GetFrameColor: the colour last given with SetFrameColor;
//   GetFramePosition: the position last given with SetFramePosition, in the program's
//     convention (the values passed in, not the stored (x, -y, -z)).
bool FrameShown(const Frame* frame);
void GetFrameColor(const Frame* frame, float* red, float* green, float* blue);
void GetFramePosition(const Frame* frame, float* x, float* y, float* z);

// ---- additions for tests and tools --------------------------------------------------------------

struct Mesh;

// LoadObject with the shape handed over directly instead of read from a file: the frames are
// made the same way and share one copy of the mesh. Used by tests and tools.
Frame* LoadObjectFromMesh(const Mesh& mesh, int count, Frame** frames);

// LoadObject with the file opened by the caller (null when it could not be), read and closed
// here: the Win32 layer opens block files by their wide names.
Frame* LoadObjectFromFile(std::FILE* file, int count, Frame** frames);

// Device descriptions for Config. Colour models and depth flags keep the values of the
// platform's own enumeration so the Win32 layer could feed a real table unchanged.
constexpr uint32_t kColorModelMono = 1;
constexpr uint32_t kColorModelRGB = 2;
constexpr uint32_t kDepth8 = 0x800;
constexpr uint32_t kDepth16 = 0x400;
constexpr uint32_t kDepth24 = 0x200;
constexpr uint32_t kDepth32 = 0x100;

struct DeviceDescription {
    uint32_t colorModel;     // 0 when this description does not exist
    uint32_t renderDepths;   // kDepth* flags of the surfaces it can draw into
    uint32_t zBufferDepths;  // kDepth* flags of the Z-buffers it can use
};

struct DeviceInfo {
    const char* name;
    DeviceDescription hardware;
    DeviceDescription software;
};

// Display facts the device choice needs; the Win32 layer sets them from DirectDraw before
// Config (display size in pixels, free video memory in bytes). All 0 until set.
void SetDisplayForConfig(int width, int height, uint32_t freeVideoMemory);

// Config over any table: the choosing rules applied to `devices`. Config() uses the table of
// this layer's own rasterizer.
int ConfigFromTable(const DeviceInfo* devices, int count);

// What the last Config chose: device index into its table (-1 for none), whether it was a
// hardware description, and the Z-buffer the display set-up must create.
int ChosenDevice();
bool HardwareDeviceChosen();
int ZBufferDepth();           // 16, 24 or 32
bool ZBufferInVideoMemory();  // false: system memory

}  // namespace ka3D
