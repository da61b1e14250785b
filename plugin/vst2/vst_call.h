// Calling convention and export macros of the plug-in boundary.
#pragma once

// Every entry the host calls, and the host callback, use cdecl. Only 32-bit x86 Windows has a
// choice of conventions; everywhere else there is one.
#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALL __cdecl
#else
#define VSTCALL
#endif

#if defined(_WIN32)
// Windows builds name their exports in a module definition file, so that nothing else leaves.
#define VST_EXPORT extern "C"
#else
#define VST_EXPORT extern "C" __attribute__((visibility("default")))
#endif
