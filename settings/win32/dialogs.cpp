#include "settings/win32/dialogs.h"

#include <commctrl.h>
#include <io.h>

#include "resources/dialog_ids.h"
#include "settings/dialog_fields.h"
#include "settings/settings.h"
#include "settings/win32/control_text.h"
#include "settings/win32/news_try.h"
#include "settings/win32/settings_io.h"
#include "shell/shell_state.h"
#include "shell/win32/shell_win32.h"
#include "shell/win32/shutdown.h"

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
    for (const CheckBoxField& f : checkBoxFields) {
        SendDlgItemMessageW(dialog, f.id, BM_SETCHECK, *f.value != 0 ? 1 : 0, 0);
    }
    HWND combo = GetDlgItem(dialog, IDC_BLOCKFILE);
    FillBlockFiles(combo);
    SetControlText(combo, config.BLOCKFILE);
    SetControlText(GetDlgItem(dialog, IDC_TEXT), config.TEXT);
}

void AcceptConfigDialog(HWND dialog) {
    WINNLSEnableIME(nullptr, FALSE);
    for (const CheckBoxField& f : checkBoxFields) {
        *f.value = SendDlgItemMessageW(dialog, f.id, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
    ReadControlText(GetDlgItem(dialog, IDC_BLOCKFILE), config.BLOCKFILE, kBlockFileReadSize);
    ReadControlText(GetDlgItem(dialog, IDC_TEXT), config.TEXT, kMessageReadSize);
    WriteSettings();
    EndDialog(dialog, 0);
    Shutdown();
}

void CancelConfigDialog(HWND dialog) {
    WINNLSEnableIME(nullptr, FALSE);
    EndDialog(dialog, 0);
    Shutdown();
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
    for (const TrackbarField& f : trackbarFields) {
        HWND bar = GetDlgItem(dialog, f.id);
        SendMessageW(bar, TBM_SETRANGE, TRUE, TrackbarRange(f.minValue, f.maxValue));
        SendMessageW(bar, TBM_SETPOS, TRUE, *f.value);
        char label[kLabelTextSize];
        FormatTrackbarLabel(f, label);
        SetControlText(GetDlgItem(dialog, f.labelId), label);
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
            for (const TrackbarField& f : trackbarFields) {
                *f.value = static_cast<int>(SendDlgItemMessageW(dialog, f.id, TBM_GETPOS, 0, 0));
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
        for (const NewsField& f : newsFields) SetControlText(GetDlgItem(dialog, f.id), f.text);
        InitNewsTry(dialog);
    } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        for (const NewsField& f : newsFields) {
            ReadControlText(GetDlgItem(dialog, f.id), f.text, kNewsReadSize);
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
