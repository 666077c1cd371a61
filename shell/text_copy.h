// Copies of texts into host-owned buffers: at most maxLen characters, the rest
// of the field zero, and one more zero at position maxLen, so a copy always
// writes maxLen + 1 characters. A null buffer from a host is ignored.
#pragma once

#include <cstddef>

inline void copyText(char* destination, const char* source, std::size_t maxLen) {
    if (destination == nullptr) {
        return;
    }
    std::size_t i = 0;
    if (source != nullptr) {
        for (; i < maxLen && source[i] != '\0'; ++i) {
            destination[i] = source[i];
        }
    }
    for (; i <= maxLen; ++i) {
        destination[i] = '\0';
    }
}
