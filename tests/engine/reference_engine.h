// A plain, sample-by-sample and bin-by-bin implementation of the pitch-shift
// engine, written for clarity and not for speed. It is the oracle that the
// optimised engine must match bit for bit. It shares nothing with the engine
// but the FFT plans (the planner may pick a different algorithm for each plan
// it makes, so both must run the same plans to be comparable).
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

struct Taps {
    float factors[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float volumes[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    int32_t bandLimits[4] = {1200, 4500, 11000, 20000};
};

float fastAtan2(float y, float x);

class Engine {
public:
    // wrapPhase false runs the synthesis phase sums unbounded, as the
    // algorithm did before they were wrapped; used to show that the
    // long-run test can see the difference.
    explicit Engine(bool wrapPhase = true);
    ~Engine();
    Engine(const Engine&) = delete;  // owns the aligned work buffer
    Engine& operator=(const Engine&) = delete;

    void reset();
    void setSampleRate(float rate) { sampleRate = rate; }
    void process(const float* input, float* output, int32_t count, const Taps& taps);

private:
    void frame(const Taps& taps);

    bool wrap;
    float sampleRate = 44100.0f;
    int32_t fifoPosition = 1536;
    std::vector<float> inputFifo, outputFifo, window, lastPhase, sumPhase, analysisMagnitude,
        analysisFrequency, synthesisMagnitude, synthesisFrequency, outputAccumulator;
    float* work = nullptr;  // 2048 complex values, aligned for the FFT plans
};

}  // namespace reference
