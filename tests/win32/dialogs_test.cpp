// The settings file through the real profile functions, and the configuration, news and colour
// dialogs driven with real messages, in Japanese under the code page 932 and again under 1252.
#include <windows.h>
#include <commctrl.h>
#include <colordlg.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <utility>

#include "main_window_fixture.h"
#include "resources/dialog_ids.h"
#include "scene3d/ka3d.h"
#include "scene3d/win32/block_file.h"
#include "settings/dialog_fields.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/settings_io.h"
#include "common/sjis.h"
#include "shell/command_line.h"

namespace {

class Dialogs : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        fullScreen = false, instanceHandle = GetModuleHandleW(nullptr);
        RegisterDialogControls();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = temp + ("kvdlg" + std::to_string(GetCurrentProcessId()));
        CreateDirectoryA(folder.c_str(), nullptr), ini = folder + "\\koraven.ini";
        CopyBounded(settingsPath, kPathCapacity, ini.c_str());
        CopyBounded(blockPattern, kPathCapacity, (folder + "\\*.x").c_str());
    }
    void TearDown() override {
        for (const std::string& f : files) DeleteFileA(f.c_str());
        DeleteFileA(ini.c_str()), RemoveDirectoryA(folder.c_str());
        MainWindowTest::TearDown();
    }
    void Restart() {  // a fresh saver state between the rounds of one test
        shutdownDone = false, closeState = 0;
        ResetSettings();
    }
    void AddFile(const char* name) { std::ofstream(files.emplace_back(folder + "\\" + name)); }
    void Open() {
        dialog = CreateDialogParamW(instanceHandle, MAKEINTRESOURCEW(IDD_CONFIG), mainWindow,
                                    ConfigDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    std::wstring Text(int id, HWND d = 0) { return ControlText(GetDlgItem(d ? d : dialog, id)); }
    std::string File() const {
        std::ifstream f(ini, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // The value of KEY= in the file, as bytes.
    std::string Value(const char* key) const {
        const std::string file = "\n" + File(), head = std::string("\n") + key + "=";
        const size_t start = file.find(head) + head.size();
        return file.substr(start, file.find('\r', start) - start);
    }
    std::string folder, ini;
    std::vector<std::string> files;
    HWND dialog = nullptr;
};

TEST_F(Dialogs, ReadingFillsEveryDefaultWritesEveryKeyInOrderAndCutsLongValuesWhole) {
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
    // Other sections stay; long values are cut, a text never inside a character.
    std::ofstream(ini, std::ios::binary)
        << "[Other]\r\nA=1\r\n[Config]\r\nSUKIMA=99999999999999999999\r\nNI1_TAG=\r\nTEXT="
        << std::string(254, 'a') << "\x93\x60\x93\x60\r\nBLOCKFILE=" << std::string(400, 'b')
        << "\r\n[Tail]\r\nB=2\r\n";
    ReadSettings();
    EXPECT_STREQ(config.NI[0].tag, "");
    EXPECT_EQ(std::string(config.TEXT), std::string(254, 'a'));  // the lead byte alone dropped
    EXPECT_EQ(std::string(config.BLOCKFILE), std::string(255, 'b'));
    WriteSettings();
    for (const char* kept : {"[Other]\r\nA=1\r\n[Config]\r\nSUKIMA=10\r\n", "[Tail]\r\nB=2"})
        EXPECT_NE(File().find(kept), std::string::npos) << kept << "\n" << File();
}

TEST_F(Dialogs, EveryTextSettingOf255BytesIsReadBackWhole) {
    const std::string value = std::string(253, 'x') + "漢";  // as long as the dialogs store
    for (const SettingKey& k : settingKeys) {
        if (k.type == kStringSetting) CopyBounded(k.text, kSettingSize, value.c_str());
    }
    WriteSettings();
    ResetSettings();
    ReadSettings();
    for (const SettingKey& k : settingKeys) {
        if (k.type != kStringSetting) continue;
        EXPECT_EQ(std::string(k.text), value) << k.key;
    }
}

TEST_F(Dialogs, ShowTheSettingsAndCancelOrEscapeWritesNothing) {
    for (bool escape : {false, true}) {
        Restart();
        config.R_SPEED = -18;
        CopyBounded(config.BLOCKFILE, kSettingSize, "elsewhere.x");
        WriteSettings();
        const std::string before = File();
        // The files in the folder, listed sorted; "koraven.x" alone when none matches.
        if (!escape)
            for (const char* f : {"b.x", "a.x", "c.x", "d.txt"}) AddFile(f);
        appActive = true;
        Open();
        EXPECT_TRUE(dialogOpen && !appActive);
        HWND speed = GetDlgItem(dialog, IDC_R_SPEED), combo = GetDlgItem(dialog, IDC_BLOCKFILE);
        std::wstring items;
        for (int i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t item[MAX_PATH] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            items += item + std::wstring(L" ");
        }
        EXPECT_EQ(items, escape ? L"koraven.x " : L"a.x b.x c.x ");
        EXPECT_EQ(Text(IDC_BLOCKFILE), L"elsewhere.x");  // not in the list, shown all the same
        EXPECT_EQ(Text(IDC_TEXT), L"伝言メッセージ");
        // A key moves a trackbar from where it was set in its range; the notification takes every
        // position at once.
        SendMessageW(speed, WM_KEYDOWN, VK_RIGHT, 0);
        SendDlgItemMessageW(dialog, IDC_WIDTH, TBM_SETPOS, TRUE, 30);
        SendMessageW(dialog, WM_HSCROLL, SB_THUMBPOSITION, LPARAM(GetDlgItem(dialog, IDC_WIDTH)));
        EXPECT_EQ(config.R_SPEED * 100 + config.WIDTH, -1700 + 30);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL) + L" " + Text(IDC_WIDTH_LABEL), L"-170 30");
        // The colour picker, owned by the main window, starts at the colour; OK takes its choice.
        const unsigned long start = ColourValue(0);
        unsigned long shown = 0;
        WhenDialogOpens(
            [](HWND d) { return GetWindow(d, GW_OWNER) == mainWindow && GetDlgItem(d, COLOR_RED); },
            [&](HWND picker) {
                for (int i = 0; i < 3; ++i) {
                    shown |= GetDlgItemInt(picker, COLOR_RED + i, nullptr, FALSE) << 8 * i;
                    SetDlgItemInt(picker, COLOR_RED + i, 32 << i, FALSE);
                }
                ClickButton(picker, IDOK);
            });
        ClickButton(dialog, IDC_COLOR1);
        EXPECT_TRUE(modal::done && shown == start);
        EXPECT_STREQ(FormatColour(0), "204080");
        if (escape) {
            MSG key = {GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
            EXPECT_TRUE(IsDialogMessageW(dialog, &key));
        } else {
            ClickButton(dialog, IDCANCEL);
        }
        EXPECT_TRUE(shutdownDone) << escape;
        EXPECT_EQ(Take(), 10);
        EXPECT_EQ(File(), before) << escape;
        DestroyWindow(dialog);
        for (const std::string& f : std::exchange(files, {})) DeleteFileA(f.c_str());
    }
}

// Run twice by the test list: under code page 932 and under 1252 (KV_EXPECT_ACP says which).
// The news dialog's OK keeps its edits, its Cancel drops them, and only the configuration
// dialog's OK writes them, with its own, in Shift-JIS.
TEST_F(Dialogs, OkWritesWhatBothDialogsHoldOnTheSystemsCodePage) {
    const char* acp = std::getenv("KV_EXPECT_ACP");  // the code page the test list asks for
    ASSERT_TRUE(!acp || GetACP() == UINT(std::atoi(acp))) << GetACP();
    const std::string message = "伝言①∵テスト", block = "ブロック表示.x", reject = "【速報】";
    AddFile("round.x");
    for (bool typed : {true, false}) {
        Restart();
        CopyBounded(config.TEXT, kSettingSize, message.c_str());
        CopyBounded(config.BLOCKFILE, kSettingSize, block.c_str());
        CopyBounded(config.NI[1].reject, kSettingSize, reject.c_str());
        WriteSettings(), ResetSettings(), ReadSettings();
        const std::string read = File();
        Open();
        EXPECT_EQ(ControlText(dialog), L"KORAVENの設定 (v1.7)");
        EXPECT_EQ(Text(IDC_MOUSESENSE) + Text(IDCANCEL), L"マウスの移動でも終了するｷｬﾝｾﾙ");
        EXPECT_EQ(Text(IDC_TEXT) + Text(IDC_BLOCKFILE), L"伝言①∵テストブロック表示.x");
        std::wstring shown;
        WhenDialogOpens([](HWND d) { return GetDlgItem(d, IDC_NI1_HTML) != nullptr; },
                        [&](HWND news) {
                            shown = ControlText(news) + Text(IDC_NI1_HTML, news) +
                                    Text(IDC_NI2_UPDATE, news) + Text(IDC_NI2_REJECT, news);
                            SetDlgItemTextW(news, IDC_NI1_HTML, std::wstring(300, L'h').c_str());
                            SetDlgItemTextW(news, IDC_NI2_TAG, L"");
                            SetDlgItemTextW(news, IDC_NI1_REJECT, L"〔広告〕");
                            HWND interval = GetDlgItem(news, IDC_NI1_UPDATE);
                            SetWindowTextW(interval, L"");
                            for (wchar_t c : {L'4', L'x', L'-', L'5'})
                                SendMessageW(interval, WM_CHAR, c, 1);
                            ClickButton(news, typed ? IDOK : IDCANCEL);
                        });
        ClickButton(dialog, IDC_NEWS_SETTINGS);
        ASSERT_TRUE(modal::done);
        EXPECT_EQ(shown, L"ニュースの取得news1.example700【速報】");
        EXPECT_FALSE(shutdownDone);  // the news dialog writes nothing and ends nothing
        EXPECT_EQ(File(), read);
        if (typed) {
            ClickButton(dialog, IDC_MOUSESENSE);  // on -> off
            ClickButton(dialog, IDC_SHOW_FPS);    // off -> on
            SetDlgItemTextW(dialog, IDC_TEXT, (L"新しい伝言∵" + std::wstring(250, L'm')).c_str());
            SetDlgItemTextW(dialog, IDC_BLOCKFILE, L"角丸.x");
        } else {
            SendDlgItemMessageW(dialog, IDC_BLOCKFILE, CB_SETCURSEL, 0, 0);
        }
        ClickButton(dialog, IDOK);
        EXPECT_TRUE(shutdownDone);
        EXPECT_EQ(Take(), 10);
        EXPECT_EQ(Value("MOUSESENSE") + Value("SHOW_FPS") + Value("TITLE"), typed ? "011" : "101");
        EXPECT_EQ(Value("TEXT"), typed ? "新しい伝言∵" + std::string(187, 'm') : message);
        EXPECT_EQ(Value("BLOCKFILE"), typed ? "角丸.x" : "round.x");
        EXPECT_EQ(Value("NI1_HTML"), typed ? std::string(255, 'h') : "news1.example");
        EXPECT_EQ(Value("NI1_UPDATE") + Value("NI1_REJECT"), typed ? "45〔広告〕" : "600]");
        EXPECT_EQ(Value("NI2_TAG"), typed ? "" : "http://news2.example/fc/");
        EXPECT_EQ(Value("NI2_REJECT") + Value("NI2_HTML"), reject + "news2.example");
        DestroyWindow(dialog);
    }
}

// Run under code page 932 and again under 1252, as above.
TEST_F(Dialogs, JapaneseBlockFileNameLoadsOnTheSystemsCodePage) {
    std::ifstream in(KORAVEN_SOURCE_DIR "/resources/cube.x", std::ios::binary);
    const std::string shape{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(shape.empty());
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    path.erase(path.find_last_of(L"\\/") + 1);
    path += L"角丸ブロック.x";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError() << " " << WideToSjis(path);
    DWORD written = 0;
    WriteFile(file, shape.data(), DWORD(shape.size()), &written, nullptr);
    CloseHandle(file);
    // One frame asked for: the load returns it only when the file was read.
    ka3D::Frame* first = ka3D::LoadObjectFromFile(OpenBlockFile("角丸ブロック.x"), 0, nullptr);
    DeleteFileW(path.c_str());
    EXPECT_NE(first, nullptr);
    EXPECT_TRUE(errors.empty());
    ka3D::Release();
}

TEST(Resources, CommonControlsSixAndDpiAwareness) {
    // Wine's version 6 reports 5 from DllGetVersion; the side-by-side folder tells.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(std::wcsstr(path, L"common-controls_6595b64144ccf1df_6."), nullptr) << path;
    EXPECT_TRUE(IsProcessDPIAware());
}

}  // namespace
