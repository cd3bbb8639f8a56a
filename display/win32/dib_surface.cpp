#include "display/win32/dib_surface.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace kaDraw {

namespace {

constexpr DWORD kRedMask = 0xFF0000;
constexpr DWORD kGreenMask = 0x00FF00;
constexpr DWORD kBlueMask = 0x0000FF;
constexpr DWORD kColorBits = kRedMask | kGreenMask | kBlueMask;

// Asked of a surface to learn whether it is one of ours (DirectDraw's answer E_NOINTERFACE).
const GUID kOwnSurfaceId = {
    0x6b6f7276, 0x656e, 0x4449, {0x42, 0x53, 0x75, 0x72, 0x66, 0x61, 0x63, 0x65}};

class OwnSurface final : public IDirectDrawSurface {
  public:
    OwnSurface(int width, int height, bool depth) : width_(width), height_(height), depth_(depth) {}
    OwnSurface(const OwnSurface&) = delete;
    OwnSurface& operator=(const OwnSurface&) = delete;

    bool Allocate();
    HDC Context() const { return dc_; }

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
    STDMETHOD_(ULONG, AddRef)() override { return ++references_; }
    STDMETHOD_(ULONG, Release)() override;

    // The operations the display uses.
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE) override { return DD_OK; }
    STDMETHOD(Blt)
    (LPRECT to, LPDIRECTDRAWSURFACE source, LPRECT from, DWORD flags, LPDDBLTFX fx) override;
    STDMETHOD(BltFast)
    (DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT from, DWORD flags) override;
    STDMETHOD(GetCaps)(LPDDSCAPS caps) override;
    STDMETHOD(GetColorKey)(DWORD flags, LPDDCOLORKEY key) override;
    STDMETHOD(GetDC)(HDC* dc) override;
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT format) override;
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC desc) override;
    STDMETHOD(IsLost)() override { return DD_OK; }
    STDMETHOD(Lock)(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    STDMETHOD(ReleaseDC)(HDC dc) override;
    STDMETHOD(Restore)() override { return DD_OK; }
    STDMETHOD(SetColorKey)(DWORD flags, LPDDCOLORKEY key) override;
    STDMETHOD(Unlock)(LPVOID) override { return DD_OK; }

    // What the display never asks of a surface.
    STDMETHOD(AddOverlayDirtyRect)(LPRECT) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE) override {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE, DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(GetBltStatus)(DWORD) override { return DD_OK; }
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetFlipStatus)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetOverlayPosition)(LONG, LONG) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override {
        return DDERR_UNSUPPORTED;
    }
    STDMETHOD(UpdateOverlayDisplay)(DWORD) override { return DDERR_UNSUPPORTED; }
    STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE) override {
        return DDERR_UNSUPPORTED;
    }

  private:
    ~OwnSurface();

    int BytesPerPixel() const { return depth_ ? 2 : 4; }
    uint8_t* Row(int y) const { return pixels_ + y * pitch_; }
    // The whole surface when rect is null; false for a rectangle that is empty or reaches
    // outside the surface (DirectDraw's DDERR_INVALIDRECT).
    bool Area(const RECT* rect, RECT& area) const;
    void Describe(DDSURFACEDESC& desc) const;
    void Fill(const RECT& area, DWORD value);
    HRESULT Copy(int x, int y, const OwnSurface& source, const RECT& from, bool keyed);

    ULONG references_ = 1;
    const int width_;
    const int height_;
    const bool depth_;
    int pitch_ = 0;
    uint8_t* pixels_ = nullptr;
    uint8_t* depthMemory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HDC dc_ = nullptr;
    bool hasKey_ = false;
    DDCOLORKEY key_ = {0, 0};
};

bool OwnSurface::Allocate() {
    if (depth_) {
        pitch_ = (width_ * 2 + 3) & ~3;
        depthMemory_ = new (std::nothrow) uint8_t[static_cast<size_t>(pitch_) * height_]();
        pixels_ = depthMemory_;
        return pixels_ != nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down: row 0 first, like a locked surface
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap_ || !bits) return false;
    dc_ = CreateCompatibleDC(nullptr);
    if (!dc_) return false;
    previousBitmap_ = SelectObject(dc_, bitmap_);
    pixels_ = static_cast<uint8_t*>(bits);
    pitch_ = width_ * 4;
    std::memset(pixels_, 0, static_cast<size_t>(pitch_) * height_);
    return true;
}

OwnSurface::~OwnSurface() {
    if (dc_) {
        SelectObject(dc_, previousBitmap_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    delete[] depthMemory_;
}

HRESULT OwnSurface::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDirectDrawSurface) ||
        IsEqualGUID(riid, kOwnSurfaceId)) {
        *object = static_cast<IDirectDrawSurface*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG OwnSurface::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

bool OwnSurface::Area(const RECT* rect, RECT& area) const {
    area = rect ? *rect : RECT{0, 0, width_, height_};
    return area.left >= 0 && area.top >= 0 && area.left < area.right && area.top < area.bottom &&
           area.right <= width_ && area.bottom <= height_;
}

void OwnSurface::Describe(DDSURFACEDESC& desc) const {
    const DWORD size = desc.dwSize;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = size;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(width_);
    desc.dwHeight = static_cast<DWORD>(height_);
    desc.lPitch = pitch_;
    desc.ddsCaps.dwCaps =
        DDSCAPS_SYSTEMMEMORY | (depth_ ? DDSCAPS_ZBUFFER : DDSCAPS_OFFSCREENPLAIN);
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    if (depth_) {
        desc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
        desc.dwZBufferBitDepth = 16;
        desc.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
        desc.ddpfPixelFormat.dwZBufferBitDepth = 16;
        desc.ddpfPixelFormat.dwZBitMask = 0xFFFF;
    } else {
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB;
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
        desc.ddpfPixelFormat.dwRBitMask = kRedMask;
        desc.ddpfPixelFormat.dwGBitMask = kGreenMask;
        desc.ddpfPixelFormat.dwBBitMask = kBlueMask;
    }
    if (hasKey_) {
        desc.dwFlags |= DDSD_CKSRCBLT;
        desc.ddckCKSrcBlt = key_;
    }
}

HRESULT OwnSurface::GetSurfaceDesc(LPDDSURFACEDESC desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    Describe(*desc);
    return DD_OK;
}

HRESULT OwnSurface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (!format) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    Describe(desc);
    *format = desc.ddpfPixelFormat;
    return DD_OK;
}

HRESULT OwnSurface::GetCaps(LPDDSCAPS caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    Describe(desc);
    *caps = desc.ddsCaps;
    return DD_OK;
}

HRESULT OwnSurface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD, HANDLE) {
    if (!desc) return DDERR_INVALIDPARAMS;
    RECT area;
    if (!Area(rect, area)) return DDERR_INVALIDRECT;
    if (dc_) GdiFlush();  // GDI may still be drawing into the bitmap
    Describe(*desc);
    desc->lpSurface = Row(area.top) + area.left * BytesPerPixel();
    return DD_OK;
}

HRESULT OwnSurface::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = dc_;
    return dc_ ? DD_OK : DDERR_CANTCREATEDC;
}

HRESULT OwnSurface::ReleaseDC(HDC dc) {
    if (!dc_ || dc != dc_) return DDERR_INVALIDPARAMS;
    GdiFlush();
    return DD_OK;
}

HRESULT OwnSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
    hasKey_ = key != nullptr;
    if (key) key_ = *key;
    return DD_OK;
}

HRESULT OwnSurface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!key) return DDERR_INVALIDPARAMS;
    if (!(flags & DDCKEY_SRCBLT) || !hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
}

void OwnSurface::Fill(const RECT& area, DWORD value) {
    const int w = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        if (depth_) {
            uint16_t* p = reinterpret_cast<uint16_t*>(Row(y)) + area.left;
            for (int x = 0; x < w; ++x) p[x] = static_cast<uint16_t>(value);
        } else {
            uint32_t* p = reinterpret_cast<uint32_t*>(Row(y)) + area.left;
            for (int x = 0; x < w; ++x) p[x] = value;
        }
    }
}

HRESULT OwnSurface::Copy(int x, int y, const OwnSurface& source, const RECT& from, bool keyed) {
    if (depth_ || source.depth_) return DDERR_UNSUPPORTED;
    if (keyed && !source.hasKey_) return DDERR_NOCOLORKEY;
    const int w = from.right - from.left;
    const int h = from.bottom - from.top;
    const RECT to = {x, y, x + w, y + h};
    RECT checked;
    if (!Area(&to, checked)) return DDERR_INVALIDRECT;
    // The key compares the colour bits only: the unused top byte of a pixel may hold anything.
    const DWORD low = source.key_.dwColorSpaceLowValue & kColorBits;
    const DWORD high = source.key_.dwColorSpaceHighValue & kColorBits;
    // A copy within one surface may overlap: rows go bottom up when the target lies lower.
    const bool upward = &source == this && y > from.top;
    for (int i = 0; i < h; ++i) {
        const int row = upward ? h - 1 - i : i;
        uint32_t* out = reinterpret_cast<uint32_t*>(Row(y + row)) + x;
        const uint32_t* in =
            reinterpret_cast<const uint32_t*>(source.Row(from.top + row)) + from.left;
        if (!keyed) {
            std::memmove(out, in, static_cast<size_t>(w) * 4);
            continue;
        }
        for (int c = 0; c < w; ++c) {
            const DWORD colour = in[c] & kColorBits;
            if (colour < low || colour > high) out[c] = in[c];
        }
    }
    return DD_OK;
}

OwnSurface* Own(IDirectDrawSurface* surface) {
    void* own = nullptr;
    if (!surface || surface->QueryInterface(kOwnSurfaceId, &own) != S_OK || !own) return nullptr;
    surface->Release();  // the table or the caller holds its own reference
    return static_cast<OwnSurface*>(static_cast<IDirectDrawSurface*>(own));
}

HRESULT OwnSurface::Blt(LPRECT to, LPDIRECTDRAWSURFACE sourceSurface, LPRECT from, DWORD flags,
                        LPDDBLTFX fx) {
    RECT target;
    if (!Area(to, target)) return DDERR_INVALIDRECT;
    if (flags & DDBLT_COLORFILL) {
        if (!fx) return DDERR_INVALIDPARAMS;
        Fill(target, fx->dwFillColor);
        return DD_OK;
    }
    if (flags & DDBLT_DEPTHFILL) {
        if (!fx || !depth_) return DDERR_INVALIDPARAMS;
        Fill(target, fx->dwFillDepth);
        return DD_OK;
    }
    OwnSurface* source = Own(sourceSurface);
    if (!source) return DDERR_INVALIDPARAMS;
    RECT area;
    if (!source->Area(from, area)) return DDERR_INVALIDRECT;
    const bool keyed = (flags & DDBLT_KEYSRC) != 0;
    if (target.right - target.left == area.right - area.left &&
        target.bottom - target.top == area.bottom - area.top) {
        return Copy(target.left, target.top, *source, area, keyed);
    }
    // A stretched copy (the preview's shrink): GDI averages the picture down.
    if (keyed || depth_ || source->depth_) return DDERR_UNSUPPORTED;
    SetStretchBltMode(dc_, HALFTONE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
    const BOOL done = StretchBlt(dc_, target.left, target.top, target.right - target.left,
                                 target.bottom - target.top, source->dc_, area.left, area.top,
                                 area.right - area.left, area.bottom - area.top, SRCCOPY);
    GdiFlush();
    return done ? DD_OK : DDERR_GENERIC;
}

HRESULT OwnSurface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE sourceSurface, LPRECT from,
                            DWORD flags) {
    OwnSurface* source = Own(sourceSurface);
    if (!source) return DDERR_INVALIDPARAMS;
    RECT area;
    if (!source->Area(from, area)) return DDERR_INVALIDRECT;
    return Copy(static_cast<int>(x), static_cast<int>(y), *source, area,
                (flags & DDBLTFAST_SRCCOLORKEY) != 0);
}

}  // namespace

HRESULT CreateOwnSurface(const DDSURFACEDESC& desc, IDirectDrawSurface** surface) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    const DWORD needed = DDSD_WIDTH | DDSD_HEIGHT;
    if ((desc.dwFlags & needed) != needed) return DDERR_INVALIDPARAMS;
    const int width = static_cast<int>(desc.dwWidth);
    const int height = static_cast<int>(desc.dwHeight);
    if (width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
    const bool depth = (desc.dwFlags & DDSD_CAPS) && (desc.ddsCaps.dwCaps & DDSCAPS_ZBUFFER);
    OwnSurface* own = new (std::nothrow) OwnSurface(width, height, depth);
    if (!own) return DDERR_OUTOFMEMORY;
    if (!own->Allocate()) {
        own->Release();
        return DDERR_OUTOFMEMORY;
    }
    if ((desc.dwFlags & DDSD_CKSRCBLT) && !depth) {
        DDCOLORKEY key = desc.ddckCKSrcBlt;
        own->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    *surface = own;
    return DD_OK;
}

HDC OwnSurfaceDC(IDirectDrawSurface* surface) {
    const OwnSurface* own = Own(surface);
    return own ? own->Context() : nullptr;
}

}  // namespace kaDraw
