// The parts of the pitch-shift engine that every effect instance in the process
// shares: the two 2048-point FFT plans and the constant tables (analysis and
// synthesis window, phase advance per bin). Built once, on the thread that
// constructs the first engine, under a mutex because the FFT planner keeps
// global state and is not thread-safe. Read-only afterwards, so any number of
// audio threads may use it at once.
#pragma once

#include <cstdint>
#include <mutex>

#include <fftw3.h>

namespace pitch {

inline constexpr int32_t frameSize = 2048;          // N: samples per analysis frame
inline constexpr int32_t hopSize = 512;             // H: new samples per frame
inline constexpr int32_t oversampling = 4;          // frames covering each sample
inline constexpr int32_t fifoLatency = frameSize - hopSize;  // 1536
inline constexpr int32_t binCount = frameSize / 2 + 1;       // 1025 bins, 0 to 1024
inline constexpr int32_t paddedBins = 1040;         // binCount rounded up to whole vectors

// Phase advance of bin k per hop when its frequency lies on the bin centre is
// k * expectedAdvance: pi/2 rounded to float, then used in double.
inline constexpr double expectedAdvance = 1.5707963705062866;
inline constexpr double pi = 3.141592653589793;
inline constexpr double twoPi = 6.283185307179586;

class SharedTransforms {
public:
    // The process-wide instance, built on first use. Null when the FFT library
    // could not make a plan; a later call tries again. Never call this from
    // an audio thread before some engine has been constructed: the first call
    // plans, which takes time and a lock.
    static const SharedTransforms* acquire() noexcept;

    // Serialises every use of the FFT planner in the process (plan creation
    // and destruction). Code outside the engine that plans, such as tests and
    // benchmarks, takes it too.
    static std::mutex& plannerMutex() noexcept;

    SharedTransforms(const SharedTransforms&) = delete;  // one set of plans per process
    SharedTransforms& operator=(const SharedTransforms&) = delete;

    // In-place complex transforms of 2048 points, unnormalised: X[k] = sum
    // x[j] e^(-2 pi i jk/2048) forward and the conjugate sum backward. Execute
    // them only with fftwf_execute_dft on a buffer aligned like the one
    // returned by fftwf_malloc (64-byte alignment is enough), in place.
    fftwf_plan forwardPlan = nullptr;
    fftwf_plan backwardPlan = nullptr;

    // Periodic Hann window <0.5 - 0.5 cos(i * 2pi * (1/2048))>, used for both
    // analysis and overlap-add.
    alignas(64) float hannWindow[frameSize];

    // k * expectedAdvance for every bin (zero in the padding).
    alignas(64) double binAdvance[paddedBins];

    ~SharedTransforms();

private:
    SharedTransforms() = default;
    bool build() noexcept;
};

}  // namespace pitch
