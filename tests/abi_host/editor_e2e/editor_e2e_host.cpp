// A minimal Windows host for the editor: loads the plug-in with LoadLibrary and "main", opens
// its editor in a top-level window of its own, records every audioMasterAutomate, and carries
// out commands that a driver appends to a command file, answering in a log file:
//   editor_e2e_host.exe PLUGIN.dll LOG COMMANDS
// Commands (coordinates relative to the editor form's top-left corner) address the current
// plug-in instance, each with a window of its own:
//   use N (0 or 1; instance 1 is made on first use) | rect | open | opennull | close | idle |
//   param I | set I VALUE | probe X Y | watch X Y POSITION | quit
#include <windows.h> // first: the other Windows headers build on it

#include <commctrl.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/vst2/aeffect.h"

namespace {

using MainEntry = AEffect*(VSTCALL*)(audioMasterCallback);

FILE* logFile = nullptr;
MainEntry mainEntry = nullptr;
AEffect* instances[2] = {};
HWND windows[2] = {};
AEffect* effect = nullptr; // the current instance and its window
HWND hostWindow = nullptr;
std::string commandPath;
std::size_t commandsDone = 0;
LARGE_INTEGER frequency, since; // times are logged in ms since the latest `set`

struct Watch {
    bool active = false;
    POINT at{};
    LRESULT position = 0;
} watch;

double msSinceSet() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - since.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void logLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(logFile, format, args);
    va_end(args);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

VstIntPtr VSTCALL hostCallback(AEffect* from, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/,
                               void* /*ptr*/, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterAutomate)
        logLine("automate %d %.9g %.1f %d", index, opt, msSinceSet(), from == instances[1] ? 1 : 0);
    return 0;
}

VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) {
    return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
}

HWND editorForm() {
    return GetWindow(hostWindow, GW_CHILD);
}

// The editor's control at a point of the form, topmost first.
HWND controlAt(POINT formPoint) {
    HWND form = editorForm();
    return form == nullptr ? nullptr : ChildWindowFromPointEx(form, formPoint, CWP_SKIPINVISIBLE);
}

void logForm() {
    HWND form = editorForm();
    if (form == nullptr) return logLine("form none");
    RECT rect;
    GetWindowRect(form, &rect);
    POINT inParent{rect.left, rect.top};
    ScreenToClient(hostWindow, &inParent);
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(form, GWL_EXSTYLE);
    logLine("form %ld %ld %ld %ld at %ld %ld border %d layered %d", rect.left, rect.top,
            rect.right - rect.left, rect.bottom - rect.top, inParent.x, inParent.y,
            (style & (WS_BORDER | WS_THICKFRAME | WS_DLGFRAME)) != 0,
            (exStyle & WS_EX_LAYERED) != 0);
}

void probe(POINT at) {
    HWND control = controlAt(at);
    if (control == nullptr) return logLine("probe none");
    wchar_t wideClass[64] = L"", wideText[64] = L"";
    GetClassNameW(control, wideClass, 64);
    GetWindowTextW(control, wideText, 64);
    char className[64], text[64];
    WideCharToMultiByte(CP_UTF8, 0, wideClass, -1, className, 64, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, wideText, -1, text, 64, nullptr, nullptr);
    RECT rect;
    GetWindowRect(control, &rect);
    LRESULT position = -1;
    RECT thumb{};
    if (lstrcmpiW(wideClass, L"Button") == 0) {
        position = SendMessageW(control, BM_GETCHECK, 0, 0);
    } else {
        position = SendMessageW(control, TBM_GETPOS, 0, 0);
        if (lstrcmpiW(wideClass, TRACKBAR_CLASSW) == 0) {
            SendMessageW(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&thumb), 2);
        }
    }
    logLine("probe %s '%s' %ld %ld %ld %ld pos %ld thumb %ld %ld %ld %ld", className, text,
            rect.left, rect.top, rect.right, rect.bottom, static_cast<long>(position), thumb.left,
            thumb.top, thumb.right, thumb.bottom);
}

// Loads instance `n` through "main" and gives it a window of its own, one above the other.
bool makeInstance(int n) {
    instances[n] = mainEntry(hostCallback);
    if (instances[n] == nullptr) return false;
    instances[n]->dispatcher(instances[n], effOpen, 0, 0, nullptr, 0.0f);
    windows[n] = CreateWindowExW(0, L"UlvoEditorTestHost", L"editor test host",
                                 WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40 + 360 * n, 520,
                                 340, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return windows[n] != nullptr;
}

void run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "use") {
        int n = 0;
        words >> n;
        n = n == 1 ? 1 : 0;
        if (instances[n] == nullptr && !makeInstance(n)) return logLine("using failed");
        effect = instances[n];
        hostWindow = windows[n];
        logLine("using %d", n);
    } else if (command == "rect") {
        ERect* rect = nullptr;
        const VstIntPtr result = dispatch(effEditGetRect, &rect);
        if (rect == nullptr) return logLine("rect %d null", static_cast<int>(result));
        logLine("rect %d %d %d %d %d", static_cast<int>(result), rect->top, rect->left,
                rect->bottom, rect->right);
    } else if (command == "open") {
        logLine("open %d", static_cast<int>(dispatch(effEditOpen, hostWindow)));
        logForm();
    } else if (command == "opennull") {
        logLine("opennull %d", static_cast<int>(dispatch(effEditOpen, nullptr)));
        logForm();
    } else if (command == "close") {
        dispatch(effEditClose);
        logLine("closed");
        logForm();
    } else if (command == "idle") {
        dispatch(effEditIdle);
        logLine("idled");
    } else if (command == "param") {
        int index = 0;
        words >> index;
        logLine("param %d %.9g", index, effect->getParameter(effect, index));
    } else if (command == "set") {
        int index = 0;
        float value = 0;
        words >> index >> value;
        QueryPerformanceCounter(&since);
        effect->setParameter(effect, index, value);
        logLine("set %d %.9g", index, value);
    } else if (command == "probe") {
        POINT at{};
        words >> at.x >> at.y;
        probe(at);
    } else if (command == "watch") {
        words >> watch.at.x >> watch.at.y >> watch.position;
        watch.active = true;
        logLine("watching");
    } else if (command == "quit") {
        logLine("quitting");
        PostQuitMessage(0);
    } else {
        logLine("unknown %s", command.c_str());
    }
}

void pollCommands() {
    std::ifstream file(commandPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    // Only whole lines: the driver writes each command with its newline in one append.
    while (commandsDone < lines.size())
        run(lines[commandsDone++]);
}

void pollWatch() {
    if (!watch.active) return;
    HWND control = controlAt(watch.at);
    if (control != nullptr && SendMessageW(control, TBM_GETPOS, 0, 0) == watch.position) {
        logLine("reached %ld after %.1f", static_cast<long>(watch.position), msSinceSet());
        watch.active = false;
    }
}

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (wParam == 1) pollCommands();
        if (wParam == 2) pollWatch();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: editor_e2e_host PLUGIN.dll LOG COMMANDS\n");
        return 2;
    }
    logFile = std::fopen(argv[2], "w");
    if (logFile == nullptr) return 2;
    commandPath = argv[3];
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&since);

    HMODULE library = LoadLibraryA(argv[1]);
    if (library != nullptr)
        mainEntry =
            reinterpret_cast<MainEntry>(reinterpret_cast<void*>(GetProcAddress(library, "main")));
    if (mainEntry == nullptr) {
        logLine("failed to load %s", argv[1]);
        return 1;
    }

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(32, 48, 96)); // a colour the editor never uses
    wc.lpszClassName = L"UlvoEditorTestHost";
    RegisterClassExW(&wc);
    if (!makeInstance(0)) {
        logLine("no instance from main");
        return 1;
    }
    effect = instances[0];
    hostWindow = windows[0];
    SetTimer(windows[0], 1, 20, nullptr);
    SetTimer(windows[0], 2, 5, nullptr);
    logLine("ready");

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(windows[0], 1);
    KillTimer(windows[0], 2);
    for (int n = 0; n < 2; ++n) {
        if (instances[n] == nullptr) continue;
        instances[n]->dispatcher(instances[n], effEditClose, 0, 0, nullptr, 0.0f);
        instances[n]->dispatcher(instances[n], effClose, 0, 0, nullptr, 0.0f);
        DestroyWindow(windows[n]);
    }
    logLine("done");
    std::fclose(logFile);
    return 0;
}
