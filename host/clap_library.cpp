#include "host/clap_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include "host/file_kind.h"
#include "tools/common/tool_error.h"

bool looksLikeClap(const std::string& text) {
    constexpr std::string_view suffix = ".clap";
    return text.size() > suffix.size() && text.ends_with(suffix);
}

ClapLibrary::ClapLibrary(const std::string& path) : filePath(path) {
    // A name without a slash would be looked up on the library search path, not in the folder.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    struct stat info {};
    if (stat(openPath.c_str(), &info) != 0)
        throw ToolError("'" + path + "': no such CLAP plug-in file");
    // dlopen would wait for good on a named pipe.
    if (!S_ISREG(info.st_mode))
        throw ToolError("'" + path + "' is " + fileKindName(info.st_mode) + ", not a plug-in");
    handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        throw ToolError("'" + path + "' is not a plug-in that can be loaded: " +
                        (why != nullptr ? why : "unknown error"));
    }
    entry = static_cast<const clap::PluginEntry*>(dlsym(handle, "clap_entry"));
    if (entry == nullptr) fail("is not a CLAP plug-in: it exports no clap_entry");
    if (entry->clapVersion.major != 1 || entry->init == nullptr || entry->getFactory == nullptr)
        fail("is a CLAP plug-in of version " + std::to_string(entry->clapVersion.major) +
             ", not 1");
    if (!entry->init(openPath.c_str())) fail("is a CLAP plug-in whose entry failed to start");
    initialised = true;
    pluginFactory =
        static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
    if (pluginFactory == nullptr || pluginFactory->getPluginCount == nullptr ||
        pluginFactory->getPluginDescriptor == nullptr || pluginFactory->createPlugin == nullptr ||
        pluginFactory->getPluginCount(pluginFactory) == 0)
        fail("is a CLAP file without plug-ins");
    first = pluginFactory->getPluginDescriptor(pluginFactory, 0);
    if (first == nullptr || first->id == nullptr) fail("is a CLAP file without plug-ins");
}

void ClapLibrary::fail(const std::string& why) {
    if (initialised && entry->deinit != nullptr) entry->deinit();
    dlclose(handle);
    throw ToolError("'" + filePath + "' " + why);
}

ClapLibrary::~ClapLibrary() {
    if (entry->deinit != nullptr) entry->deinit();
    dlclose(handle);
}
