// The settings store through the real profile functions under Wine: defaults, the order written,
// other sections kept, long and Shift-JIS texts cut whole, a file that cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/shell_state.h"

namespace {

class ProfileSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "kv_settings_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\koraven.ini";
        DeleteFileA(path.c_str());
        CopyBounded(settingsPath, kPathCapacity, path.c_str());
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(folder.c_str());
        ResetSettings();
    }
    std::string Read() const {
        std::string s;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
            std::fclose(f);
        }
        return s;
    }
    void Write(const std::string& text) const {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    static void Scramble() {  // every variable away from its default, so a read must set each
        for (const SettingKey& k : settingKeys) {
            if (k.type == kIntSetting) *k.intValue = 12345;
            if (k.type == kStringSetting) std::strcpy(k.text, "scrambled");
        }
        for (auto& c : config.COLOR) c[0] = c[1] = c[2] = 0.5f;
    }
    std::string folder, path;
};

TEST_F(ProfileSettings, NoFileReadsEveryDefaultAndWritesThe38KeysInOrder) {
    Scramble();
    ReadSettings();
    WriteSettings();
    std::string want = "[Config]\r\n";
    for (const SettingKey& k : settingKeys)
        want += std::string(k.key) + "=" + k.defaultText + "\r\n";
    EXPECT_EQ(Read(), want);
    EXPECT_EQ(config.R_SPEED * 100 + XMAX, 319);
    EXPECT_STREQ(config.TEXT, "伝言メッセージ");
    EXPECT_NE(Read().find("TEXT=\x93\x60\x8c\xbe\x83\x81\x83\x62\x83\x5a\x81\x5b\x83\x57"),
              std::string::npos);
    EXPECT_FLOAT_EQ(config.COLOR[0][2], 115.0f / 255.0f);
}

TEST_F(ProfileSettings, ReadThenWriteKeepsOtherSectionsCommentsAndMakesValuesSound) {
    Write(
        "; top\r\n[Other]\r\nA=1\r\n\r\n[Config]\r\nR_SPEED=12xyz\r\n; inside\r\nWIDTH= 12\r\n"
        "D_SPEED=-7\r\nSUKIMA=99999999999999999999\r\nHEIGHT=\r\nCOLOR2=ABCDEF\r\nCOLOR3="
        "zz\r\nTEXT=\r\n"
        "[Tail]\r\nB=2\r\n");
    ReadSettings();
    EXPECT_EQ(XMAX, 21);
    EXPECT_STREQ(config.TEXT, "");
    WriteSettings();
    const std::string text = Read();
    for (const char* kept :
         {"; top\r\n[Other]\r\nA=1\r\n", "[Config]\r\nR_SPEED=12\r\n", "; inside\r\nWIDTH=12\r\n",
          "D_SPEED=1\r\n", "SUKIMA=10\r\n", "HEIGHT=5\r\n", "COLOR2=abcdef\r\n",
          "COLOR3=000000\r\n", "NI2_UPDATE=700\r\n", "[Tail]\r\nB=2"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    }
    EXPECT_LT(text.find("[Config]"), text.find("[Tail]"));
}

TEST_F(ProfileSettings, LongTextsAreCutAt254BytesNeverInsideACharacter) {
    Write("[Config]\r\nTEXT=" + std::string(253, 'a') +
          "\x93\x60\x93\x60\r\nBLOCKFILE=" + std::string(400, 'b') + "\r\n");
    ReadSettings();
    EXPECT_EQ(std::string(config.TEXT), std::string(253, 'a'));  // the lead byte alone was dropped
    EXPECT_EQ(std::string(config.BLOCKFILE), std::string(254, 'b'));
}

TEST_F(ProfileSettings, AFileThatCannotBeWrittenLeavesTheValuesAsRead) {
    const std::string bad = folder + "\\no such folder\\koraven.ini";
    CopyBounded(settingsPath, kPathCapacity, bad.c_str());
    Scramble();
    ReadSettings();
    WriteSettings();
    EXPECT_EQ(config.R_SPEED, 3);
    EXPECT_STREQ(config.NI[1].update, "700");
    EXPECT_EQ(GetFileAttributesA(bad.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
