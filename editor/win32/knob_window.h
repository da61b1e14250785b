// The knob's window: draws a TTsumami's paint geometry with GDI and feeds it the mouse in screen
// coordinates, with the mouse captured from press to release.
#pragma once

#include <windows.h>

#include "editor/tsumami.h"

// Created with the knob as its creation parameter; the knob must outlive the window.
HWND createKnobWindow(HWND parent, TTsumami& knob, RECT bounds);

LRESULT CALLBACK knobWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
