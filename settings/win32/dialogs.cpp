// The configuration dialog and the news settings dialog.
#include "settings/win32/dialogs.h"

#include <commctrl.h>
#include <io.h>

#include "resources/dialog_ids.h"
#include "settings/dialog_fields.h"
#include "settings/settings.h"
#include "settings/win32/control_text.h"
#include "settings/win32/news_try.h"
#include "settings/win32/settings_io.h"
#include "common/shell_state.h"
#include "common/hooks.h"
#include "common/win32/shell_handles.h"

namespace {

// Shared by every use of the colour picker: black at start, kept for the life of the process,
// never saved.
COLORREF customColours[16];

// The names of the block shape files beside the program into the combo box (which sorts them);
// "koraven.x" alone when there is none. A name with no Shift-JIS form, or one longer than a
// setting holds, could not be stored in BLOCKFILE and is left out.
void FillBlockFiles(HWND combo) {
    int added = 0;
    _wfinddata_t found;
    const intptr_t search = _wfindfirst(SjisToWide(blockPattern).c_str(), &found);
    if (search != -1) {
        do {
            bool lossy = false;
            const std::string name = WideToSjis(found.name, &lossy);
            if (!lossy && name.size() < static_cast<size_t>(kSettingSize)) {
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.name));
                ++added;
            }
        } while (_wfindnext(search, &found) == 0);
        _findclose(search);
    }
    if (added == 0) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"koraven.x"));
}

void InitConfigDialog(HWND dialog) {
    dialogOpen = true;
    appActive = false;
    WINNLSEnableIME(nullptr, TRUE);
    UpdateConfigControls(dialog);
    for (const SettingKey& k : settingKeys) {
        if (k.control != kCheckBoxControl) continue;
        SendDlgItemMessageW(dialog, k.controlId, BM_SETCHECK, *k.intValue != 0 ? 1 : 0, 0);
    }
    HWND combo = GetDlgItem(dialog, IDC_BLOCKFILE);
    FillBlockFiles(combo);
    SetControlText(combo, config.BLOCKFILE);
    SetControlText(GetDlgItem(dialog, IDC_TEXT), config.TEXT);
}

void AcceptConfigDialog(HWND dialog) {
    WINNLSEnableIME(nullptr, FALSE);
    for (const SettingKey& k : settingKeys) {
        if (k.control != kCheckBoxControl) continue;
        const LRESULT state = SendDlgItemMessageW(dialog, k.controlId, BM_GETCHECK, 0, 0);
        *k.intValue = state == BST_CHECKED ? 1 : 0;
    }
    ReadControlText(GetDlgItem(dialog, IDC_BLOCKFILE), config.BLOCKFILE, kBlockFileReadSize);
    ReadControlText(GetDlgItem(dialog, IDC_TEXT), config.TEXT, kMessageReadSize);
    WriteSettings();
    EndDialog(dialog, 0);
    if (hooks.endSaver) hooks.endSaver();
}

void CancelConfigDialog(HWND dialog) {
    WINNLSEnableIME(nullptr, FALSE);
    EndDialog(dialog, 0);
    if (hooks.endSaver) hooks.endSaver();
}

}  // namespace

void RegisterDialogControls() {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
}

INT_PTR ShowConfigDialog(HWND owner) {
    RegisterDialogControls();
    return DialogBoxParamW(instanceHandle, MAKEINTRESOURCEW(IDD_CONFIG), owner, ConfigDialogProc,
                           0);
}

void UpdateConfigControls(HWND dialog) {
    for (const SettingKey& k : settingKeys) {
        if (k.control != kTrackbarControl) continue;
        HWND bar = GetDlgItem(dialog, k.controlId);
        SendMessageW(bar, TBM_SETRANGE, TRUE, TrackbarRange(k.minValue, k.maxValue));
        SendMessageW(bar, TBM_SETPOS, TRUE, *k.intValue);
        char label[kLabelTextSize];
        FormatTrackbarLabel(k, label);
        SetControlText(GetDlgItem(dialog, k.labelId), label);
    }
}

void PickBlockColour(int index) {
    CHOOSECOLORW picker = {};
    picker.lStructSize = sizeof picker;
    picker.hwndOwner = mainWindow;
    picker.rgbResult = ColourValue(index);
    picker.lpCustColors = customColours;
    picker.Flags = CC_RGBINIT | CC_FULLOPEN;
    ChooseColorW(&picker);
    SetColourValue(index, picker.rgbResult);
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: InitConfigDialog(dialog); break;
        case WM_HSCROLL:
            for (const SettingKey& k : settingKeys) {
                if (k.control != kTrackbarControl) continue;
                const LRESULT position = SendDlgItemMessageW(dialog, k.controlId, TBM_GETPOS, 0, 0);
                *k.intValue = static_cast<int>(position);
            }
            UpdateConfigControls(dialog);
            break;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                AcceptConfigDialog(dialog);
            } else if (id == IDCANCEL) {
                CancelConfigDialog(dialog);
            } else if (id >= IDC_COLOR1 && id <= IDC_COLOR7) {
                PickBlockColour(id - IDC_COLOR1);
            } else if (id == IDC_NEWS_SETTINGS) {
                DialogBoxParamW(instanceHandle, MAKEINTRESOURCEW(IDD_NEWS), dialog, NewsDialogProc,
                                0);
            }
            break;
        }
        default: break;
    }
    return 0;
}

INT_PTR CALLBACK NewsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        for (const SettingKey& k : settingKeys) {
            if (k.control == kNewsEditControl)
                SetControlText(GetDlgItem(dialog, k.controlId), k.text);
        }
        InitNewsTry(dialog);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        for (const SettingKey& k : settingKeys) {
            if (k.control != kNewsEditControl) continue;
            ReadControlText(GetDlgItem(dialog, k.controlId), k.text, kNewsReadSize);
        }
        AbandonNewsTries();
        EndDialog(dialog, 0);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        AbandonNewsTries();
        EndDialog(dialog, 0);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_NI1_TRY) {
        StartNewsTry(dialog, 0);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_NI2_TRY) {
        StartNewsTry(dialog, 1);
    } else if (message == kNewsTryDone) {
        FinishNewsTry(dialog, static_cast<int>(wParam), lParam);
    }
    return 0;
}
