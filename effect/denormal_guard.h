// Keeps denormal numbers out of the audio path for the lifetime of the guard:
// results that would be denormal become zero and denormal inputs count as
// zero, and rounding is to nearest, whatever the caller had set. Denormals can
// cost a hundred times the time of normal numbers on some processors, and
// decaying signals produce them at every frame. The caller's floating-point
// control state comes back when the guard ends.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(__SSE__)
#include <xmmintrin.h>
#endif

class DenormalGuard {
public:
#if defined(__x86_64__) || defined(__SSE__)
    DenormalGuard() noexcept : saved(_mm_getcsr()) {
        constexpr unsigned flushToZero = 0x8000;
        constexpr unsigned denormalsAreZero = 0x0040;
        constexpr unsigned roundingBits = 0x6000;
        _mm_setcsr((saved & ~roundingBits) | flushToZero | denormalsAreZero);
    }
    ~DenormalGuard() { _mm_setcsr(saved); }
#elif defined(__aarch64__)
    DenormalGuard() noexcept {
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(saved));
        constexpr uint64_t flushToZero = 1ull << 24;
        constexpr uint64_t roundingBits = 3ull << 22;
        const uint64_t wanted = (saved & ~roundingBits) | flushToZero;
        __asm__ __volatile__("msr fpcr, %0" : : "r"(wanted));
    }
    ~DenormalGuard() { __asm__ __volatile__("msr fpcr, %0" : : "r"(saved)); }
#else
    DenormalGuard() noexcept = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#if defined(__x86_64__) || defined(__SSE__)
    unsigned saved;
#elif defined(__aarch64__)
    uint64_t saved;
#endif
};
