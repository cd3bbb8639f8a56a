// The settings file through the real profile functions, and the configuration and news dialogs
// driven with real messages: what they show, what trackbars, check boxes, the colour picker, OK,
// Cancel and Escape do to the settings and to koraven.ini, and Japanese texts under the system's
// code page (932, and 1252 in a second run).
#include <windows.h>
#include <commctrl.h>
#include <colordlg.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>

#include "main_window_fixture.h"
#include "modal_driver.h"
#include "resources/dialog_ids.h"
#include "settings/dialog_fields.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"

namespace {

class Dialogs : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fullScreen = false;
        instanceHandle = GetModuleHandleW(nullptr);
        RegisterDialogControls();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "kvdlg" + std::to_string(GetCurrentProcessId()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        ini = folder + "\\koraven.ini";
        CopyBounded(settingsPath, kPathCapacity, ini.c_str());
        CopyBounded(blockPattern, kPathCapacity, (folder + "\\*.x").c_str());
    }
    void TearDown() override {
        if (IsWindow(dialog)) DestroyWindow(dialog);
        for (const std::string& f : files) DeleteFileA(f.c_str());
        files.clear();
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(folder.c_str());
        MainWindowTest::TearDown();
    }
    void Restart() {  // a fresh saver state between the rounds of one test
        shutdownDone = false;
        closeState = 0;
        ResetSettings();
    }
    void AddFile(const char* name) {
        files.push_back(folder + "\\" + name);
        std::ofstream(files.back()) << "xof 0302txt 0032\n";
    }
    HWND Open() {
        dialog = CreateDialogParamW(instanceHandle, MAKEINTRESOURCEW(IDD_CONFIG), mainWindow,
                                    ConfigDialogProc, 0);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    std::wstring Text(int id, HWND d = nullptr) {
        return ControlText(GetDlgItem(d ? d : dialog, id));
    }
    std::string File() const {
        std::ostringstream s;
        s << std::ifstream(ini, std::ios::binary).rdbuf();
        return s.str();
    }
    void Write(const std::string& text) const { std::ofstream(ini, std::ios::binary) << text; }
    // The value of KEY= in the file, as bytes.
    std::string Value(const char* key) const {
        const std::string file = "\n" + File(), head = std::string("\n") + key + "=";
        const size_t at = file.find(head);
        if (at == std::string::npos) return "<missing>";
        const size_t start = at + head.size();
        return file.substr(start, file.find_first_of("\r\n", start) - start);
    }
    std::string folder, ini;
    std::vector<std::string> files;
    HWND dialog = nullptr;
};

bool IsNewsDialog(HWND d) {
    return GetDlgItem(d, IDC_NI1_HTML) != nullptr;
}

bool IsColourPicker(HWND d) {
    return GetWindow(d, GW_OWNER) == mainWindow && GetDlgItem(d, COLOR_RED) != nullptr;
}

TEST_F(Dialogs, WithoutAFileEveryDefaultIsReadAndEveryKeyWrittenInOrder) {
    for (const SettingKey& k : settingKeys) {  // every value away from its default
        if (k.type == kIntSetting) *k.intValue = 12345;
        if (k.type == kStringSetting) std::strcpy(k.text, "scrambled");
        if (k.type == kColourSetting) config.COLOR[k.colour][0] = 0.5f;
    }
    ReadSettings();
    WriteSettings();
    std::string want = "[Config]\r\n";
    for (const SettingKey& k : settingKeys)
        want += std::string(k.key) + "=" + k.defaultText + "\r\n";
    EXPECT_EQ(File(), want);
    EXPECT_EQ(config.R_SPEED * 100 + XMAX, 319);
    EXPECT_STREQ(config.TEXT, "伝言メッセージ");
    EXPECT_FLOAT_EQ(config.COLOR[0][2], 115.0f / 255.0f);
    // A file that cannot be written leaves the values as read.
    const std::string bad = folder + "\\no such folder\\koraven.ini";
    CopyBounded(settingsPath, kPathCapacity, bad.c_str());
    config.R_SPEED = 7;
    ReadSettings();
    WriteSettings();
    EXPECT_EQ(config.R_SPEED, 3);
    EXPECT_EQ(GetFileAttributesA(bad.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Dialogs, ReadThenWriteKeepsOtherSectionsAndCutsLongTextsAtAWholeCharacter) {
    Write(
        "; top\r\n[Other]\r\nA=1\r\n[Config]\r\nR_SPEED=12xyz\r\n; inside\r\nWIDTH= 12\r\n"
        "SUKIMA=99999999999999999999\r\nHEIGHT=\r\nCOLOR2=ABCDEF\r\nNI1_TAG=\r\nTEXT=" +
        std::string(253, 'a') + "\x93\x60\x93\x60\r\nBLOCKFILE=" + std::string(400, 'b') +
        "\r\n[Tail]\r\nB=2\r\n");
    ReadSettings();
    EXPECT_EQ(XMAX, 21);
    EXPECT_STREQ(config.NI[0].tag, "");
    EXPECT_EQ(std::string(config.TEXT), std::string(253, 'a'));  // the lead byte alone dropped
    EXPECT_EQ(std::string(config.BLOCKFILE), std::string(254, 'b'));
    WriteSettings();
    const std::string text = File();
    for (const char* kept : {"; top\r\n[Other]\r\nA=1\r\n", "[Config]\r\nR_SPEED=12\r\n",
                             "; inside\r\nWIDTH=12\r\n", "SUKIMA=10\r\n", "HEIGHT=5\r\n",
                             "COLOR2=abcdef\r\n", "NI2_UPDATE=700\r\n", "[Tail]\r\nB=2"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
}

TEST_F(Dialogs, ShowTheSettingsAndTheSortedBlockFiles) {
    // Files in the folder, and what the list holds: sorted; "koraven.x" alone when none matches.
    const std::pair<std::vector<const char*>, std::vector<std::wstring>> cases[] = {
        {{"b.x", "a.x", "c.x", "d.txt"}, {L"a.x", L"b.x", L"c.x"}}, {{}, {L"koraven.x"}}};
    for (const auto& c : cases) {
        for (const char* f : c.first) AddFile(f);
        config.R_SPEED = -18;
        config.MOUSESENSE = 0;
        config.SHOW[SLOT_NEWS2] = 1;
        CopyBounded(config.BLOCKFILE, kSettingSize, "elsewhere.x");
        appActive = true;
        Open();
        EXPECT_TRUE(dialogOpen && !appActive);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL), L"-180");
        HWND speed = GetDlgItem(dialog, IDC_R_SPEED);
        EXPECT_EQ(SendMessageW(speed, TBM_GETRANGEMIN, 0, 0), -18);
        EXPECT_EQ(SendMessageW(speed, TBM_GETRANGEMAX, 0, 0), 18);
        EXPECT_EQ(SendMessageW(speed, TBM_GETPOS, 0, 0), -18);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MOUSESENSE) * 100 +
                      IsDlgButtonChecked(dialog, IDC_TITLE) * 10 +
                      IsDlgButtonChecked(dialog, IDC_SHOW_NEWS2),
                  11u);
        std::vector<std::wstring> items;
        HWND combo = GetDlgItem(dialog, IDC_BLOCKFILE);
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t item[MAX_PATH] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            items.push_back(item);
        }
        EXPECT_EQ(items, c.second);
        EXPECT_EQ(Text(IDC_BLOCKFILE), L"elsewhere.x");  // not in the list, shown all the same
        EXPECT_EQ(Text(IDC_TEXT), L"伝言メッセージ");
        DestroyWindow(dialog);
        for (const std::string& f : files) DeleteFileA(f.c_str());
    }
}

TEST_F(Dialogs, CancelAndEscapeLeaveTheFileAfterTrackbarsAndColours) {
    WriteSettings();
    const std::string before = File();
    for (bool escape : {false, true}) {
        Restart();
        Open();
        // A key on a trackbar moves it; its notification takes every position at once.
        SendMessageW(GetDlgItem(dialog, IDC_R_SPEED), WM_KEYDOWN, VK_RIGHT, 0);
        SendDlgItemMessageW(dialog, IDC_WIDTH, TBM_SETPOS, TRUE, 30);
        SendMessageW(dialog, WM_HSCROLL, SB_THUMBPOSITION, LPARAM(GetDlgItem(dialog, IDC_WIDTH)));
        EXPECT_EQ(config.R_SPEED * 100 + config.WIDTH, 430);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL) + L" " + Text(IDC_WIDTH_LABEL), L"40 30");
        // The colour picker, owned by the main window, starts at the colour; OK takes its choice.
        const unsigned long start = ColourValue(0);
        unsigned long shown = 0;
        WhenDialogOpens(IsColourPicker, [&](HWND picker) {
            for (int i = 0; i < 3; ++i) {
                shown |= GetDlgItemInt(picker, COLOR_RED + i, nullptr, FALSE) << 8 * i;
                SetDlgItemInt(picker, COLOR_RED + i, 32 << i, FALSE);
            }
            ClickButton(picker, IDOK);
        });
        ClickButton(dialog, IDC_COLOR1);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_EQ(shown, start);
        EXPECT_STREQ(FormatColour(0), "204080");
        // A cancelled picker leaves the colour.
        WhenDialogOpens(IsColourPicker, [](HWND picker) { ClickButton(picker, IDCANCEL); });
        ClickButton(dialog, IDC_COLOR7);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_STREQ(FormatColour(6), "f78484");
        if (escape) {
            MSG key = {GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
            EXPECT_TRUE(IsDialogMessageW(dialog, &key));
        } else {
            ClickButton(dialog, IDCANCEL);
        }
        EXPECT_TRUE(shutdownDone) << escape;
        EXPECT_EQ(Take().closes, 1);
        EXPECT_EQ(File(), before) << escape;
        DestroyWindow(dialog);
    }
}

TEST_F(Dialogs, OkWritesCheckBoxesBlockFileAndACutMessageThenEnds) {
    AddFile("round.x");
    Open();
    ClickButton(dialog, IDC_MOUSESENSE);  // on -> off
    ClickButton(dialog, IDC_SHOW_FPS);    // off -> on
    SendDlgItemMessageW(dialog, IDC_BLOCKFILE, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(dialog, IDC_TEXT, std::wstring(250, L'm').c_str());
    ClickButton(dialog, IDOK);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(Take().closes, 1);
    EXPECT_EQ(Value("MOUSESENSE") + Value("SHOW_FPS") + Value("TITLE"), "011");
    EXPECT_EQ(Value("BLOCKFILE"), "round.x");
    EXPECT_EQ(Value("TEXT"), std::string(199, 'm'));
}

TEST_F(Dialogs, NewsDialogOkKeepsItsEditsCancelDropsThemOnlyTheConfigOkWrites) {
    for (bool newsOk : {true, false}) {
        Restart();
        DeleteFileA(ini.c_str());
        Open();
        std::wstring shown;
        WhenDialogOpens(IsNewsDialog, [&](HWND news) {
            shown = Text(IDC_NI1_HTML, news) + L" " + Text(IDC_NI2_UPDATE, news);
            SetDlgItemTextW(news, IDC_NI1_HTML, std::wstring(300, L'h').c_str());
            SetDlgItemTextW(news, IDC_NI2_TAG, L"");
            HWND interval = GetDlgItem(news, IDC_NI1_UPDATE);
            SetWindowTextW(interval, L"");
            for (wchar_t c : {L'4', L'x', L'-', L'5'}) SendMessageW(interval, WM_CHAR, c, 1);
            ClickButton(news, newsOk ? IDOK : IDCANCEL);
        });
        ClickButton(dialog, IDC_NEWS_SETTINGS);
        ASSERT_TRUE(WhenDialogRan());
        EXPECT_EQ(shown, L"news1.example 700");
        EXPECT_FALSE(shutdownDone);  // the news dialog writes nothing and ends nothing
        EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
        // Opened again, it shows what its OK kept; its close box then changes nothing.
        WhenDialogOpens(IsNewsDialog, [&](HWND news) {
            shown = Text(IDC_NI1_UPDATE, news);
            SetDlgItemTextW(news, IDC_NI1_UPDATE, L"1");
            SendMessageW(news, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        ClickButton(dialog, IDC_NEWS_SETTINGS);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_EQ(shown, newsOk ? L"45" : L"600");
        ClickButton(dialog, IDOK);
        EXPECT_EQ(Value("NI1_HTML"), newsOk ? std::string(255, 'h') : "news1.example");
        EXPECT_EQ(Value("NI1_UPDATE"), newsOk ? "45" : "600");
        EXPECT_EQ(Value("NI2_TAG"), newsOk ? "" : "http://news2.example/fc/");
        EXPECT_EQ(Value("NI2_HTML"), "news2.example");
        EXPECT_EQ(Take().closes, 1);
        DestroyWindow(dialog);
    }
}

// Run twice by the test list: under code page 932 and under 1252 (KV_EXPECT_ACP says which).
TEST_F(Dialogs, JapaneseReadsAndSurvivesOnTheSystemsCodePage) {
    if (const char* want = std::getenv("KV_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(want)));
    }
    std::printf("ANSI code page %u\n", GetACP());
    const std::string message = "伝言①∵テスト", block = "ブロック表示.x", reject = "【速報】";
    for (bool typed : {false, true}) {
        Restart();
        CopyBounded(config.TEXT, kSettingSize, message.c_str());
        CopyBounded(config.BLOCKFILE, kSettingSize, block.c_str());
        CopyBounded(config.NI[1].reject, kSettingSize, reject.c_str());
        WriteSettings();
        ResetSettings();
        ReadSettings();
        Open();
        EXPECT_EQ(ControlText(dialog), L"KORAVENの設定 (v1.7)");
        EXPECT_EQ(Text(IDC_MOUSESENSE), L"マウスの移動でも終了する");
        EXPECT_EQ(Text(IDCANCEL), L"ｷｬﾝｾﾙ");
        EXPECT_EQ(Text(IDC_TEXT), L"伝言①∵テスト");
        EXPECT_EQ(Text(IDC_BLOCKFILE), L"ブロック表示.x");
        WhenDialogOpens(IsNewsDialog, [&](HWND news) {
            EXPECT_EQ(ControlText(news), L"ニュースの取得");
            EXPECT_EQ(Text(IDC_NI2_REJECT, news), L"【速報】");
            if (typed) SetDlgItemTextW(news, IDC_NI1_REJECT, L"〔広告〕");
            ClickButton(news, IDOK);
        });
        ClickButton(dialog, IDC_NEWS_SETTINGS);
        if (typed) {
            SetDlgItemTextW(dialog, IDC_TEXT, L"新しい伝言∵");
            SetDlgItemTextW(dialog, IDC_BLOCKFILE, L"角丸.x");
        }
        ClickButton(dialog, IDOK);
        EXPECT_EQ(Value("TEXT"), typed ? "新しい伝言∵" : message);
        EXPECT_EQ(Value("BLOCKFILE"), typed ? "角丸.x" : block);
        EXPECT_EQ(Value("NI2_REJECT"), reject);
        EXPECT_EQ(Value("NI1_REJECT"), typed ? "〔広告〕" : "]");
        EXPECT_EQ(Take().closes, 1);
        DestroyWindow(dialog);
    }
}

TEST(Resources, ManifestAndVersion) {
    // The manifest: common controls 6 (Wine's version 6 reports 5 from DllGetVersion; the
    // side-by-side folder tells) and a DPI-aware process.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(std::wcsstr(path, L"common-controls_6595b64144ccf1df_6."), nullptr) << path;
    EXPECT_TRUE(IsProcessDPIAware());
    // The version resource: KORAVEN 1.7 in Japanese and in English.
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::vector<char> block(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    for (const wchar_t* lang : {L"041104b0", L"040904b0"}) {
        wchar_t* value = nullptr;
        UINT n = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\") + lang + L"\\ProductVersion";
        ASSERT_TRUE(
            VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &n));
        EXPECT_EQ(std::wstring(value), L"1.7") << lang;
    }
}

}  // namespace
