#include "host/vst2_library.h"

#include <dlfcn.h>

#include "host/plugin_module.h"
#include "tools/common/tool_error.h"

Vst2Library::Vst2Library(const std::string& path) : filePath(path) {
    handle = openPluginModule(path);
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
