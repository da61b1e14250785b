// A CLAP plug-in file opened as a host opens it: the module loaded, its clap_entry initialised
// with the file's path, and the plug-in factory it offers. Deinitialised and unloaded on
// destruction, after every plug-in created from it is gone. A clap_entry already in the process
// (a front linked into a test) is taken the same way, without a module.
#pragma once

#include <string>

#include "plugin/clap/clap_abi.h"

// The file name a CLAP plug-in has: NAME.clap.
bool looksLikeClap(const std::string& text);

class ClapLibrary {
  public:
    // Throws ToolError when `path` is no file, not a loadable module, exports no clap_entry,
    // is of another major version, fails its init or offers no plug-in.
    explicit ClapLibrary(const std::string& path);
    // The entry `linkedIn`, initialised with `label` for its path; throws as above.
    ClapLibrary(const clap::PluginEntry& linkedIn, const std::string& label);
    ~ClapLibrary();
    ClapLibrary(const ClapLibrary&) = delete;
    ClapLibrary& operator=(const ClapLibrary&) = delete;

    const clap::PluginEntry& entryPoint() const { return *entry; }
    const clap::PluginFactory& factory() const { return *pluginFactory; }
    // The first plug-in the factory describes: the one ulvo-render plays.
    const clap::PluginDescriptor& descriptor() const { return *first; }
    const std::string& path() const { return filePath; }

  private:
    // Checks and initialises `entry`, and finds its factory and first plug-in.
    void start(const std::string& pathForInit);
    void fail(const std::string& why);

    std::string filePath;
    void* handle = nullptr;
    const clap::PluginEntry* entry = nullptr;
    bool initialised = false;
    const clap::PluginFactory* pluginFactory = nullptr;
    const clap::PluginDescriptor* first = nullptr;
};
