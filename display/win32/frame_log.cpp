// The frame log and frame dump for measuring the saver from outside (see kadraw.h).
#include <cstdio>

#include "common/shell_state.h"
#include "display/win32/kadraw.h"

namespace kaDraw {

namespace {

constexpr int kDumpEvery = 30;
constexpr int kMaxDumpWidth = 1600;

bool looked = false;
char logPath[MAX_PATH];
char dumpPath[MAX_PATH];
char tempPath[MAX_PATH + 4];
DWORD firstPresentTime = 0;
DWORD lastPresentTime = 0;
// The longest time between two presents since the first, in milliseconds: a saver that stalls
// (a blocking call on the frame loop, a starved process) shows here as "max_gap_ms=".
DWORD maxGap = 0;
unsigned char row[kMaxDumpWidth * 3 + 4];

void LookUp() {
    if (looked) return;
    looked = true;
    DWORD n = GetEnvironmentVariableA("KORAVEN_FRAME_LOG", logPath, sizeof logPath);
    if (n == 0 || n >= sizeof logPath) logPath[0] = '\0';
    n = GetEnvironmentVariableA("KORAVEN_FRAME_DUMP", dumpPath, sizeof dumpPath);
    if (n == 0 || n >= sizeof dumpPath) dumpPath[0] = '\0';
}

// Files are written beside their name and then moved over it, so a reader never sees half.
HANDLE OpenTemp(const char* path) {
    std::snprintf(tempPath, sizeof tempPath, "%s.new", path);
    return CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

void CloseTemp(HANDLE file, const char* path) {
    CloseHandle(file);
    MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING);
}

void Put(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    WriteFile(file, data, size, &written, nullptr);
}

void PutLe(unsigned char* p, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void WriteFrameDump() {
    if (!backScreen || !pixelFormat.hasMasks) return;
    const int left = presentSource.left, top = presentSource.top;
    int width = presentSource.right - left, height = presentSource.bottom - top;
    if (width <= 0 || height <= 0 || width > kMaxDumpWidth) return;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof desc;
    if (backScreen->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return;
    if (left < 0 || top < 0 || left + width > static_cast<int>(desc.dwWidth) ||
        top + height > static_cast<int>(desc.dwHeight)) {
        backScreen->Unlock(desc.lpSurface);
        return;
    }
    HANDLE file = OpenTemp(dumpPath);
    if (file != INVALID_HANDLE_VALUE) {
        const int stride = (width * 3 + 3) & ~3;
        unsigned char header[54] = {'B', 'M'};
        PutLe(header + 2, 54 + stride * height, 4);
        PutLe(header + 10, 54, 4);
        PutLe(header + 14, 40, 4);
        PutLe(header + 18, width, 4);
        PutLe(header + 22, height, 4);  // rows bottom-up
        PutLe(header + 26, 1, 2);
        PutLe(header + 28, 24, 2);
        Put(file, header, sizeof header);
        const int bytes = pixelFormat.bitsPerPixel / 8;
        for (int y = top + height - 1; y >= top; --y) {
            const unsigned char* line =
                static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch;
            for (int x = 0; x < width; ++x) {
                uint8_t rgb[3];
                PixelToRgb(ReadRawPixel(line + (left + x) * bytes, pixelFormat.bitsPerPixel),
                           pixelFormat, rgb);
                row[x * 3] = rgb[2];
                row[x * 3 + 1] = rgb[1];
                row[x * 3 + 2] = rgb[0];
            }
            for (int k = width * 3; k < stride; ++k) row[k] = 0;
            Put(file, row, static_cast<DWORD>(stride));
        }
        CloseTemp(file, dumpPath);
    }
    backScreen->Unlock(desc.lpSurface);
}

}  // namespace

void WriteFrameLog() {
    LookUp();
    if (!logPath[0]) return;
    HANDLE file = OpenTemp(logPath);
    if (file == INVALID_HANDLE_VALUE) return;
    char text[512];
    const double seconds = (lastPresentTime - firstPresentTime) * 0.001;
    const double rate = seconds > 0 && presentCount > 1 ? (presentCount - 1) / seconds : 0.0;
    int n = std::snprintf(text, sizeof text,
                          "mode=%dx%dx%d\r\npresents=%lu\r\nseconds=%.3f\r\nfps=%.2f\r\n"
                          "dest=%ld,%ld,%ld,%ld\r\nsource=%ld,%ld,%ld,%ld\r\nrestores=%lu\r\n",
                          displayWidth, displayHeight, pixelFormat.bitsPerPixel, presentCount,
                          seconds, rate, presentDest.left, presentDest.top, presentDest.right,
                          presentDest.bottom, presentSource.left, presentSource.top,
                          presentSource.right, presentSource.bottom, restoreCount);
    if (n > 0) Put(file, text, static_cast<DWORD>(n < (int)sizeof text ? n : sizeof text - 1));
    n = std::snprintf(text, sizeof text,
                      "max_gap_ms=%lu\r\nkeys=%lu\r\nmouse=%lu\r\npresent=%s\r\n",
                      static_cast<unsigned long>(maxGap), static_cast<unsigned long>(keysReceived),
                      static_cast<unsigned long>(mouseInputsReceived),
                      gdiScreen ? "gdi" : "directdraw");
    if (n > 0) Put(file, text, static_cast<DWORD>(n));
    CloseTemp(file, logPath);
}

void NoteFramePresented() {
    LookUp();
    if (!logPath[0] && !dumpPath[0]) return;
    const DWORD now = timeGetTime();
    if (presentCount > 1 && now - lastPresentTime > maxGap) maxGap = now - lastPresentTime;
    lastPresentTime = now;
    if (presentCount == 1) firstPresentTime = lastPresentTime;
    if (presentCount % kDumpEvery != 0) return;
    WriteFrameLog();
    if (dumpPath[0]) WriteFrameDump();
}

}  // namespace kaDraw
