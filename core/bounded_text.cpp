#include "core/bounded_text.h"

#include <cstdio>

void copyText(char* buffer, const char* text, std::size_t size) {
    if (buffer == nullptr || size == 0) return;
    std::size_t n = 0;
    if (text != nullptr)
        while (n + 1 < size && text[n] != '\0') {
            buffer[n] = text[n];
            ++n;
        }
    buffer[n] = '\0';
}

void floatToText(float value, char* buffer, std::size_t size) {
    // snprintf uses the C locale's decimal separator, a full stop unless the host changed it.
    char full[64];
    std::snprintf(full, sizeof full, "%.2f", static_cast<double>(value));
    copyText(buffer, full, size);
}
