// Sound files through libsndfile: any format it reads, samples as floats.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

struct AudioData {
    int format = 0;      // libsndfile's format code: container and sample encoding
    int sampleRate = 0;  // frames per second
    int channels = 0;
    int64_t frames = 0;
    std::vector<float> interleaved;  // frames × channels samples, full scale ±1

    // One channel, counted from 1.
    std::vector<float> channel(int number) const;
    double seconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

// Reads a whole file; throws HostError when it is missing or not a sound file.
AudioData readAudio(const std::string& path);

// Writes one channel in the given format and rate, whole or not at all.
// Samples beyond full scale are clipped in integer formats rather than
// wrapped. Throws HostError.
void writeAudio(const std::string& path, int format, int sampleRate, const std::vector<float>& samples);

// "WAV, 16-bit PCM" and the like.
std::string describeFormat(int format);
