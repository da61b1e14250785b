// The C entries of a CLAP plug-in record and of the extensions an instance offers, each passing
// the call to its ClapInstance.
#pragma once

#include "plugin/clap/clap_abi.h"

class ClapInstance;

// [any thread] The record the host sees for `instance`, its data pointing back to it.
clap::Plugin pluginRecordFor(ClapInstance& instance, const clap::PluginDescriptor& descriptor);

// [any thread] The editor's extensions (clap.gui, clap.timer-support, clap.posix-fd-support)
// where the build has a windowing backend; null elsewhere and for other ids.
const void* editorExtension(const char* id);
