// Bounded text: copies and number texts that always fit the buffer they are written to.
#pragma once

#include <cstddef>

// Copies `text` into a host buffer of `size` bytes, cutting it to size - 1 characters and always
// terminating it. Does nothing for a null buffer or a size of 0.
void copyText(char* buffer, const char* text, std::size_t size);

// Two-decimal fixed notation of `value` ("0.10", "-0.25", "inf"), cut to fit `size` bytes.
void floatToText(float value, char* buffer, std::size_t size);
