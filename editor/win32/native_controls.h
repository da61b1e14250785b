// The form's sliders and radio groups as native controls. A position set from code raises the
// same change event as the user's move: the native controls stay silent on a programmatic set,
// so these classes raise it themselves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "editor/form_control.h"

// A vertical trackbar; the form's window forwards its WM_VSCROLL notifications to userMoved.
class TrackBarControl : public FormControl {
  public:
    explicit TrackBarControl(HWND hwnd) : hwnd(hwnd) {}

    std::int32_t position() const override;
    void setPosition(std::int32_t value) override; // the trackbar keeps it within its range
    void userMoved() { raiseChange(); }
    HWND handle() const { return hwnd; }

  private:
    HWND hwnd;
};

// A group box of radio buttons, one of them selected; the form's window forwards the buttons'
// clicks to userClicked.
class RadioGroupControl : public FormControl {
  public:
    RadioGroupControl(std::vector<HWND> items, std::int32_t selected);

    std::int32_t position() const override { return selected; }
    void setPosition(std::int32_t value) override; // kept within the items
    // Index of `button` among the items, or -1.
    std::int32_t itemOf(HWND button) const;
    // A click that selects another item changes the group; one on the selected item does not.
    void userClicked(std::int32_t index);

  private:
    void select(std::int32_t index);

    std::vector<HWND> items;
    std::int32_t selected;
};
