// The settings store through the real profile functions, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/shell_state.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::string s;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
        std::fclose(f);
    }
    return s;
}

void WriteFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

class ProfileSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::string(temp) + "kv_settings_" + info->name();
        CreateDirectoryA(folder_.c_str(), nullptr);
        path_ = folder_ + "\\koraven.ini";
        DeleteFileA(path_.c_str());
        CopyBounded(settingsPath, kPathCapacity, path_.c_str());
    }
    void TearDown() override {
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(folder_.c_str());
        ResetSettings();
    }
    // Every variable away from its default, so a read must set each one.
    void Scramble() {
        for (const SettingKey& k : settingKeys) {
            if (k.type == kIntSetting) *k.intValue = 12345;
            if (k.type == kStringSetting) std::strcpy(k.text, "scrambled");
        }
        for (auto& c : config.COLOR) c[0] = c[1] = c[2] = 0.5f;
        XMAX = YMAX = -1;
    }
    std::string folder_;
    std::string path_;
};

}  // namespace

TEST_F(ProfileSettings, NoFileReadsEveryDefault) {
    Scramble();
    ReadSettings();
    for (const SettingKey& k : settingKeys) {
        switch (k.type) {
            case kIntSetting: EXPECT_EQ(*k.intValue, ParseInt(k.defaultText)) << k.key; break;
            case kStringSetting: EXPECT_STREQ(k.text, k.defaultText) << k.key; break;
            case kColourSetting:
                EXPECT_STREQ(FormatColour(k.colour), k.defaultText) << k.key;
                break;
        }
    }
    EXPECT_EQ(config.R_SPEED, 3);
    EXPECT_EQ(config.WIDTH, 10);
    EXPECT_EQ(config.HEIGHT, 20);
    EXPECT_EQ(XMAX, 19);
    EXPECT_EQ(YMAX, 29);
    EXPECT_STREQ(config.TEXT, "伝言メッセージ");
    EXPECT_FLOAT_EQ(config.COLOR[0][2], 115.0f / 255.0f);
}

TEST_F(ProfileSettings, WritingCreatesConfigFirstWithThe38KeysInOrder) {
    ReadSettings();
    WriteSettings();
    const std::vector<std::string> lines = Lines(ReadFile(path_));
    ASSERT_EQ(lines.size(), 39u);
    EXPECT_EQ(lines[0], "[Config]");
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingKey& k = settingKeys[i];
        EXPECT_EQ(lines[i + 1], std::string(k.key) + "=" + k.defaultText) << i;
    }
    EXPECT_EQ(lines[1], "R_SPEED=3");
    EXPECT_EQ(lines[38], "NI2_UPDATE=700");
    // The message is stored as Shift-JIS.
    EXPECT_NE(ReadFile(path_).find("TEXT=\x93\x60\x8c\xbe\x83\x81\x83\x62\x83\x5a\x81\x5b\x83\x57"),
              std::string::npos);
}

TEST_F(ProfileSettings, ReadThenWriteKeepsOtherSectionsAndComments) {
    WriteFile(path_,
              "; a comment at the top\r\n"
              "[Other]\r\n"
              "A=1\r\n"
              "\r\n"
              "[Config]\r\n"
              "R_SPEED=-5\r\n"
              "; a comment inside\r\n"
              "WIDTH= 12\r\n"
              "COLOR2=ABCDEF\r\n"
              "[Tail]\r\n"
              "B=2\r\n");
    ReadSettings();
    EXPECT_EQ(config.R_SPEED, -5);
    EXPECT_EQ(config.WIDTH, 12);
    EXPECT_EQ(XMAX, 21);
    EXPECT_STREQ(FormatColour(1), "abcdef");
    WriteSettings();
    const std::string text = ReadFile(path_);
    for (const char* kept :
         {"; a comment at the top", "[Other]", "A=1", "[Tail]", "B=2", "; a comment inside",
          "R_SPEED=-5", "WIDTH=12", "COLOR2=abcdef", "NI2_UPDATE=700"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    }
    // [Other] still comes before [Config], and [Tail] after it.
    EXPECT_LT(text.find("[Other]"), text.find("[Config]"));
    EXPECT_LT(text.find("[Config]"), text.find("[Tail]"));
    GetPrivateProfileStringA("Other", "A", "", config.TEXT, 255, settingsPath);
    EXPECT_STREQ(config.TEXT, "1");
}

TEST_F(ProfileSettings, LongTextReadsAs254Characters) {
    const std::string text(300, 'x');
    WriteFile(path_,
              "[Config]\r\nTEXT=" + text + "\r\nBLOCKFILE=" + std::string(400, 'b') + "\r\n");
    ReadSettings();
    EXPECT_EQ(std::strlen(config.TEXT), 254u);
    EXPECT_EQ(std::string(config.TEXT), text.substr(0, 254));
    EXPECT_EQ(std::strlen(config.BLOCKFILE), 254u);
}

TEST_F(ProfileSettings, ACutNeverSplitsAShiftJisCharacter) {
    // 253 single bytes then a double-byte character: the character does not fit whole.
    std::string text(253, 'a');
    text += "\x93\x60\x93\x60";
    WriteFile(path_, "[Config]\r\nTEXT=" + text + "\r\n");
    ReadSettings();
    const size_t n = std::strlen(config.TEXT);
    EXPECT_LE(n, 254u);
    EXPECT_EQ(std::string(config.TEXT), text.substr(0, n));
    EXPECT_EQ(n % 2, 1u);  // 253: the lead byte alone was dropped
}

TEST_F(ProfileSettings, EmptyValuesReadAsZeroOrEmptyText) {
    WriteFile(path_, "[Config]\r\nR_SPEED=\r\nSHOW_INFO=\r\nTEXT=\r\nBLOCKFILE=\r\nWIDTH=\r\n");
    ReadSettings();
    EXPECT_EQ(config.R_SPEED, 0);
    EXPECT_EQ(config.SHOW[SLOT_INFO], 0);
    EXPECT_STREQ(config.TEXT, "");
    EXPECT_STREQ(config.BLOCKFILE, "");
    EXPECT_EQ(config.WIDTH, 1);    // 0 held to the dialog's range
    EXPECT_EQ(config.D_SPEED, 5);  // missing: the default
}

TEST_F(ProfileSettings, GarbageNegativeAndHugeValuesAreMadeSound) {
    WriteFile(path_,
              "[Config]\r\n"
              "R_SPEED=12xyz\r\n"
              "D_SPEED=-7\r\n"
              "MAYOI=abc\r\n"
              "SUKIMA=99999999999999999999\r\n"
              "RESOLUTION=7\r\n"
              "MOUSESENSE=-1\r\n"
              "WIDTH=-30\r\n"
              "HEIGHT=1000000\r\n"
              "COLOR1=F7F773\r\n"
              "COLOR3=zz\r\n");
    ReadSettings();
    EXPECT_EQ(config.R_SPEED, 12);
    EXPECT_EQ(config.D_SPEED, 1);
    EXPECT_EQ(config.MAYOI, 0);
    EXPECT_EQ(config.SUKIMA, 10);
    EXPECT_EQ(config.RESOLUTION, 4);
    EXPECT_EQ(config.MOUSESENSE, 0);
    EXPECT_EQ(config.WIDTH, 1);
    EXPECT_EQ(config.HEIGHT, 30);
    EXPECT_EQ(XMAX, 10);
    EXPECT_EQ(YMAX, 39);
    WriteSettings();
    const std::string text = ReadFile(path_);
    for (const char* line :
         {"R_SPEED=12\r", "D_SPEED=1\r", "MAYOI=0\r", "SUKIMA=10\r", "RESOLUTION=4\r", "WIDTH=1\r",
          "HEIGHT=30\r", "COLOR1=f7f773\r", "COLOR3=000000\r"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

TEST_F(ProfileSettings, SingleKeyFunctions) {
    WriteIntSetting("R_SPEED", -5);
    WriteStringSetting("TEXT", "hello");
    EXPECT_EQ(ReadIntSetting("R_SPEED", "3"), -5);
    EXPECT_EQ(ReadIntSetting("MISSING", "20"), 20);
    char buf[kSettingSize];
    ReadStringSetting("TEXT", "x", buf);
    EXPECT_STREQ(buf, "hello");
    ReadStringSetting("MISSING", "fallback", buf);
    EXPECT_STREQ(buf, "fallback");
    const std::vector<std::string> lines = Lines(ReadFile(path_));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[Config]");
    EXPECT_EQ(lines[1], "R_SPEED=-5");
    EXPECT_EQ(lines[2], "TEXT=hello");
}

TEST_F(ProfileSettings, AFileThatCannotBeWrittenLeavesTheValuesAsRead) {
    const std::string bad = folder_ + "\\no such folder\\koraven.ini";
    CopyBounded(settingsPath, kPathCapacity, bad.c_str());
    Scramble();
    ReadSettings();
    WriteSettings();
    EXPECT_EQ(config.R_SPEED, 3);
    EXPECT_STREQ(config.NI[1].update, "700");
    EXPECT_EQ(GetFileAttributesA(bad.c_str()), INVALID_FILE_ATTRIBUTES);
}
