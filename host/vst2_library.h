// A VST 2 plug-in library opened from a file, and its entry point.
#pragma once

#include <string>

#include "plugin/vst2/aeffectx.h"

using PluginEntry = AEffect*(VSTCALL*)(audioMasterCallback);

class Vst2Library {
  public:
    // Opens the library at `path` and finds its entry: `VSTPluginMain`, else `main`.
    // Throws ToolError when the file is not a loadable library or has no entry.
    explicit Vst2Library(const std::string& path);
    ~Vst2Library();
    Vst2Library(const Vst2Library&) = delete;
    Vst2Library& operator=(const Vst2Library&) = delete;

    PluginEntry entry() const { return entryPoint; }
    const std::string& path() const { return filePath; }

  private:
    std::string filePath;
    void* handle = nullptr;
    PluginEntry entryPoint = nullptr;
};
