#include "editor/win32/knob_window.h"

#include <windows.h> // first: the other Windows headers build on it

#include <commctrl.h>
#include <windowsx.h>

#include "editor/win32/window_classes.h"

namespace {

TTsumami* knobOf(HWND hwnd) {
    return reinterpret_cast<TTsumami*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

KnobPoint screenPoint(HWND hwnd, LPARAM lParam) {
    // Captured moves can lie left of or above the window: the coordinates are signed.
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd, &point);
    return {point.x, point.y};
}

COLORREF penColour(KnobPen pen) {
    switch (pen) {
    case KnobPen::ButtonHighlight:
        return GetSysColor(COLOR_BTNHIGHLIGHT);
    case KnobPen::ButtonShadow:
        return GetSysColor(COLOR_BTNSHADOW);
    case KnobPen::Black:
        break;
    }
    return RGB(0, 0, 0);
}

void paintKnob(HWND hwnd, const TTsumami& knob) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const KnobPaint paint = knob.paintGeometry(client.right, client.bottom);

    HPEN pens[3] = {CreatePen(PS_SOLID, 1, penColour(KnobPen::Black)),
                    CreatePen(PS_SOLID, 1, penColour(KnobPen::ButtonHighlight)),
                    CreatePen(PS_SOLID, 1, penColour(KnobPen::ButtonShadow))};
    auto usePen = [&](KnobPen pen) { SelectObject(dc, pens[static_cast<int>(pen)]); };
    HGDIOBJ oldPen = SelectObject(dc, pens[0]);
    HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_BTNFACE));

    Ellipse(dc, paint.discFrom.x, paint.discFrom.y, paint.discTo.x, paint.discTo.y);
    SetArcDirection(dc, AD_COUNTERCLOCKWISE);
    for (const KnobArc& arc : paint.rings) {
        usePen(arc.pen);
        Arc(dc, arc.boxFrom.x, arc.boxFrom.y, arc.boxTo.x, arc.boxTo.y, arc.rayStart.x,
            arc.rayStart.y, arc.rayEnd.x, arc.rayEnd.y);
    }
    auto drawLine = [&](const KnobLine& line) {
        usePen(line.pen);
        MoveToEx(dc, line.from.x, line.from.y, nullptr);
        LineTo(dc, line.to.x, line.to.y);
    };
    for (const KnobLine& line : paint.pointer)
        drawLine(line);
    for (const KnobLine& line : paint.marks)
        drawLine(line);

    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    for (HPEN pen : pens)
        DeleteObject(pen);
    EndPaint(hwnd, &ps);
}

} // namespace

HWND createKnobWindow(HWND parent, TTsumami& knob, RECT bounds) {
    return CreateWindowExW(0, kKnobClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           bounds.left, bounds.top, bounds.right - bounds.left,
                           bounds.bottom - bounds.top, parent, nullptr, moduleInstance(), &knob);
}

LRESULT CALLBACK knobWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* knob =
            static_cast<TTsumami*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(knob));
        knob->RequestRepaint = [hwnd] { InvalidateRect(hwnd, nullptr, TRUE); };
    }
    TTsumami* knob = knobOf(hwnd);
    if (knob == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        paintKnob(hwnd, *knob);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(hwnd); // moves and the release come here wherever the cursor goes
        knob->beginDrag(screenPoint(hwnd, lParam));
        return 0;
    case WM_MOUSEMOVE:
        knob->dragTo(screenPoint(hwnd, lParam));
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        knob->endDrag();
        return 0;
    case TBM_GETPOS: // answered like a slider, for accessibility tools and test hosts
        return knob->Position;
    case WM_NCDESTROY:
        knob->RequestRepaint = nullptr;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
