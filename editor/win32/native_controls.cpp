#include "editor/win32/native_controls.h"

#include <windows.h> // first: the other Windows headers build on it

#include <commctrl.h>

#include <algorithm>

std::int32_t TrackBarControl::position() const {
    return static_cast<std::int32_t>(SendMessageW(hwnd, TBM_GETPOS, 0, 0));
}

void TrackBarControl::setPosition(std::int32_t value) {
    SendMessageW(hwnd, TBM_SETPOS, TRUE, value);
    raiseChange();
}

RadioGroupControl::RadioGroupControl(std::vector<HWND> items, std::int32_t selected)
    : items(std::move(items)), selected(selected) {
    select(selected);
}

void RadioGroupControl::setPosition(std::int32_t value) {
    select(std::clamp(value, 0, static_cast<std::int32_t>(items.size()) - 1));
    raiseChange();
}

std::int32_t RadioGroupControl::itemOf(HWND button) const {
    const auto found = std::find(items.begin(), items.end(), button);
    return found == items.end() ? -1 : static_cast<std::int32_t>(found - items.begin());
}

void RadioGroupControl::userClicked(std::int32_t index) {
    if (index < 0 || index == selected) return;
    select(index);
    raiseChange();
}

void RadioGroupControl::select(std::int32_t index) {
    selected = index;
    for (std::size_t i = 0; i < items.size(); ++i)
        SendMessageW(items[i], BM_SETCHECK,
                     static_cast<std::int32_t>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}
