// The window procedure of the form's window class.
#pragma once

#include <windows.h>

LRESULT CALLBACK formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
