// Seconds of audio per CPU second of processReplacing through the plug-in's
// record, next to the floor: per hop the two 2048-point transforms and one
// double-precision cosine and sine for each of the 1025 bins. Also the time to
// create instances and the memory of one engine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "effect/pitch_engine.h"
#include "effect/shared_transforms.h"
#include "tests/engine/alloc_counter.h"
#include "tests/support/plugin_host.h"

namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kSecond = 44100;

std::vector<float> noise(size_t length) {
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
    std::vector<float> x(length);
    for (float& v : x)
        v = uniform(generator);
    return x;
}

// Normalised value of a whole-semitone shift with the discrete switch on.
float shiftValue(int semitones) { return (static_cast<float>(semitones) + 12.5f) / 24.0f; }

testhost::RecordingHost& host() {
    static testhost::RecordingHost recording;
    return recording;
}

void ProcessReplacing(benchmark::State& state) {
    const auto block = static_cast<int32_t>(state.range(0));
    testhost::Instance instance(host());
    instance.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    instance.dispatch(effSetBlockSize, 0, block);
    instance.dispatch(effMainsChanged, 0, 1);
    const int shifts[4] = {7, -5, 12, -3};
    for (int tap = 0; tap < 4; ++tap)
        instance.setParameter(tap, shiftValue(shifts[tap]));
    const std::vector<float> input = noise(kSecond);
    std::vector<float> output(static_cast<size_t>(block));
    size_t position = 0;
    for (auto _ : state) {
        if (position + static_cast<size_t>(block) > input.size())
            position = 0;
        instance.process(input.data() + position, output.data(), block);
        benchmark::DoNotOptimize(output.data());
        position += static_cast<size_t>(block);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * block / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(ProcessReplacing)->ArgName("block")->Arg(64)->Arg(512)->Arg(4096);

// The engine alone, per instruction-set version of its frame stages.
void EngineStages(benchmark::State& state) {
    const auto set = static_cast<pitch::InstructionSet>(state.range(0));
    if (!pitch::supports(set)) {
        state.SkipWithError("this processor cannot run these stages");
        return;
    }
    auto engine = std::make_unique<PitchEngine>(set);
    TapSettings settings;
    const int32_t limits[4] = {1200, 4500, 11000, 20000};
    for (int n = 0; n < 4; ++n) {
        settings.volumes[n].store(1.0f);
        settings.bandLimits[n].store(limits[n]);
    }
    const float factors[4] = {static_cast<float>(std::pow(2.0, 7 / 12.0)), static_cast<float>(std::pow(2.0, -5 / 12.0)),
                              2.0f, static_cast<float>(std::pow(2.0, -3 / 12.0))};
    const std::vector<float> input = noise(kSecond);
    std::vector<float> output(512);
    size_t position = 0;
    for (auto _ : state) {
        if (position + 512 > input.size())
            position = 0;
        engine->spectralPitchShift(input.data() + position, output.data(), 512, factors, settings);
        benchmark::DoNotOptimize(output.data());
        position += 512;
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 512 / kRate, benchmark::Counter::kIsRate);
}
BENCHMARK(EngineStages)->ArgName("set")->Arg(0)->Arg(1)->Arg(2);

// The floor: what any engine of this design must do per hop.
void Floor(benchmark::State& state) {
    const pitch::SharedTransforms* plans = pitch::SharedTransforms::acquire();
    auto* buffer = static_cast<fftwf_complex*>(fftwf_malloc(sizeof(fftwf_complex) * pitch::frameSize));
    const std::vector<float> input = noise(pitch::frameSize);
    std::vector<float> phases(pitch::binCount);
    for (int32_t k = 0; k < pitch::binCount; ++k)
        phases[k] = static_cast<float>(k % 7) * 0.9f - 2.7f;
    for (auto _ : state) {
        for (int32_t j = 0; j < pitch::frameSize; ++j) {
            buffer[j][0] = input[j];
            buffer[j][1] = 0.0f;
        }
        fftwf_execute_dft(plans->forwardPlan, buffer, buffer);
        for (int32_t k = 0; k < pitch::binCount; ++k) {
            const double phase = phases[k] + buffer[k][1] * 1e-9f;
            buffer[k][0] = static_cast<float>(std::cos(phase));
            buffer[k][1] = static_cast<float>(std::sin(phase));
        }
        fftwf_execute_dft(plans->backwardPlan, buffer, buffer);
        benchmark::DoNotOptimize(buffer);
    }
    fftwf_free(buffer);
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * pitch::hopSize / kRate,
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(Floor);

// A later instance: the plans exist already.
void CreateInstance(benchmark::State& state) {
    for (auto _ : state) {
        testhost::Instance instance(host());
        benchmark::DoNotOptimize(instance.record());
    }
}
BENCHMARK(CreateInstance)->Unit(benchmark::kMicrosecond);

void CreateEngine(benchmark::State& state) {
    for (auto _ : state) {
        auto engine = std::make_unique<PitchEngine>();
        benchmark::DoNotOptimize(engine.get());
    }
}
BENCHMARK(CreateEngine)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    // The first instance in the process makes the FFT plans.
    const auto start = std::chrono::steady_clock::now();
    auto first = std::make_unique<testhost::Instance>(host());
    const double firstMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    first.reset();
    // A later engine (the shared tables exist already) allocates only itself.
    auto warm = std::make_unique<PitchEngine>();
    uint64_t engineHeap = 0;
    {
        const alloccount::Scope counting;
        auto engine = std::make_unique<PitchEngine>();
        engineHeap = counting.bytes();
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1f ms", firstMs);
    benchmark::AddCustomContext("first_instance_with_plans", text);
    std::snprintf(text, sizeof text, "%zu bytes", sizeof(PitchEngine));
    benchmark::AddCustomContext("engine_state_per_instance", text);
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(engineHeap));
    benchmark::AddCustomContext("engine_heap_per_instance", text);
    std::snprintf(text, sizeof text, "%zu bytes of tables, plus the two plans", sizeof(pitch::SharedTransforms));
    benchmark::AddCustomContext("shared_tables_once_per_process", text);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
