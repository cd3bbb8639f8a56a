// The settings file through the real profile functions, and the configuration, news and colour
// dialogs driven with real messages, in Japanese under the code page 932 and again under 1252.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/sjis.h"
#include "main_window_fixture.h"
#include "resources/dialog_ids.h"
#include "scene3d/ka3d.h"
#include "scene3d/win32/block_file.h"
#include "settings/win32/control_text.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/settings_io.h"

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
        folder = temp + ("kvdlg" + std::to_string(GetCurrentProcessId()));
        CreateDirectoryA(folder.c_str(), nullptr);
        ini = folder + "\\koraven.ini";
        CopyBounded(settingsPath, kPathCapacity, ini.c_str());
        CopyBounded(blockPattern, kPathCapacity, (folder + "\\*.x").c_str());
    }
    void TearDown() override {
        if (IsWindow(dialog)) DestroyWindow(dialog);
        DeleteFileA(ini.c_str());
        RemoveDirectoryA(folder.c_str());
        MainWindowTest::TearDown();
    }
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
    // Opens the news dialog from the configuration dialog; edit runs in it before OK or Cancel.
    void RunNewsDialog(std::function<void(HWND)> edit, int button) {
        WhenDialogOpens([](HWND d) { return GetDlgItem(d, IDC_NI1_HTML) != nullptr; },
                        [&](HWND news) {
                            edit(news);
                            ClickButton(news, button);
                        });
        ClickButton(dialog, IDC_NEWS_SETTINGS);
        ASSERT_TRUE(modal::done);
    }
    static void EditNews(HWND news) {
        SetDlgItemTextW(news, IDC_NI1_HTML, std::wstring(300, L'h').c_str());
        SetDlgItemTextW(news, IDC_NI2_TAG, L"");
        HWND interval = GetDlgItem(news, IDC_NI1_UPDATE);
        SetWindowTextW(interval, L"");
        for (wchar_t c : {L'4', L'x', L'-', L'5'}) SendMessageW(interval, WM_CHAR, c, 1);
    }
    // The labels of dialog d whose whole text, in the label's own font, is wider than the label:
    // such a label shows only the words that fit.
    static std::vector<std::wstring> CutLabels(HWND d) {
        std::vector<std::wstring> cut;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t kind[16] = L"";
            GetClassNameW(c, kind, 16);
            const std::wstring text = ControlText(c);
            if (lstrcmpiW(kind, L"Static") != 0 || text.empty()) continue;
            RECT label;
            GetClientRect(c, &label);
            HDC dc = GetDC(c);
            HGDIOBJ before = SelectObject(dc, HFONT(SendMessageW(c, WM_GETFONT, 0, 0)));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
            SelectObject(dc, before);
            ReleaseDC(c, dc);
            if (size.cx > label.right) cut.push_back(text);
        }
        return cut;
    }
    std::string folder, ini;
    HWND dialog = nullptr;
};

TEST_F(Dialogs, AnOverlongValueIsReadUpTo255Bytes) {
    std::ofstream(ini, std::ios::binary) << "[Config]\r\nBLOCKFILE=" << std::string(400, 'b');
    ReadSettings();
    EXPECT_EQ(std::string(config.BLOCKFILE), std::string(255, 'b'));
}

TEST_F(Dialogs, AnIntegerReadIsHeldToItsRange) {
    std::ofstream(ini, std::ios::binary) << "[Config]\r\nWIDTH=99\r\n";
    ReadSettings();
    EXPECT_EQ(config.WIDTH, 30);
}

TEST_F(Dialogs, CancelEndsTheSaverAndWritesNothingNotEvenAMovedSlider) {
    WriteSettings();
    const std::string before = File();
    Open();
    SetDlgItemTextW(dialog, IDC_TEXT, L"changed");
    SendDlgItemMessageW(dialog, IDC_R_SPEED, WM_KEYDOWN, VK_RIGHT, 0);
    ASSERT_EQ(config.R_SPEED, 4);  // a slider takes effect at once
    ClickButton(dialog, IDCANCEL);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(Take().closes, 1);
    EXPECT_EQ(File(), before);
}

TEST_F(Dialogs, OkWritesTheCheckBoxesAndEndsTheSaver) {
    Open();
    ClickButton(dialog, IDC_MOUSESENSE);  // on -> off
    ClickButton(dialog, IDC_SHOW_FPS);    // off -> on
    ClickButton(dialog, IDOK);
    EXPECT_TRUE(shutdownDone);
    EXPECT_EQ(Take().closes, 1);
    EXPECT_EQ(Value("MOUSESENSE"), "0");
    EXPECT_EQ(Value("SHOW_FPS"), "1");
    EXPECT_EQ(Value("TITLE"), "1");
}

TEST_F(Dialogs, OkCutsTheMessageBefore200BytesAtAWholeCharacter) {
    Open();
    SetDlgItemTextW(dialog, IDC_TEXT, (std::wstring(198, L'm') + L"伝").c_str());
    ClickButton(dialog, IDOK);
    EXPECT_EQ(Value("TEXT"), std::string(198, 'm'));
}

TEST_F(Dialogs, TheNewsDialogsOkKeepsItsEditsForTheConfigurationOkToWrite) {
    WriteSettings();
    const std::string before = File();
    Open();
    RunNewsDialog(EditNews, IDOK);
    EXPECT_FALSE(shutdownDone);
    EXPECT_EQ(File(), before);
    ClickButton(dialog, IDOK);
    EXPECT_EQ(Value("NI1_HTML"), std::string(255, 'h'));
    EXPECT_EQ(Value("NI1_UPDATE"), "45");  // digits only
    EXPECT_EQ(Value("NI2_TAG"), "");
}

TEST_F(Dialogs, TheNewsDialogsCancelDropsItsEdits) {
    Open();
    RunNewsDialog(EditNews, IDCANCEL);
    ClickButton(dialog, IDOK);
    EXPECT_EQ(Value("NI1_HTML"), "news1.example");
    EXPECT_EQ(Value("NI1_UPDATE"), "600");
    EXPECT_EQ(Value("NI2_TAG"), "http://news2.example/fc/");
}

TEST_F(Dialogs, EveryLabelOfTheConfigurationDialogShowsItsWholeText) {
    Open();
    EXPECT_EQ(CutLabels(dialog), std::vector<std::wstring>{});
}

TEST_F(Dialogs, EveryLabelOfTheNewsDialogShowsItsWholeText) {
    Open();
    std::vector<std::wstring> cut;
    RunNewsDialog([&](HWND news) { cut = CutLabels(news); }, IDCANCEL);
    EXPECT_EQ(cut, std::vector<std::wstring>{});
}

// Run twice by the test list: under code page 932 and under 1252 (KV_EXPECT_ACP says which).
class DialogsOnTheCodePage : public Dialogs {
  protected:
    void SetUp() override {
        Dialogs::SetUp();
        const char* acp = std::getenv("KV_EXPECT_ACP");
        ASSERT_TRUE(!acp || GetACP() == UINT(std::atoi(acp))) << GetACP();
        CopyBounded(config.TEXT, kSettingSize, "伝言①∵テスト");
        CopyBounded(config.BLOCKFILE, kSettingSize, "ブロック表示.x");
        CopyBounded(config.NI[1].reject, kSettingSize, "【速報】");
        Open();
    }
};

TEST_F(DialogsOnTheCodePage, TheConfigurationDialogShowsItsJapanese) {
    EXPECT_EQ(ControlText(dialog), L"KORAVENの設定 (v1.7)");
    EXPECT_EQ(Text(IDC_MOUSESENSE), L"マウスの移動でも終了する");
    EXPECT_EQ(Text(IDCANCEL), L"ｷｬﾝｾﾙ");
    EXPECT_EQ(Text(IDC_TEXT), L"伝言①∵テスト");
    EXPECT_EQ(Text(IDC_BLOCKFILE), L"ブロック表示.x");
}

TEST_F(DialogsOnTheCodePage, OkWritesTheTextsInShiftJis) {
    SetDlgItemTextW(dialog, IDC_TEXT, L"新しい伝言∵");
    SetDlgItemTextW(dialog, IDC_BLOCKFILE, L"角丸.x");
    ClickButton(dialog, IDOK);
    EXPECT_EQ(Value("TEXT"), "新しい伝言∵");
    EXPECT_EQ(Value("BLOCKFILE"), "角丸.x");
    EXPECT_EQ(Value("NI2_REJECT"), "【速報】");
}

// Run under code page 932 and again under 1252 (its name holds "CodePage").
TEST_F(Dialogs, JapaneseBlockFileNameLoadsOnTheSystemsCodePage) {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    path.erase(path.find_last_of(L"\\/") + 1);
    path += L"角丸ブロック.x";
    const std::string cube = KORAVEN_SOURCE_DIR "/resources/cube.x";
    ASSERT_TRUE(CopyFileW(std::wstring(cube.begin(), cube.end()).c_str(), path.c_str(), FALSE))
        << GetLastError() << " " << WideToSjis(path);
    // One frame asked for: the load returns it only when the file was read.
    ka3D::Frame* first = ka3D::LoadObjectFromFile(OpenBlockFile("角丸ブロック.x"), 0, nullptr);
    DeleteFileW(path.c_str());
    EXPECT_NE(first, nullptr);
    EXPECT_TRUE(errors.empty());
    ka3D::Release();
}

}  // namespace
