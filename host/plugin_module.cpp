#include "host/plugin_module.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "host/file_kind.h"
#include "tools/common/tool_error.h"

std::string pluginModulePath(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

void* openPluginModule(const std::string& path, const char* missing) {
    const std::string openPath = pluginModulePath(path);
    struct stat info {};
    const bool found = stat(openPath.c_str(), &info) == 0;
    if (!found && missing != nullptr) throw ToolError("'" + path + "': " + missing);
    if (found && !S_ISREG(info.st_mode))
        throw ToolError("'" + path + "' is " + fileKindName(info.st_mode) + ", not a plug-in");
    void* handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        throw ToolError("'" + path + "' is not a plug-in that can be loaded: " +
                        (why != nullptr ? why : "unknown error"));
    }
    return handle;
}
