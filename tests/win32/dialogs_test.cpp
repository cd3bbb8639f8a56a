// The configuration and news dialogs under Wine, driven with real messages: what they show, what
// trackbars, check boxes, the colour picker, OK, Cancel and Escape do to the settings and to
// koraven.ini, and Japanese texts under the system's code page (932, and 1252 in a second run).
#include <windows.h>
#include <commctrl.h>
#include <colordlg.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "modal_driver.h"
#include "resources/dialog_ids.h"
#include "settings/dialog_fields.h"
#include "settings/settings.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/settings_io.h"
#include "shell/command_line.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The value of KEY= in the file, as bytes.
std::string ValueIn(const std::string& file, const char* key) {
    const std::string head = std::string("\n") + key + "=";
    const size_t at = ("\n" + file).find(head);
    if (at == std::string::npos) return "<missing>";
    const size_t start = at + head.size() - 1;
    return file.substr(start, file.find_first_of("\r\n", start) - start);
}

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetShellState();
        ResetSettings();
        shutdownDone = false;
        instanceMutex = nullptr;
        instanceHandle = GetModuleHandleW(nullptr);
        RegisterMainClass(instanceHandle);
        configMode = true;
        fullScreen = false;
        mainWindow = CreateMainWindow(instanceHandle);
        ASSERT_NE(mainWindow, nullptr);
        RegisterDialogControls();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "kvdlg" + std::to_string(GetCurrentProcessId()) + "_" +
                  std::to_string(++counter_);
        CreateDirectoryA(folder_.c_str(), nullptr);
        ini_ = folder_ + "\\koraven.ini";
        CopyBounded(settingsPath, kPathCapacity, ini_.c_str());
        CopyBounded(blockPattern, kPathCapacity, (folder_ + "\\*.x").c_str());
    }

    void TearDown() override {
        if (dialog_ && IsWindow(dialog_)) DestroyWindow(dialog_);
        if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
        mainWindow = nullptr;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        for (const std::string& f : files_) DeleteFileA(f.c_str());
        DeleteFileA(ini_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    void AddFile(const char* name) {
        files_.push_back(folder_ + "\\" + name);
        std::ofstream(files_.back()) << "xof 0302txt 0032\n";
    }

    HWND Open() {
        dialog_ = CreateDialogParamW(instanceHandle, MAKEINTRESOURCEW(IDD_CONFIG), mainWindow,
                                     ConfigDialogProc, 0);
        EXPECT_NE(dialog_, nullptr);
        return dialog_;
    }

    std::wstring Text(int id, HWND dialog = nullptr) {
        return ControlText(GetDlgItem(dialog ? dialog : dialog_, id));
    }

    std::vector<std::wstring> ComboItems() {
        std::vector<std::wstring> items;
        HWND combo = GetDlgItem(dialog_, IDC_BLOCKFILE);
        const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t item[MAX_PATH] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            items.push_back(item);
        }
        return items;
    }

    // The close requests that Shutdown posted to the main window, taken off the queue.
    int TakeCloses() {
        int n = 0;
        MSG msg;
        while (PeekMessageW(&msg, mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
        return n;
    }

    static int counter_;
    std::string folder_;
    std::string ini_;
    std::vector<std::string> files_;
    HWND dialog_ = nullptr;
};

int Dialogs::counter_ = 0;

bool IsNewsDialog(HWND d) {
    return GetDlgItem(d, IDC_NI1_HTML) != nullptr;
}

bool IsColourPicker(HWND d) {
    return GetWindow(d, GW_OWNER) == mainWindow && GetDlgItem(d, COLOR_RED) != nullptr;
}

}  // namespace

TEST_F(Dialogs, ShowTheSettingsLabelsAndBlockFiles) {
    // Files in the folder, and what the list holds: sorted; "koraven.x" alone when none matches.
    struct Case {
        std::vector<const char*> files;
        std::vector<std::wstring> listed;
    } cases[] = {{{"b.x", "a.x", "c.x", "d.txt"}, {L"a.x", L"b.x", L"c.x"}}, {{}, {L"koraven.x"}}};
    for (const Case& c : cases) {
        for (const std::string& f : files_) DeleteFileA(f.c_str());
        for (const char* f : c.files) AddFile(f);
        config.R_SPEED = -18;
        config.RESOLUTION = 2;
        config.MOUSESENSE = 0;
        config.SHOW[SLOT_NEWS2] = 1;
        CopyBounded(config.BLOCKFILE, kSettingSize, "elsewhere.x");
        appActive = true;
        Open();
        EXPECT_TRUE(dialogOpen);
        EXPECT_FALSE(appActive);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL), L"-180");
        EXPECT_EQ(Text(IDC_RESOLUTION_LABEL), L"1024x768");
        EXPECT_EQ(Text(IDC_HEIGHT_LABEL), L"20");
        HWND speed = GetDlgItem(dialog_, IDC_R_SPEED);
        EXPECT_EQ(SendMessageW(speed, TBM_GETRANGEMIN, 0, 0), -18);
        EXPECT_EQ(SendMessageW(speed, TBM_GETRANGEMAX, 0, 0), 18);
        EXPECT_EQ(SendMessageW(speed, TBM_GETPOS, 0, 0), -18);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_MOUSESENSE), BST_UNCHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_TITLE), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_SHOW_NEWS2), BST_CHECKED);
        EXPECT_EQ(ComboItems(), c.listed);
        EXPECT_EQ(Text(IDC_BLOCKFILE), L"elsewhere.x");  // not in the list, shown all the same
        EXPECT_EQ(Text(IDC_TEXT), L"伝言メッセージ");
        config.R_SPEED = 6;
        UpdateConfigControls(dialog_);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL), L"60");
        DestroyWindow(dialog_);
    }
}

TEST_F(Dialogs, CancelAndEscapeLeaveTheFileAfterTrackbarsAndColours) {
    WriteSettings();
    const std::string before = ReadBytes(ini_);
    for (bool escape : {false, true}) {
        shutdownDone = false;
        closeState = 0;
        ResetSettings();
        Open();
        // A key on a trackbar moves it; its notification takes every position at once.
        SendMessageW(GetDlgItem(dialog_, IDC_R_SPEED), WM_KEYDOWN, VK_RIGHT, 0);
        EXPECT_EQ(config.R_SPEED, 4);
        EXPECT_EQ(Text(IDC_R_SPEED_LABEL), L"40");
        SendDlgItemMessageW(dialog_, IDC_WIDTH, TBM_SETPOS, TRUE, 30);
        SendMessageW(dialog_, WM_HSCROLL, SB_THUMBPOSITION,
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, IDC_WIDTH)));
        EXPECT_EQ(config.WIDTH, 30);
        EXPECT_EQ(Text(IDC_WIDTH_LABEL), L"30");
        // The colour picker, owned by the main window, starts at the colour; OK takes its choice.
        const unsigned long start = ColourValue(0);
        unsigned long shown = 0;
        WhenDialogOpens(IsColourPicker, [&](HWND picker) {
            shown = static_cast<unsigned long>(GetDlgItemInt(picker, COLOR_RED, nullptr, FALSE)) |
                    GetDlgItemInt(picker, COLOR_GREEN, nullptr, FALSE) << 8 |
                    GetDlgItemInt(picker, COLOR_BLUE, nullptr, FALSE) << 16;
            SetDlgItemInt(picker, COLOR_RED, 32, FALSE);
            SetDlgItemInt(picker, COLOR_GREEN, 64, FALSE);
            SetDlgItemInt(picker, COLOR_BLUE, 128, FALSE);
            ClickButton(picker, IDOK);
        });
        ClickButton(dialog_, IDC_COLOR1);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_EQ(shown, start);
        EXPECT_STREQ(FormatColour(0), "204080");
        // A cancelled picker leaves the colour.
        WhenDialogOpens(IsColourPicker, [](HWND picker) { ClickButton(picker, IDCANCEL); });
        ClickButton(dialog_, IDC_COLOR7);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_STREQ(FormatColour(6), "f78484");
        if (escape) {
            MSG key = {GetDlgItem(dialog_, IDOK), WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
            EXPECT_TRUE(IsDialogMessageW(dialog_, &key));
        } else {
            ClickButton(dialog_, IDCANCEL);
        }
        EXPECT_TRUE(shutdownDone) << escape;
        EXPECT_EQ(TakeCloses(), 1);
        EXPECT_EQ(ReadBytes(ini_), before) << escape;
        DestroyWindow(dialog_);
    }
}

TEST_F(Dialogs, OkWritesCheckBoxesBlockFileAndACutMessageThenEnds) {
    AddFile("round.x");
    Open();
    ClickButton(dialog_, IDC_MOUSESENSE);  // on -> off
    ClickButton(dialog_, IDC_SHOW_FPS);    // off -> on
    SendDlgItemMessageW(dialog_, IDC_BLOCKFILE, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(dialog_, IDC_TEXT, std::wstring(250, L'm').c_str());
    ClickButton(dialog_, IDOK);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(TakeCloses(), 1);
    const std::string file = ReadBytes(ini_);
    EXPECT_EQ(ValueIn(file, "MOUSESENSE"), "0");
    EXPECT_EQ(ValueIn(file, "SHOW_FPS"), "1");
    EXPECT_EQ(ValueIn(file, "TITLE"), "1");
    EXPECT_EQ(ValueIn(file, "BLOCKFILE"), "round.x");
    EXPECT_EQ(ValueIn(file, "TEXT"), std::string(199, 'm'));
}

TEST_F(Dialogs, NewsDialogOkKeepsItsEditsCancelDropsThemOnlyTheConfigOkWrites) {
    for (bool newsOk : {true, false}) {
        shutdownDone = false;
        closeState = 0;
        ResetSettings();
        DeleteFileA(ini_.c_str());
        Open();
        std::vector<std::wstring> shown;
        WhenDialogOpens(IsNewsDialog, [&](HWND news) {
            for (int id : {IDC_NI1_HTML, IDC_NI1_FILE, IDC_NI1_IGNORE, IDC_NI1_TAG, IDC_NI1_REJECT,
                           IDC_NI1_UPDATE, IDC_NI2_HTML, IDC_NI2_FILE, IDC_NI2_IGNORE, IDC_NI2_TAG,
                           IDC_NI2_REJECT, IDC_NI2_UPDATE}) {
                shown.push_back(Text(id, news));
            }
            SetDlgItemTextW(news, IDC_NI1_HTML, std::wstring(300, L'h').c_str());
            SetDlgItemTextW(news, IDC_NI2_TAG, L"");
            HWND interval = GetDlgItem(news, IDC_NI1_UPDATE);
            SetWindowTextW(interval, L"");
            for (wchar_t c : {L'4', L'x', L'-', L'5'}) SendMessageW(interval, WM_CHAR, c, 1);
            ClickButton(news, newsOk ? IDOK : IDCANCEL);
        });
        ClickButton(dialog_, IDC_NEWS_SETTINGS);
        ASSERT_TRUE(WhenDialogRan());
        ASSERT_EQ(shown.size(), 12u);
        EXPECT_EQ(shown[0], L"news1.example");
        EXPECT_EQ(shown[5], L"600");
        EXPECT_EQ(shown[10], L"...");
        EXPECT_EQ(shown[11], L"700");
        EXPECT_FALSE(shutdownDone);  // the news dialog writes nothing and ends nothing
        EXPECT_EQ(GetFileAttributesA(ini_.c_str()), INVALID_FILE_ATTRIBUTES);
        // Opened again, it shows what its OK kept; its close box then changes nothing.
        std::wstring again;
        WhenDialogOpens(IsNewsDialog, [&](HWND news) {
            again = Text(IDC_NI1_UPDATE, news);
            SetDlgItemTextW(news, IDC_NI1_UPDATE, L"1");
            SendMessageW(news, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box keeps nothing
        });
        ClickButton(dialog_, IDC_NEWS_SETTINGS);
        EXPECT_TRUE(WhenDialogRan());
        EXPECT_EQ(again, newsOk ? L"45" : L"600");
        ClickButton(dialog_, IDOK);
        const std::string file = ReadBytes(ini_);
        EXPECT_EQ(ValueIn(file, "NI1_HTML"), newsOk ? std::string(255, 'h') : "news1.example");
        EXPECT_EQ(ValueIn(file, "NI1_UPDATE"), newsOk ? "45" : "600");
        EXPECT_EQ(ValueIn(file, "NI2_TAG"), newsOk ? "" : "http://news2.example/fc/");
        EXPECT_EQ(ValueIn(file, "NI2_HTML"), "news2.example");
        EXPECT_EQ(TakeCloses(), 1);
        DestroyWindow(dialog_);
    }
}

// Run twice by the test list: under code page 932 and under 1252 (KV_EXPECT_ACP says which).
TEST_F(Dialogs, JapaneseReadsAndSurvivesOnTheSystemsCodePage) {
    if (const char* want = std::getenv("KV_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(want)));
    }
    std::printf("ANSI code page %u\n", GetACP());
    const std::string message = "伝言①∵テスト";
    const std::string block = "ブロック表示.x";
    const std::string reject = "【速報】";
    for (bool typed : {false, true}) {
        shutdownDone = false;
        closeState = 0;
        ResetSettings();
        CopyBounded(config.TEXT, kSettingSize, message.c_str());
        CopyBounded(config.BLOCKFILE, kSettingSize, block.c_str());
        CopyBounded(config.NI[1].reject, kSettingSize, reject.c_str());
        WriteSettings();
        ResetSettings();
        ReadSettings();
        Open();
        EXPECT_EQ(ControlText(dialog_), L"KORAVENの設定 (v1.7)");
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
        ClickButton(dialog_, IDC_NEWS_SETTINGS);
        if (typed) {
            SetDlgItemTextW(dialog_, IDC_TEXT, L"新しい伝言∵");
            SetDlgItemTextW(dialog_, IDC_BLOCKFILE, L"角丸.x");
        }
        ClickButton(dialog_, IDOK);
        const std::string file = ReadBytes(ini_);
        EXPECT_EQ(ValueIn(file, "TEXT"), typed ? "新しい伝言∵" : message);
        EXPECT_EQ(ValueIn(file, "BLOCKFILE"), typed ? "角丸.x" : block);
        EXPECT_EQ(ValueIn(file, "NI2_REJECT"), reject);
        EXPECT_EQ(ValueIn(file, "NI1_REJECT"), typed ? "〔広告〕" : "]");
        EXPECT_EQ(TakeCloses(), 1);
        DestroyWindow(dialog_);
    }
}

TEST(Resources, ManifestAndVersion) {
    // The manifest: common controls 6 and a DPI-aware process.
    // (Wine's version 6 reports 5 from DllGetVersion; the side-by-side folder tells.)
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    CharLowerW(path);
    EXPECT_NE(std::wcsstr(path, L"common-controls_6595b64144ccf1df_6."), nullptr) << path;
    EXPECT_TRUE(IsProcessDPIAware());
    // The version resource: KORAVEN 1.7 in Japanese and in English.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<char> block(GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT n = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &n));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010007u);
    for (const wchar_t* lang : {L"041104b0", L"040904b0"}) {
        for (auto [name, want] :
             {std::pair{L"ProductName", L"KORAVEN"}, {L"FileVersion", L"1.7"}}) {
            wchar_t* value = nullptr;
            const std::wstring path = std::wstring(L"\\StringFileInfo\\") + lang + L"\\" + name;
            ASSERT_TRUE(
                VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &n));
            EXPECT_EQ(std::wstring(value), want);
        }
    }
}
