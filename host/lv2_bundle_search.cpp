#include "host/lv2_bundle_search.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <set>
#include <sys/stat.h>

#include <lilv/lilv.h>

#include "host/own_folder.h"

namespace {

constexpr const char* kLibraryArchitecture = ULVO_LIBRARY_ARCHITECTURE; // may be empty

// lilv's usual folders, as an unset LV2_PATH means to it.
std::vector<std::string> defaultSearchFolders() {
    std::vector<std::string> folders = {"~/.lv2", "/usr/local/lib/lv2"};
    if (*kLibraryArchitecture != '\0')
        folders.push_back(std::string("/usr/lib/") + kLibraryArchitecture + "/lv2");
    folders.push_back("/usr/lib/lv2");
    return folders;
}

std::vector<std::string> searchFolders() {
    const char* path = std::getenv("LV2_PATH");
    if (path == nullptr) return defaultSearchFolders();
    std::vector<std::string> folders;
    const std::string text = path;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(':', start), text.size());
        if (end > start) folders.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

// A leading ~ is the home folder, as lilv reads it.
std::string expandHome(const std::string& folder) {
    if (folder != "~" && folder.rfind("~/", 0) != 0) return folder;
    const char* home = std::getenv("HOME");
    return (home != nullptr ? std::string(home) : std::string()) + folder.substr(1);
}

std::string realFolderOf(const std::string& folder) {
    char resolved[PATH_MAX];
    return realpath(folder.c_str(), resolved) != nullptr ? resolved : folder;
}

// Bundles directly inside `folder`, by name; with `lv2Suffix`, only those named *.lv2.
std::vector<std::string> bundlesIn(const std::string& folder, bool lv2Suffix) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (lv2Suffix && (name.size() <= 4 || name.compare(name.size() - 4, 4, ".lv2") != 0))
            continue;
        if (isLv2Bundle(folder + "/" + name)) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (std::string& name : names)
        name = folder + "/" + name;
    return names;
}

} // namespace

bool isLv2Bundle(const std::string& folder) {
    struct stat info {};
    return stat((folder + "/manifest.ttl").c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Lv2Bundle readLv2Bundle(const std::string& folder) {
    Lv2Bundle bundle{folder, realFolderOf(folder), {}};
    LilvWorld* world = lilv_world_new();
    LilvNode* uri = lilv_new_file_uri(world, nullptr, (bundle.realFolder + "/").c_str());
    lilv_world_load_bundle(world, uri);
    lilv_node_free(uri);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    LILV_FOREACH(plugins, i, plugins) {
        bundle.plugins.emplace_back(
            lilv_node_as_uri(lilv_plugin_get_uri(lilv_plugins_get(plugins, i))));
    }
    lilv_world_free(world);
    return bundle;
}

std::vector<Lv2Bundle> searchLv2Bundles() {
    std::vector<std::string> folders;
    for (const std::string& folder : searchFolders())
        for (std::string& bundle : bundlesIn(expandHome(folder), false))
            folders.push_back(std::move(bundle));
    for (std::string& bundle : bundlesIn(ownFolder(), true))
        folders.push_back(std::move(bundle));
    for (std::string& bundle : bundlesIn(ownFolder() + "/../lib/lv2", false))
        folders.push_back(std::move(bundle));
    std::vector<Lv2Bundle> bundles;
    std::set<std::string> seen;
    for (const std::string& folder : folders)
        if (seen.insert(realFolderOf(folder)).second) bundles.push_back(readLv2Bundle(folder));
    return bundles;
}
