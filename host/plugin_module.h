// A plug-in file's module loaded as a host loads it, with dlopen, after checking that it is a
// regular file: dlopen would wait for good on a named pipe.
#pragma once

#include <string>

// The path dlopen is given: a name without a slash would be looked up on the library search path,
// not in the folder.
std::string pluginModulePath(const std::string& path);

// The module's handle, for dlsym and dlclose. Throws ToolError when `path` is not a regular file
// or cannot be loaded; for a missing file, `missing` when given, else dlopen's own word.
void* openPluginModule(const std::string& path, const char* missing = nullptr);
