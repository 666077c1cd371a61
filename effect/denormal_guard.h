// Keeps denormal numbers out of the audio path for the lifetime of the guard:
// results that would be denormal become zero and denormal inputs count as
// zero. Denormals can cost a hundred times the time of normal numbers on some
// processors, and decaying signals produce them at every frame. The guard
// also sets rounding to nearest and masks every floating-point exception,
// whatever the caller had set: the engine's results are defined for that
// environment, and extreme input or settings overflow on purpose. The
// caller's floating-point control state comes back when the guard ends.
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
        constexpr unsigned exceptionMasks = 0x1f80;
        _mm_setcsr((saved & ~roundingBits) | flushToZero | denormalsAreZero | exceptionMasks);
    }
    ~DenormalGuard() { _mm_setcsr(saved); }
#elif defined(__aarch64__)
    DenormalGuard() noexcept {
        __asm__ __volatile__("mrs %0, fpcr" : "=r"(saved));
        constexpr uint64_t flushToZero = 1ull << 24;
        constexpr uint64_t roundingBits = 3ull << 22;
        constexpr uint64_t exceptionTraps = 0x9f00;
        const uint64_t wanted = ((saved & ~roundingBits) & ~exceptionTraps) | flushToZero;
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
