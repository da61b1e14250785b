#include "editor/win32/window_classes.h"

#include <atomic>

#include "editor/win32/form_window_proc.h"
#include "editor/win32/knob_window.h"

namespace {

// Forms alive in this module, on whatever thread the host opened them.
std::atomic<int> classUsers{0};

bool registerClass(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name;
    // A registration left by another editor of this module is as good as our own.
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HINSTANCE moduleInstance() {
    static const int anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&anchor), &module);
    return module;
}

bool acquireWindowClasses() {
    classUsers.fetch_add(1, std::memory_order_relaxed);
    if (registerClass(kFormClassName, formWindowProc) &&
        registerClass(kKnobClassName, knobWindowProc))
        return true;
    releaseWindowClasses();
    return false;
}

void releaseWindowClasses() {
    if (classUsers.fetch_sub(1, std::memory_order_relaxed) != 1) return;
    // Fails harmlessly while a window of the class still exists.
    UnregisterClassW(kFormClassName, moduleInstance());
    UnregisterClassW(kKnobClassName, moduleInstance());
}
