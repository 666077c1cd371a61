#include "effect/state_chunk.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

class Writer {
public:
    explicit Writer(StateChunk& block) : bytes(block) {}
    void u32(uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at++] = static_cast<uint8_t>(value >> (8 * i));
        }
    }
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    void f32(float value) { u32(std::bit_cast<uint32_t>(value)); }
    void text(const char* value, std::size_t field) {
        for (std::size_t i = 0; i < field; ++i) {
            bytes[at++] = static_cast<uint8_t>(value[i]);
        }
    }

private:
    StateChunk& bytes;
    std::size_t at = 0;
};

class Reader {
public:
    explicit Reader(const uint8_t* block) : bytes(block) {}
    uint32_t u32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(bytes[at++]) << (8 * i);
        }
        return value;
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }
    const uint8_t* take(std::size_t count) {
        const uint8_t* start = bytes + at;
        at += count;
        return start;
    }

private:
    const uint8_t* bytes;
    std::size_t at = 0;
};

constexpr std::size_t kNameField = 28;

}  // namespace

StateChunk encodeStateChunk(const StoredSettings& settings) {
    StateChunk block{};
    Writer out(block);
    out.u32(kStateChunkTag);
    out.u32(kStateChunkVersion);
    for (float shift : settings.semitones) out.f32(shift);
    for (float volume : settings.volumes) out.f32(volume);
    for (int32_t limit : settings.bandLimits) out.i32(limit);
    out.i32(settings.discrete);
    char name[kNameField] = {};
    std::memcpy(name, settings.programName.data(), settings.programName.size() - 1);
    out.text(name, kNameField);
    return block;
}

bool decodeStateChunk(const void* data, std::size_t size, StoredSettings& out) {
    if (data == nullptr || size != kStateChunkSize) {
        return false;
    }
    Reader in(static_cast<const uint8_t*>(data));
    if (in.u32() != kStateChunkTag || in.u32() != kStateChunkVersion) {
        return false;
    }
    StoredSettings read;
    for (float& shift : read.semitones) {
        shift = in.f32();
        if (!std::isfinite(shift)) return false;
    }
    for (float& volume : read.volumes) {
        volume = in.f32();
        if (!std::isfinite(volume)) return false;
    }
    for (int32_t& limit : read.bandLimits) {
        limit = in.i32();
        if (limit < 0 || limit > kTopLimitHz) return false;
    }
    read.discrete = in.i32();
    const uint8_t* name = in.take(kNameField);
    // The name must end within its 24 characters, and nothing may follow it.
    const auto* end = static_cast<const uint8_t*>(std::memchr(name, 0, read.programName.size()));
    if (end == nullptr) {
        return false;
    }
    for (const uint8_t* p = end; p < name + kNameField; ++p) {
        if (*p != 0) return false;
    }
    std::memcpy(read.programName.data(), name, read.programName.size());
    out = read;
    return true;
}
