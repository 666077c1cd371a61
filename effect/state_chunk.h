// The saved state of the effect: a small versioned binary block with the
// thirteen settings exactly as stored and the program name. Hosts keep it in
// project files and hand it back later, so reading it treats it as untrusted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "effect/tap_settings.h"

struct StoredSettings {
    std::array<float, kTapCount> semitones{};
    std::array<float, kTapCount> volumes{};
    std::array<int32_t, kTapCount> bandLimits{};
    int32_t discrete = 0;
    std::array<char, 25> programName{};  // 24 characters and a terminating zero
};

// Layout, all little-endian: tag "LvxS" (4), version (4), four shifts (float),
// four volumes (float), four limits (int32, Hz), the switch (int32), the
// program name (28 bytes: up to 24 characters, zero-filled).
constexpr uint32_t kStateChunkTag = 0x4C767853u;  // 'L' 'v' 'x' 'S'
constexpr uint32_t kStateChunkVersion = 1;
constexpr std::size_t kStateChunkSize = 4 + 4 + 16 + 16 + 16 + 4 + 28;

using StateChunk = std::array<uint8_t, kStateChunkSize>;

StateChunk encodeStateChunk(const StoredSettings& settings);

// Checks size, tag, version and every value (finite shifts and volumes, limits
// within 0 to 20000, a terminated name); false leaves `out` untouched.
bool decodeStateChunk(const void* data, std::size_t size, StoredSettings& out);
