#include "tools/render/output_checks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "host/file_kind.h"
#include "tools/common/tool_error.h"

void refuseOutputOverInput(const std::string& input, const std::string& output) {
    struct stat in {};
    struct stat out {};
    const bool sameInode = stat(input.c_str(), &in) == 0 && stat(output.c_str(), &out) == 0 &&
                           in.st_dev == out.st_dev && in.st_ino == out.st_ino;
    if (input == output || sameInode)
        throw ToolError("'" + output + "' is the input file; give the output another name");
}

void refuseProtectedOutput(const std::string& output) {
    struct stat info {};
    if (stat(output.c_str(), &info) != 0) return; // nothing there to replace
    if (!S_ISREG(info.st_mode))
        throw ToolError("'" + output + "' is " + fileKindName(info.st_mode) +
                        "; the output must be a file");
    if (access(output.c_str(), W_OK) != 0)
        throw ToolError("'" + output + "' may not be replaced: " + std::strerror(errno));
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw ToolError("'" + output + "' may not be replaced: it is read-only");
}
