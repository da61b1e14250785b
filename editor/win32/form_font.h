// The font of the form and of every control.
#pragma once

#include <windows.h>

// "Times New Roman", character height 12 pixels, in the Shift-JIS character set when the font
// that the system maps to it draws every caption of the layout. On a system without such a font
// (Wine without Japanese fonts picks one without Latin letters) the same face in the default
// character set, so that no caption turns into empty boxes. The caller deletes it.
HFONT createFormFont(HWND window);
