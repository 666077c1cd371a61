// The thirteen settings of the pitch shifter as stored. The parameter code
// writes them on whatever thread the host or the editor uses; the engine reads
// them on the audio thread. Each is a whole 32-bit value, read and written
// with relaxed atomics: no ordering between them is needed or promised.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

constexpr int kTapCount = 4;
constexpr int32_t kTopLimitHz = 20000;  // upper end of the whole band range

struct TapSettings {
    std::array<std::atomic<float>, kTapCount> semitones{};   // shift of each tap, semitones
    std::array<std::atomic<float>, kTapCount> volumes{};     // gain of each tap, as received
    std::array<std::atomic<int32_t>, kTapCount> bandLimits{};  // upper edge of each band, Hz
    std::atomic<int32_t> discrete{0};                          // non-zero: new shifts are whole semitones
};
