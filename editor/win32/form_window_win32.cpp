// The form's window on Windows: a borderless child of the host's window holding native group
// boxes, labels, trackbars, radio buttons, a text box and a picture, plus the knob windows, all
// as direct children (a group box does not pass its children's notifications on), placed from
// the layout. Runs the form's timer and its synchronous repaint.
#include <windows.h> // first: the other Windows headers build on it

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/editor_form.h"
#include "editor/form_layout.h"
#include "editor/form_window.h"
#include "editor/parameter_binding.h"
#include "editor/win32/form_font.h"
#include "editor/win32/form_window_proc.h"
#include "editor/win32/group_box.h"
#include "editor/win32/knob_window.h"
#include "editor/win32/logo_image.h"
#include "editor/win32/native_controls.h"
#include "editor/win32/window_classes.h"

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriodMs = 100;
constexpr COLORREF kTextColour =
    RGB((kFontColourRgb >> 16) & 0xFF, (kFontColourRgb >> 8) & 0xFF, kFontColourRgb & 0xFF);

std::wstring widen(const char* text) {
    std::wstring wide;
    for (const char* c = text; *c != '\0'; ++c)
        wide.push_back(static_cast<unsigned char>(*c));
    return wide;
}

class Win32FormWindow : public FormWindow {
  public:
    explicit Win32FormWindow(TForm1& form) : form(form) {}
    ~Win32FormWindow() override;

    bool create(HWND parent);
    void show() override {
        if (hwnd != nullptr) ShowWindow(hwnd, SW_SHOW);
    }
    void repaintNow() override;
    std::int32_t width() const override { return clientSize().right; }
    std::int32_t height() const override { return clientSize().bottom; }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void forgetWindow() { hwnd = nullptr; }

  private:
    RECT clientSize() const;
    HWND createChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                     RECT bounds);
    RECT formBounds(const ControlLayout& control) const;
    void buildControl(const ControlLayout& control);
    void buildRadioGroup(const ControlLayout& control);
    void buildLabel(const ControlLayout& control);

    TForm1& form;
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HBITMAP logo = nullptr;
    bool classesHeld = false;
    bool painted = false;         // set by WM_PAINT, for repaintNow
    std::int32_t textHeight = 14; // the font's text cell, measured once the font exists
    std::vector<HWND> groupBoxes; // innermost first: sent below their contents
    std::vector<std::unique_ptr<TrackBarControl>> trackBars;
    std::vector<std::unique_ptr<RadioGroupControl>> radioGroups;
};

Win32FormWindow::~Win32FormWindow() {
    form.RepaintNow = nullptr;
    if (hwnd != nullptr) DestroyWindow(hwnd); // its timer and every control go with it
    if (font != nullptr) DeleteObject(font);
    if (logo != nullptr) DeleteObject(logo);
    if (classesHeld) releaseWindowClasses();
}

RECT Win32FormWindow::clientSize() const {
    RECT rect{0, 0, kFormWidth, kFormHeight};
    if (hwnd != nullptr) GetClientRect(hwnd, &rect);
    return rect;
}

bool Win32FormWindow::create(HWND parent) {
    classesHeld = acquireWindowClasses();
    if (!classesHeld) return false;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // No border, no alpha blending: a layered child would leave the editor nearly invisible.
    hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClassName, L"Form1",
                           WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, kFormWidth,
                           kFormHeight, parent, nullptr, moduleInstance(), this);
    if (hwnd == nullptr) return false;

    font = createFormFont(hwnd);
    if (HDC dc = GetDC(hwnd)) {
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICW metrics;
        if (GetTextMetricsW(dc, &metrics)) textHeight = metrics.tmHeight;
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }

    // Controls that take the focus first, in keyboard order, then the rest; group boxes last.
    for (const char* name : kTabOrder)
        buildControl(*findControl(name));
    for (const ControlLayout& control : kFormLayout)
        if (control.kind == ControlKind::Label || control.kind == ControlKind::Knob ||
            control.kind == ControlKind::Image)
            buildControl(control);
    for (auto control = kFormLayout.rbegin(); control != kFormLayout.rend(); ++control)
        if (control->kind == ControlKind::GroupBox) buildControl(*control);
    // Each group box goes below everything drawn inside it; GroupBox1, last, lies lowest.
    for (HWND box : groupBoxes) {
        fillGroupBoxInside(box);
        SetWindowPos(box, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    form.RepaintNow = [this] { repaintNow(); };
    SetTimer(hwnd, kTimerId, kTimerPeriodMs, nullptr);
    return true;
}

HWND Win32FormWindow::createChild(const wchar_t* className, const std::wstring& text, DWORD style,
                                  DWORD exStyle, RECT bounds) {
    HWND child = CreateWindowExW(exStyle, className, text.c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, bounds.left,
                                 bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                                 hwnd, nullptr, moduleInstance(), nullptr);
    if (child != nullptr) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

RECT Win32FormWindow::formBounds(const ControlLayout& control) const {
    const ControlRect rect = formRect(control);
    return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

void Win32FormWindow::buildControl(const ControlLayout& control) {
    const RECT bounds = formBounds(control);
    switch (control.kind) {
    case ControlKind::GroupBox: {
        const DWORD flat = control.flat ? BS_FLAT : 0;
        groupBoxes.push_back(
            createChild(WC_BUTTONW, widen(control.caption), BS_GROUPBOX | flat, 0, bounds));
        break;
    }
    case ControlKind::Label:
        buildLabel(control);
        break;
    case ControlKind::TrackBar: {
        HWND bar = createChild(TRACKBAR_CLASSW, L"",
                               WS_TABSTOP | TBS_VERT | TBS_BOTH | TBS_AUTOTICKS | TBS_FIXEDLENGTH,
                               0, bounds);
        SendMessageW(bar, TBM_SETRANGE, FALSE, MAKELPARAM(0, kBindings[control.parameter].steps));
        SendMessageW(bar, TBM_SETTICFREQ, control.tickFrequency, 0);
        SendMessageW(bar, TBM_SETPAGESIZE, 0, 1);
        SendMessageW(bar, TBM_SETLINESIZE, 0, 1);
        SendMessageW(bar, TBM_SETTHUMBLENGTH, 15, 0);
        SendMessageW(bar, TBM_SETPOS, TRUE, control.position);
        trackBars.push_back(std::make_unique<TrackBarControl>(bar));
        form.attachControl(control.parameter, *trackBars.back());
        break;
    }
    case ControlKind::RadioGroup:
        buildRadioGroup(control);
        break;
    case ControlKind::Knob:
        createKnobWindow(hwnd, *form.knobFor(control.parameter), bounds);
        break;
    case ControlKind::Memo: {
        std::wstring text;
        for (const char* line : kAboutLines) {
            if (!text.empty() || line != kAboutLines.front()) text += L"\r\n";
            text += widen(line);
        }
        createChild(WC_EDITW, text, WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                    WS_EX_CLIENTEDGE, bounds);
        break;
    }
    case ControlKind::Image: {
        HWND picture = createChild(WC_STATICW, L"", SS_BITMAP, 0, bounds);
        logo = createLogoBitmap();
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo));
        break;
    }
    case ControlKind::Caption:
    case ControlKind::ValueText:
    case ControlKind::ProgramList:
    case ControlKind::ProgramName:
    case ControlKind::PreviousButton:
    case ControlKind::NextButton:
    case ControlKind::TuningText:
    case ControlKind::ResetTuningButton:
        break; // the playing strip's and the player's, which the VST 2 editor never shows
    }
}

void Win32FormWindow::buildRadioGroup(const ControlLayout& control) {
    const RECT group = formBounds(control);
    const auto items = radioItems(control.parameter);
    std::vector<HWND> buttons;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ControlRect item =
            radioItemRect(control.rect, static_cast<std::int32_t>(items.size()),
                          static_cast<std::int32_t>(i), textHeight);
        const RECT bounds{group.left + item.left, group.top + item.top,
                          group.left + item.left + item.width, group.top + item.top + item.height};
        const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
        buttons.push_back(
            createChild(WC_BUTTONW, widen(items[i]), BS_RADIOBUTTON | first, 0, bounds));
    }
    groupBoxes.push_back(createChild(WC_BUTTONW, widen(control.caption), BS_GROUPBOX, 0, group));
    radioGroups.push_back(
        std::make_unique<RadioGroupControl>(std::move(buttons), control.position));
    form.attachControl(control.parameter, *radioGroups.back());
}

void Win32FormWindow::buildLabel(const ControlLayout& control) {
    // Labels size themselves to their text in the font at hand, from the layout's corner.
    RECT bounds = formBounds(control);
    const std::wstring text = widen(control.caption);
    if (HDC dc = GetDC(hwnd)) {
        HGDIOBJ old = SelectObject(dc, font);
        SIZE extent{};
        if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent)) {
            bounds.right = bounds.left + extent.cx;
            bounds.bottom = bounds.top + std::max<LONG>(extent.cy, bounds.bottom - bounds.top);
        }
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    createChild(WC_STATICW, text, SS_LEFT | SS_NOPREFIX, 0, bounds);
}

void Win32FormWindow::repaintNow() {
    if (hwnd == nullptr) return; // the host destroyed its window under us
    painted = false;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // A hidden form, or one whose client area its children cover entirely, gets no WM_PAINT;
    // the repaint still runs FormPaint, as the timer's tick relies on it.
    if (!painted) form.FormPaint();
}

LRESULT Win32FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        painted = true;
        form.FormPaint();
        return 0;
    }
    case WM_TIMER:
        if (wParam == kTimerId) form.Timer1Timer();
        return 0;
    case WM_VSCROLL:
        for (const auto& bar : trackBars)
            if (bar->handle() == reinterpret_cast<HWND>(lParam)) bar->userMoved();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            for (const auto& group : radioGroups)
                group->userClicked(group->itemOf(reinterpret_cast<HWND>(lParam)));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kTextColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kTextColour);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DESTROY:
        KillTimer(hwnd, kTimerId);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

LRESULT CALLBACK formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        window->forgetWindow();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
    return window->handle(message, wParam, lParam);
}

std::unique_ptr<FormWindow> createFormWindow(void* parent, TForm1& form) {
    auto hostWindow = static_cast<HWND>(parent);
    if (!IsWindow(hostWindow)) return nullptr;
    auto window = std::make_unique<Win32FormWindow>(form);
    if (!window->create(hostWindow)) return nullptr;
    return window;
}
