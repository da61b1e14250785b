// What a path that is not a regular file is, for messages that refuse it.
#pragma once

#include <sys/types.h>

// "a directory", "a named pipe", ...
const char* fileKindName(mode_t mode);
