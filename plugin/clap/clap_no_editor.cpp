// A build without a windowing backend (the fuzzing build) offers no editor.
#include "plugin/clap/clap_plugin_calls.h"

const void* editorExtension(const char*) {
    return nullptr;
}
