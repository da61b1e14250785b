#include "host/clap_library.h"

#include <dlfcn.h>

#include "host/plugin_module.h"
#include "tools/common/tool_error.h"

bool looksLikeClap(const std::string& text) {
    constexpr std::string_view suffix = ".clap";
    return text.size() > suffix.size() && text.ends_with(suffix);
}

ClapLibrary::ClapLibrary(const std::string& path) : filePath(path) {
    handle = openPluginModule(path, "no such CLAP plug-in file");
    entry = static_cast<const clap::PluginEntry*>(dlsym(handle, "clap_entry"));
    if (entry == nullptr) fail("is not a CLAP plug-in: it exports no clap_entry");
    start(pluginModulePath(path));
}

ClapLibrary::ClapLibrary(const clap::PluginEntry& linkedIn, const std::string& label)
    : filePath(label), entry(&linkedIn) {
    start(label);
}

void ClapLibrary::start(const std::string& pathForInit) {
    if (entry->clapVersion.major != 1 || entry->init == nullptr || entry->getFactory == nullptr)
        fail("is a CLAP plug-in of version " + std::to_string(entry->clapVersion.major) +
             ", not 1");
    if (!entry->init(pathForInit.c_str())) fail("is a CLAP plug-in whose entry failed to start");
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
    if (handle != nullptr) dlclose(handle);
    throw ToolError("'" + filePath + "' " + why);
}

ClapLibrary::~ClapLibrary() {
    if (entry->deinit != nullptr) entry->deinit();
    if (handle != nullptr) dlclose(handle);
}
