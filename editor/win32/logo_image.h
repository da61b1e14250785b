// The logo as a GDI bitmap for a picture control.
#pragma once

#include <windows.h>

// A 24-bit device-independent bitmap of the logo; the caller deletes it with DeleteObject.
HBITMAP createLogoBitmap();
