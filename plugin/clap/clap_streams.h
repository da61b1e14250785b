// The host's state streams, which may take or give any number of bytes per call, read and written
// whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plugin/clap/clap_abi.h"

// [main thread] Writes every byte of `bytes`, calling the stream as often as it needs. False on an
// error, or when the stream takes nothing or claims more than it was given.
bool writeWhole(const clap::OutputStream& stream, std::string_view bytes);

// [main thread] Reads the stream to its end into `text`. False on an error, when the stream claims
// more bytes than it was asked for, or beyond `limit` bytes.
bool readWhole(const clap::InputStream& stream, std::string& text, std::size_t limit);
