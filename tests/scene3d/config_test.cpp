// Choosing the 3D device from tables of device descriptions.
#include <gtest/gtest.h>

#include <string>

#include "display/error_report.h"
#include "scene3d/ka3d.h"

namespace {

using ka3D::DeviceInfo;
constexpr uint32_t kRGB = ka3D::kColorModelRGB, kMono = ka3D::kColorModelMono;
constexpr uint32_t kAll = ka3D::kDepth16 | ka3D::kDepth24 | ka3D::kDepth32;
constexpr ka3D::DeviceDescription kNone = {0, 0, 0};

ka3D::DeviceDescription Desc(uint32_t model, uint32_t render = kAll, uint32_t z = ka3D::kDepth16) {
    return ka3D::DeviceDescription{model, render, z};
}

DeviceInfo Hardware(ka3D::DeviceDescription d) {
    return DeviceInfo{"hw", d, Desc(kRGB)};
}
DeviceInfo Software(ka3D::DeviceDescription d) {
    return DeviceInfo{"sw", kNone, d};
}

class ConfigTest : public ::testing::Test {
  protected:
    void SetUp() override { ka3D::SetDisplayForConfig(640, 480, 4u << 20); }
    void TearDown() override { ka3D::SetDisplayForConfig(0, 0, 0); }
};

TEST_F(ConfigTest, OwnRasterizerIsAHardwareRGBDeviceWithA16BitZBuffer) {
    ka3D::SetDisplayForConfig(640, 480, 640 * 480 * 2 + 1);
    EXPECT_EQ(ka3D::Config(), 1);
    EXPECT_EQ(ka3D::ChosenDevice(), 0);
    EXPECT_TRUE(ka3D::HardwareDeviceChosen());
    EXPECT_EQ(ka3D::ZBufferDepth(), 16);
    EXPECT_TRUE(ka3D::ZBufferInVideoMemory());
    // Exactly as much free memory as the buffer needs is not enough.
    ka3D::SetDisplayForConfig(640, 480, 640 * 480 * 2);
    EXPECT_EQ(ka3D::Config(), 1);
    EXPECT_FALSE(ka3D::ZBufferInVideoMemory());
    // A huge display does not overflow the size.
    ka3D::SetDisplayForConfig(1 << 30, 1 << 30, 0xFFFFFFFFu);
    EXPECT_EQ(ka3D::Config(), 1);
    EXPECT_FALSE(ka3D::ZBufferInVideoMemory());
}

TEST_F(ConfigTest, PreferenceIsHardwareRGBThenHardwareMonoThenLastSoftwareMono) {
    struct Case {
        const char* what;
        std::vector<DeviceInfo> table;
        int chosen;
        bool hardware;
        int z = 16;
    } cases[] = {
        {"software RGB then software mono: the mono one",
         {Software(Desc(kRGB)), Software(Desc(kMono))},
         1,
         false},
        {"hardware RGB wins over one listed earlier",
         {Software(Desc(kMono)), Hardware(Desc(kMono)), Hardware(Desc(kRGB))},
         2,
         true},
        {"the first hardware RGB device stays",
         {Hardware(Desc(kRGB)), Hardware(Desc(kRGB))},
         0,
         true},
        {"hardware mono before software mono",
         {Hardware(Desc(kMono)), Software(Desc(kMono))},
         0,
         true},
        {"the last software mono device", {Software(Desc(kMono)), Software(Desc(kMono))}, 1, false},
        {"render depths without 16, 24 or 32 bits",
         {Hardware(Desc(kRGB, ka3D::kDepth8)), Software(Desc(kMono))},
         1,
         false},
        {"no Z-buffer depth",
         {Hardware(Desc(kRGB, kAll, ka3D::kDepth8)), Software(Desc(kMono))},
         1,
         false},
        {"the smallest hardware Z-buffer depth",
         {Hardware(Desc(kRGB, kAll, ka3D::kDepth16 | ka3D::kDepth24))},
         0,
         true},
        {"24 bits when 16 are missing",
         {Hardware(Desc(kRGB, kAll, ka3D::kDepth24 | ka3D::kDepth32))},
         0,
         true,
         24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ka3D::ConfigFromTable(c.table.data(), static_cast<int>(c.table.size())), 1);
        EXPECT_EQ(ka3D::ChosenDevice(), c.chosen);
        EXPECT_EQ(ka3D::HardwareDeviceChosen(), c.hardware);
        EXPECT_EQ(ka3D::ZBufferDepth(), c.z);
        if (!c.hardware) {
            EXPECT_FALSE(ka3D::ZBufferInVideoMemory());
        }
    }
}

TEST_F(ConfigTest, NoUsableDeviceIsReported) {
    const std::vector<std::vector<DeviceInfo>> tables = {
        {},
        {Software(Desc(kRGB))},  // a software RGB device alone is dropped by the mono pass
        {Software(Desc(3)), DeviceInfo{"none", kNone, kNone}},
    };
    for (const auto& table : tables) {
        kaDraw::lastErrorText[0] = '\0';
        EXPECT_EQ(ka3D::ConfigFromTable(table.data(), static_cast<int>(table.size())), 0);
        EXPECT_EQ(std::string(kaDraw::lastErrorText), "ka3D::Config : Direct3D RMが使用できません");
        EXPECT_EQ(ka3D::ChosenDevice(), -1);
    }
    EXPECT_EQ(ka3D::ConfigFromTable(nullptr, 3), 0);
}

}  // namespace
