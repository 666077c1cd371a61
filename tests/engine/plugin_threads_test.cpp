// One thread processes audio through the plug-in while another changes every parameter; run under the thread sanitizer this shows any data race.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "tests/engine/signals.h"
#include "tests/support/plugin_host.h"

namespace {

TEST(PluginThreads, ParametersChangeWhileAudioIsProcessed) {
    testhost::RecordingHost host;
    testhost::Instance plugin(host);
    plugin.dispatch(effMainsChanged, 0, 1);
    const std::vector<float> input = signals::noise(44100, 0.5, 6);
    std::atomic<bool> audioDone{false};
    std::atomic<bool> allFinite{true};

    std::thread audio([&] {
        std::vector<float> output(256);
        for (int pass = 0; pass < 3; ++pass) {
            for (size_t start = 0; start + 256 <= input.size(); start += 256) {
                plugin.process(input.data() + start, output.data(), 256);
                for (float v : output)
                    if (!std::isfinite(v))
                        allFinite = false;
            }
        }
        audioDone = true;
    });
    std::mt19937 generator(4);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    std::uniform_int_distribution<int32_t> index(0, 12);
    int changes = 0;
    while (!audioDone) {
        plugin.setParameter(index(generator), value(generator));
        ++changes;
    }
    audio.join();
    EXPECT_GT(changes, 100) << "The parameter thread should have overlapped the audio thread.";
    EXPECT_TRUE(allFinite) << "Changing parameters during processing produced samples that are not finite.";
}

}  // namespace
