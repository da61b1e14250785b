#include "host/vst2_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "host/file_kind.h"
#include "tools/common/tool_error.h"

Vst2Library::Vst2Library(const std::string& path) : filePath(path) {
    // A name without a slash would be looked up on the library search path, not in the folder.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    // dlopen would wait for good on a named pipe.
    struct stat info {};
    if (stat(openPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw ToolError("'" + path + "' is " + fileKindName(info.st_mode) + ", not a plug-in");
    handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        throw ToolError("'" + path + "' is not a plug-in that can be loaded: " +
                        (why != nullptr ? why : "unknown error"));
    }
    void* symbol = dlsym(handle, "VSTPluginMain");
    if (symbol == nullptr) symbol = dlsym(handle, "main");
    if (symbol == nullptr) {
        dlclose(handle);
        throw ToolError("'" + path +
                        "' is not a VST 2 plug-in: it exports neither VSTPluginMain nor main");
    }
    entryPoint = reinterpret_cast<PluginEntry>(symbol);
}

Vst2Library::~Vst2Library() {
    dlclose(handle);
}
