// Where this program lies, links resolved: the folders it finds its instruments from, beside it
// in a build and at ../lib/lv2 and ../lib/vst from it as installed or unpacked.
#pragma once

#include <string>

// The folder of the running program, without a trailing slash; "." when it cannot be told.
std::string ownFolder();

// True when `path` is a regular file or a link to one.
bool isFile(const std::string& path);
