// Saving and restoring the effect's state through its program chunk, and refusing bad chunks.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/plugin_host.h"

using testhost::Instance;
using testhost::RecordingHost;

namespace {

std::vector<uint8_t> saveChunk(Instance& plugin, bool preset) {
    void* data = nullptr;
    const intptr_t size = plugin.dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
    if (size <= 0 || data == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

intptr_t loadChunk(Instance& plugin, std::vector<uint8_t> chunk, bool preset, intptr_t size = -1) {
    return plugin.dispatch(effSetChunk, preset ? 1 : 0, size < 0 ? static_cast<intptr_t>(chunk.size()) : size,
                           chunk.data());
}

std::vector<std::string> everyDisplay(Instance& plugin) {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < 13; ++i) {
        texts.push_back(plugin.text(effGetParamDisplay, i) + "|" + std::to_string(plugin.getParameter(i)));
    }
    texts.push_back(plugin.text(effGetProgramName));
    return texts;
}

void put32(std::vector<uint8_t>& chunk, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        chunk[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A few settings away from the defaults, among them band limits that
// parameter-by-parameter restore cannot reproduce.
void setSomething(Instance& plugin) {
    plugin.setParameter(12, 0.0f);
    plugin.setParameter(0, 0.73f);
    plugin.setParameter(5, 0.3f);
    plugin.setParameter(8, 0.5f);   // 2250 Hz
    plugin.setParameter(10, 0.25f);  // between 4500 and 20000
    char name[] = "Bright";
    plugin.dispatch(effSetProgramName, 0, 0, name);
}

}  // namespace

TEST(Chunk, RoundTripRestoresWhatParameterRestoreLoses) {
    RecordingHost host;
    Instance saved(host);
    setSomething(saved);

    // What a host that stores normalised values gets back: other band limits.
    Instance byParameters(host);
    for (int32_t i = 0; i < 13; ++i) {
        byParameters.setParameter(i, saved.getParameter(i));
    }
    EXPECT_NE(byParameters.text(effGetParamDisplay, 9), saved.text(effGetParamDisplay, 9))
        << "This fixture should show the loss of writing normalised values back.";

    for (bool preset : {false, true}) {
        Instance restored(host);
        ASSERT_EQ(loadChunk(restored, saveChunk(saved, preset), preset), 1) << "A good chunk is accepted.";
        EXPECT_EQ(everyDisplay(restored), everyDisplay(saved)) << "The chunk must restore every setting exactly.";
        EXPECT_EQ(saveChunk(restored, preset), saveChunk(saved, preset));
    }
}

TEST(Chunk, BadChunksAreRefusedWithoutChange) {
    RecordingHost host;
    Instance source(host);
    setSomething(source);
    const std::vector<uint8_t> good = saveChunk(source, false);
    ASSERT_FALSE(good.empty());

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        intptr_t size;  // -1: the spoiled chunk's own size
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"one byte short", [](std::vector<uint8_t>& c) { c.pop_back(); }, -1},
        {"one byte too many", [](std::vector<uint8_t>& c) { c.push_back(0); }, -1},
        {"empty", [](std::vector<uint8_t>& c) { c.clear(); c.push_back(0); }, 0},
        {"a negative size", [](std::vector<uint8_t>&) {}, -5},
        {"a size beyond 32 bits", [](std::vector<uint8_t>&) {}, intptr_t{1} << 40},
        {"another tag", [](std::vector<uint8_t>& c) { c[0] ^= 0x20; }, -1},
        {"a later version", [](std::vector<uint8_t>& c) { put32(c, 4, 2); }, -1},
        {"a NaN shift", [nan](std::vector<uint8_t>& c) { put32(c, 8, std::bit_cast<uint32_t>(nan)); }, -1},
        {"an infinite volume", [](std::vector<uint8_t>& c) { put32(c, 24, std::bit_cast<uint32_t>(INFINITY)); }, -1},
        {"a negative limit", [](std::vector<uint8_t>& c) { put32(c, 40, static_cast<uint32_t>(-1)); }, -1},
        {"a limit above 20000", [](std::vector<uint8_t>& c) { put32(c, 52, 20001); }, -1},
        {"an unterminated name", [](std::vector<uint8_t>& c) { std::memset(&c[60], 'a', 28); }, -1},
        {"bytes after the name", [](std::vector<uint8_t>& c) { c[87] = 'z'; }, -1},
    };
    for (bool preset : {false, true}) {
        for (const Case& c : cases) {
            Instance target(host);
            const std::vector<std::string> before = everyDisplay(target);
            std::vector<uint8_t> chunk = good;
            c.spoil(chunk);
            const intptr_t size = c.size == -1 ? static_cast<intptr_t>(chunk.size()) : c.size;
            EXPECT_EQ(target.dispatch(effSetChunk, preset ? 1 : 0, size, chunk.data()), 0)
                << "A chunk with " << c.what << " must be refused.";
            EXPECT_EQ(everyDisplay(target), before) << "A refused chunk with " << c.what << " changed settings.";
        }
    }
}

TEST(Chunk, ExtremeButValidValuesRoundTrip) {
    RecordingHost host;
    Instance source(host);
    source.setParameter(12, 0.0f);
    source.setParameter(3, 1e6f);    // a shift far outside -12 to 12 is still finite
    source.setParameter(4, -2.0f);   // a negative volume likewise
    source.setParameter(11, 0.0f);   // b3 at b2
    source.setParameter(8, 0.0f);    // b0 at 0 Hz
    Instance target(host);
    ASSERT_EQ(loadChunk(target, saveChunk(source, false), false), 1);
    EXPECT_EQ(everyDisplay(target), everyDisplay(source));
}
