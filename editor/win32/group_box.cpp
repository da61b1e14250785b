#include "editor/win32/group_box.h"

namespace {

constexpr const wchar_t* kPreviousProc = L"UlvoDrawGroupBoxProc";

LRESULT CALLBACK groupBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kPreviousProc));
    if (message == WM_ERASEBKGND) {
        RECT inside;
        GetClientRect(hwnd, &inside);
        FillRect(reinterpret_cast<HDC>(wParam), &inside, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(hwnd, kPreviousProc);
    }
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

} // namespace

void fillGroupBoxInside(HWND box) {
    if (box == nullptr) return;
    const LONG_PTR previous =
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(groupBoxProc));
    SetPropW(box, kPreviousProc, reinterpret_cast<HANDLE>(previous));
}
