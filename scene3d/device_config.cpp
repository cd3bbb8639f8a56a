// Choosing the 3D device and the Z-buffer the display set-up makes for it. The rules work on a
// table of device descriptions, as an enumeration of the platform's devices would deliver
// them; Config() hands them the table of this layer's own rasterizer.
#include <cstdint>

#include "common/error_report.h"
#include "scene3d/ka3d.h"

namespace ka3D {

namespace {

struct ConfigState {
    int displayWidth = 0;
    int displayHeight = 0;
    uint32_t freeVideoMemory = 0;
    int chosen = -1;  // index into the table of the last Config
    bool hardware = false;
    int zDepth = 16;
    bool zInVideoMemory = false;
};

ConfigState config;

// The rasterizer draws into 16-, 24- and 32-bit surfaces with a 16-bit depth buffer. It is the
// layer's native device, so it describes itself as hardware.
const DeviceInfo kOwnDevices[] = {
    {"ka3D rasterizer", {kColorModelRGB, kDepth16 | kDepth24 | kDepth32, kDepth16}, {0, 0, 0}},
};

// One device of an enumeration pass looking for colour model `wanted`.
void ConsiderDevice(int index, const DeviceInfo& device, uint32_t wanted) {
    if (config.hardware) return;  // a hardware device has been chosen already
    bool isHardware = device.hardware.colorModel != 0;
    const DeviceDescription& d = isHardware ? device.hardware : device.software;
    if (d.colorModel != wanted) return;
    if ((d.renderDepths & (kDepth16 | kDepth24 | kDepth32)) == 0) return;
    int depth = (d.zBufferDepths & kDepth16)   ? 16
                : (d.zBufferDepths & kDepth24) ? 24
                : (d.zBufferDepths & kDepth32) ? 32
                                               : 0;
    if (depth == 0) return;
    config.chosen = index;
    if (!isHardware) {
        config.zDepth = 16;
        config.zInVideoMemory = false;
        config.hardware = false;
        return;
    }
    config.hardware = true;
    config.zDepth = depth;
    // Size of the Z-buffer against the free video memory, in 64 bits so no display overflows.
    uint64_t need = static_cast<uint64_t>(depth / 8) *
                    static_cast<uint64_t>(config.displayWidth > 0 ? config.displayWidth : 0) *
                    static_cast<uint64_t>(config.displayHeight > 0 ? config.displayHeight : 0);
    config.zInVideoMemory = need < config.freeVideoMemory;
}

void EnumeratePass(const DeviceInfo* devices, int count, uint32_t wanted) {
    for (int i = 0; i < count; ++i) ConsiderDevice(i, devices[i], wanted);
}

}  // namespace

void SetDisplayForConfig(int width, int height, uint32_t freeVideoMemory) {
    config.displayWidth = width;
    config.displayHeight = height;
    config.freeVideoMemory = freeVideoMemory;
}

int ConfigFromTable(const DeviceInfo* devices, int count) {
    if (!devices || count < 0) count = 0;
    config.chosen = -1;
    config.hardware = false;
    config.zDepth = 16;
    config.zInVideoMemory = false;
    EnumeratePass(devices, count, kColorModelRGB);
    if (!config.hardware) {
        config.chosen = -1;  // a software RGB device of the first pass is dropped
        EnumeratePass(devices, count, kColorModelMono);
    }
    if (config.chosen >= 0) return 1;
    return ReportError("ka3D::Config", "Direct3D RMが使用できません");
}

int Config() {
    return ConfigFromTable(kOwnDevices,
                           static_cast<int>(sizeof kOwnDevices / sizeof kOwnDevices[0]));
}

int ChosenDevice() {
    return config.chosen;
}
bool HardwareDeviceChosen() {
    return config.hardware;
}
int ZBufferDepth() {
    return config.zDepth;
}
bool ZBufferInVideoMemory() {
    return config.zInVideoMemory;
}

}  // namespace ka3D
