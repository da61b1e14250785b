// Writes the LV2 bundle's manifest.ttl, ulvodraw.ttl and presets.ttl at build time.
//   ttl_generator PRESETS_FILE BUNDLE_DIR BINARY_NAME [UI_BINARY_NAME]
// Without UI_BINARY_NAME the bundle declares no UI.
// Any fault is one line on stderr and exit status 1; a file is only ever replaced whole.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "plugin/lv2/ttl_documents.h"
#include "synth/preset_text.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "ttl_generator: %s\n", message.c_str());
    return 1;
}

bool readFile(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return !in.bad();
}

// Written beside the target and renamed over it, so a build stopped midway leaves no half file.
std::string writeFile(const std::filesystem::path& path, const std::string& text) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) return "cannot write " + temporary.string();
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) return "cannot rename " + temporary.string() + ": " + error.message();
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5)
        return fail("usage: ttl_generator PRESETS_FILE BUNDLE_DIR BINARY_NAME [UI_BINARY_NAME]");
    const std::string uiBinary = argc == 5 ? argv[4] : "";
    const std::filesystem::path presetsPath = argv[1], bundle = argv[2];

    std::string text;
    if (!readFile(presetsPath, text)) return fail("cannot read " + presetsPath.string());
    const PresetParse parse = parsePresets(text);
    if (!parse.error.empty()) return fail(presetsPath.string() + ": " + parse.error);
    if (parse.presets.empty()) return fail(presetsPath.string() + ": no presets");
    const PresetUris uris = presetUris(parse.presets);
    if (!uris.error.empty()) return fail(presetsPath.string() + ": " + uris.error);

    std::error_code error;
    std::filesystem::create_directories(bundle, error);
    if (error) return fail("cannot create " + bundle.string() + ": " + error.message());
    const std::pair<const char*, std::string> files[] = {
        {"manifest.ttl", manifestTtl(parse.presets, uris.uris, argv[3], uiBinary)},
        {"ulvodraw.ttl", pluginTtl(!uiBinary.empty())},
        {"presets.ttl", presetsTtl(parse.presets, uris.uris)}};
    for (const auto& [name, content] : files)
        if (const std::string fault = writeFile(bundle / name, content); !fault.empty())
            return fail(fault);
    return 0;
}
