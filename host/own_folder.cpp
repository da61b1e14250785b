#include "host/own_folder.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ownFolder() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return ".";
    const std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

bool isFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
