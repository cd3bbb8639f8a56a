// The entry's work: single instance, start-up, the main window, the run and the loop.
#include "shell/win32/shell_win32.h"

#include <mmsystem.h>

#include <cstdint>
#include <cstring>
#include <ctime>

#include "common/hooks.h"
#include "common/program_directory.h"
#include "display/win32/kadraw.h"
#include "display/win32/monitor_covers.h"
#include "display/win32/title_screen.h"
#include "game/win32/game_frame.h"
#include "news/win32/news_try_fetch.h"
#include "overlay/win32/compose_text.h"
#include "overlay/win32/fonts.h"
#include "settings/desktop_size.h"
#include "settings/settings.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/news_try.h"
#include "settings/win32/settings_io.h"
#include "settings/win32/settings_location.h"
#include "shell/command_line.h"
#include "shell/window_rules.h"
#include "common/win32/frame_clock.h"
#include "common/win32/shell_handles.h"
#include "overlay/overlay_layout.h"
#include "common/random.h"
#include "common/shell_state.h"
#include "common/sjis.h"
#include "shell/win32/shutdown.h"
#include "shell/win32/window_proc.h"

HANDLE instanceMutex = nullptr;

const char kProgramName[] = "KORAVEN";
const char kWindowClassName[] = "DEFAULT";

namespace {

constexpr char kMutexSuffix[] = ":KaMutex";

}  // namespace

void RegisterHooks() {
    hooks.resetInput = ResetInput;
    hooks.allocateFonts = InitFonts;
    hooks.showTextPicture = ShowTextPicture;
    hooks.endSaver = Shutdown;
    // The news dialog's try buttons run the news fetch, which sits above the dialogs.
    RegisterNewsTry(TryNewsSource);
}

bool CheckSingleInstance(const char* name) {
    Sleep(1);
    char mutexName[MAX_PATH];
    size_t n = CopyBounded(mutexName, sizeof mutexName - sizeof kMutexSuffix + 1, name);
    std::memcpy(mutexName + n, kMutexSuffix, sizeof kMutexSuffix);
    instanceMutex = CreateMutexA(nullptr, TRUE, mutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        SetForegroundWindow(FindWindowA(kWindowClassName, name));
        return false;
    }
    return true;
}

void RegisterMainClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "MAIN");
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kWindowClassName;
    RegisterClassA(&wc);
}

HWND CreateMainWindow(HINSTANCE instance) {
    if (fullScreen) {
        return CreateWindowExA(0, kWindowClassName, kProgramName, WS_POPUP | WS_SYSMENU, 0, 0,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, instance, nullptr);
    }
    if (previewMode) {
        return CreateWindowExA(0, kWindowClassName, kProgramName, WS_CHILD, 0, 0, previewWidth,
                               previewHeight, previewParent, nullptr, instance, nullptr);
    }
    const WindowRect r = CaptionedWindowRect(
        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), GetSystemMetrics(SM_CXEDGE),
        GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CXBORDER),
        GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYEDGE),
        GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYBORDER));
    return CreateWindowExA(0, kWindowClassName, kProgramName,
                           WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, r.x, r.y, r.width, r.height,
                           nullptr, nullptr, instance, nullptr);
}

bool StartUp(HINSTANCE instance, const char* commandLine, int showCommand) {
    // The command line; in preview mode the parent and its client size.
    const RunMode mode = ParseRunMode(commandLine ? commandLine : "");
    ApplyRunMode(mode);
    if (previewMode) {
        HWND given = reinterpret_cast<HWND>(static_cast<intptr_t>(mode.previewWindow));
        previewParent = IsWindow(given) ? GetWindow(given, GW_HWNDFIRST) : nullptr;
        if (previewParent == nullptr) return false;
        RECT client = {0, 0, 0, 0};
        GetClientRect(previewParent, &client);
        previewWidth = client.right - client.left;
        previewHeight = client.bottom - client.top;
    }

    // The window class.
    RegisterMainClass(instance);

    // Settings path and block-file pattern from the full command line.
    DerivePaths(GetCommandLineA());
    // Where that file cannot be written (the system folder), a per-user copy instead.
    ChooseSettingsFile(UserAppDataFolder());

    // The size RESOLUTION 5 and the GDI present path use: the desktop's, in real pixels (the
    // program is DPI-aware).
    SetDesktopSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    // Every setting read, then at once written back.
    ReadSettings();
    WriteSettings();

    // The overlay slots, before the generator is seeded (same layout on every start).
    LayOutOverlayLines();

    if (config.MOUSESENSE == 0) mouseEndsSaver = false;

    // Configure mode runs in a hidden captioned window.
    if (configMode) {
        startHidden = true;
        fullScreen = false;
        mouseEndsSaver = false;
    }

    // The main window.
    mainWindow = CreateMainWindow(instance);
    if (mainWindow == nullptr) return false;

    ShowWindow(mainWindow, startHidden ? SW_HIDE : showCommand);
    UpdateWindow(mainWindow);

    // Instance, seeding, IME off.
    instanceHandle = instance;
    char modulePath[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    modulePath[n < sizeof modulePath ? n : sizeof modulePath - 1] = '\0';
    SetModulePath(modulePath);
    SeedRand(static_cast<uint32_t>(std::time(nullptr)));
    WINNLSEnableIME(nullptr, FALSE);
    return true;
}

void StartRun() {
    if (configMode) {
        // Dialog 2003, modal, owned by the hidden main window; both of its buttons end in
        // Shutdown(), whose close request ends the loop below. A dialog that cannot be created
        // ends the saver the same way rather than leave it waiting, hidden, for ever.
        if (ShowConfigDialog(mainWindow) == -1) Shutdown();
    }
    kaDraw::Screen(DisplayWidth(), DisplayHeight(), 1);
    // The other monitors go black once the mode has changed.
    if (fullScreen) kaDraw::PlaceMonitorCovers();
    runState = RUN_TITLE;
    StartFramePacing(kaDraw::RefreshRate());
}

void RunFrame() {
    // Frame clock.
    TakeFrameDelta();

    // The preview follows its host window.
    if (previewMode) {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(previewParent, &r);
        windowOrigin.x = r.left;
        windowOrigin.y = r.top;
    }

    // The routine of the run state.
    switch (runState) {
        case RUN_TITLE: RunTitleScreen(); break;
        case RUN_GAME: GameFrame(); break;
        default: break;
    }

    // Cursor rule (windowed modes; full screen hides it through WM_SETCURSOR).
    if (!fullScreen) {
        POINT p = {0, 0};
        GetCursorPos(&p);
        const bool inside =
            CursorInside(windowOrigin, CursorClientWidth(), CursorClientHeight(), p.x, p.y);
        const int change = CursorChange(inside, previewMode, cursorShown);
        if (change < 0) {
            ShowCursor(FALSE);
            cursorShown = false;
        } else if (change > 0) {
            ShowCursor(TRUE);
            cursorShown = true;
        }
    }
}

int RunMessageLoop() {
    for (;;) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                StopFramePacing();
                return 0;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        if (!appActive && !runWhileInactive) {
            WaitMessage();
            continue;
        }
        // Until the next frame is due the loop sleeps, and wakes at once for a message.
        const uint32_t wait = MillisecondsUntilFrame();
        if (wait > 0) {
            MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        RunFrame();
        NoteFrameRan();
    }
}
