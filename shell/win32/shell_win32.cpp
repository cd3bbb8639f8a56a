#include "shell/win32/shell_win32.h"

#include <mmsystem.h>

#include <cstdint>
#include <cstring>
#include <ctime>

#include "display/program_directory.h"
#include "display/win32/kadraw.h"
#include "display/win32/monitor_covers.h"
#include "display/win32/title_screen.h"
#include "game/win32/game_frame.h"
#include "settings/desktop_size.h"
#include "settings/settings.h"
#include "settings/win32/dialogs.h"
#include "settings/win32/settings_io.h"
#include "settings/win32/settings_location.h"
#include "shell/command_line.h"
#include "shell/frame_clock.h"
#include "shell/frame_pacer.h"
#include "shell/overlay_layout.h"
#include "shell/random.h"
#include "shell/shell_state.h"
#include "shell/win32/shutdown.h"
#include "shell/win32/window_proc.h"

HWND mainWindow = nullptr;
HWND previewParent = nullptr;
HINSTANCE instanceHandle = nullptr;
HANDLE instanceMutex = nullptr;

const char kProgramName[] = "KORAVEN";
const char kWindowClassName[] = "DEFAULT";

namespace {

// lastFrameTime starts as the clock's reading at program load.
const bool clockLoaded = (lastFrameTime = timeGetTime(), true);

constexpr char kMutexSuffix[] = ":KaMutex";

FramePacer pacer;

int64_t NowMicroseconds() {
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                                now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

}  // namespace

bool CheckSingleInstance(const char* name) {
    (void)clockLoaded;
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
    // Step 2: start values of the flags.
    mouseEndsSaver = true;
    mouseMoveCount = 0;
    configMode = false;
    previewMode = false;

    // Step 3: the command line; in preview mode the parent and its client size.
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

    // Step 4: the window class.
    RegisterMainClass(instance);

    // Step 5: settings path and block-file pattern from the full command line.
    DerivePaths(GetCommandLineA());
    // Where that file cannot be written (the system folder), a per-user copy instead.
    ChooseSettingsFile(UserAppDataFolder());

    // The size RESOLUTION 5 and the GDI present path use: the desktop's, in real pixels (the
    // program is DPI-aware).
    SetDesktopSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    // Step 6: every setting read, then at once written back.
    ReadSettings();
    WriteSettings();

    // Step 7: the overlay slots, before the generator is seeded (same layout on every start).
    LayOutOverlayLines();

    // Step 8.
    if (config.MOUSESENSE == 0) mouseEndsSaver = false;

    // Step 9: configure mode runs in a hidden captioned window.
    if (configMode) {
        startHidden = true;
        fullScreen = false;
        mouseEndsSaver = false;
    }

    // Step 10: the main window.
    mainWindow = CreateMainWindow(instance);
    if (mainWindow == nullptr) return false;

    // Step 11.
    ShowWindow(mainWindow, startHidden ? SW_HIDE : showCommand);
    UpdateWindow(mainWindow);

    // Step 12: instance, seeding, IME off.
    instanceHandle = instance;
    char modulePath[MAX_PATH];
    DWORD n = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    modulePath[n < sizeof modulePath ? n : sizeof modulePath - 1] = '\0';
    kaDraw::SetModulePath(modulePath);
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
    runState = 1;
    StartFramePacing();
}

void StartFramePacing() {
    // Sleeps and waits then end within a millisecond of their time.
    timeBeginPeriod(1);
    StartPacing(pacer, kaDraw::RefreshRate(), NowMicroseconds());
}

void PaceFrame() {
    const uint32_t wait = SleepMilliseconds(TimeUntilFrame(pacer, NowMicroseconds()));
    if (wait > 0) Sleep(wait);
    FrameRan(pacer, NowMicroseconds());
}

void ResetFrameClock() {
    frameDelta = 0.0f;
    lastFrameTime = timeGetTime();
}

void Pause(unsigned milliseconds) {
    const uint32_t deadline = timeGetTime() + milliseconds;
    for (uint32_t now = timeGetTime(); !DeadlinePassed(now, deadline); now = timeGetTime()) {
        Sleep(deadline - now + 1);
    }
    ResetFrameClock();
}

void RunFrame() {
    // Frame clock.
    const uint32_t now = timeGetTime();
    frameDelta = FrameDeltaSeconds(now, lastFrameTime);
    lastFrameTime = timeGetTime();

    // The preview follows its host window.
    if (previewMode) {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(previewParent, &r);
        windowOrigin.x = r.left;
        windowOrigin.y = r.top;
    }

    // The routine of the run state.
    switch (runState) {
        case 1: RunTitleScreen(); break;
        case 2: GameFrame(); break;
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
                if (pacer.period > 0) timeEndPeriod(1);
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
        const uint32_t wait = SleepMilliseconds(TimeUntilFrame(pacer, NowMicroseconds()));
        if (wait > 0) {
            MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        RunFrame();
        FrameRan(pacer, NowMicroseconds());
    }
}
