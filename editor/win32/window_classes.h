// The window classes of the form and the knob, registered under this library's own module
// handle, so that two copies of the library in one process never share a class.
#pragma once

#include <windows.h>

inline constexpr const wchar_t* kFormClassName = L"UlvoDrawForm";
inline constexpr const wchar_t* kKnobClassName = L"UlvoDrawKnob";

// The module (DLL) this code lives in.
HINSTANCE moduleInstance();

// [ui thread] Registers both classes unless they are registered already; a true answer is
// paired with releaseWindowClasses, a false one holds nothing. The classes are unregistered when
// the last form that held them goes, so that nothing points into a library that the host unloads
// after closing every editor.
bool acquireWindowClasses();
void releaseWindowClasses();
