// Group boxes that fill their inside with the button face. A native group box draws only its
// frame and caption; under the form (which clips its children) nothing else would paint there.
#pragma once

#include <windows.h>

// Subclasses `box` to erase its inside on WM_ERASEBKGND; undone when the box is destroyed.
void fillGroupBoxInside(HWND box);
