#include "host/audio_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "host/atomic_output.h"
#include "host/host_error.h"

namespace {

struct FileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, FileCloser>;

std::string formatName(int code) {
    SF_FORMAT_INFO info{};
    info.format = code;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || info.name == nullptr) {
        return "format " + std::to_string(code);
    }
    return info.name;
}

}  // namespace

std::vector<float> AudioData::channel(int number) const {
    std::vector<float> samples(static_cast<std::size_t>(frames));
    const std::size_t stride = static_cast<std::size_t>(channels);
    const std::size_t offset = static_cast<std::size_t>(number - 1);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = interleaved[i * stride + offset];
    }
    return samples;
}

AudioData readAudio(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw HostError("cannot read " + path + ": " + std::strerror(errno));
    }
    if (S_ISDIR(status.st_mode)) {
        throw HostError("cannot read " + path + ": it is a folder");
    }
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        throw HostError("cannot read " + path + ": " + sf_strerror(nullptr));
    }
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 0) {
        throw HostError("cannot read " + path + ": the file reports no channels or no sample rate");
    }
    AudioData data;
    data.format = info.format;
    data.sampleRate = info.samplerate;
    data.channels = info.channels;
    data.frames = info.frames;
    data.interleaved.resize(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file.get(), data.interleaved.data(), info.frames);
    if (got != info.frames) {
        throw HostError("cannot read " + path + ": the file ends after " + std::to_string(got) + " of " +
                        std::to_string(info.frames) + " frames");
    }
    return data;
}

void writeAudio(const std::string& path, int format, int sampleRate, const std::vector<float>& samples) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = sampleRate;
    info.channels = 1;
    if (!sf_format_check(&info)) {
        throw HostError("cannot write " + path + ": " + describeFormat(format) + " cannot hold one channel at " +
                        std::to_string(sampleRate) + " Hz");
    }
    AtomicOutput output(path);
    {
        SoundFile file(sf_open_fd(output.descriptor(), SFM_WRITE, &info, SF_FALSE));
        if (!file) {
            throw HostError("cannot write " + path + ": " + sf_strerror(nullptr));
        }
        sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        const sf_count_t frames = static_cast<sf_count_t>(samples.size());
        if (sf_writef_float(file.get(), samples.data(), frames) != frames) {
            throw HostError("cannot write " + path + ": " + sf_strerror(file.get()));
        }
        if (sf_close(file.release()) != 0) {
            throw HostError("cannot write " + path + ": the file could not be finished");
        }
    }
    output.commit();
}

std::string describeFormat(int format) {
    return formatName(format & SF_FORMAT_TYPEMASK) + ", " + formatName(format & SF_FORMAT_SUBMASK);
}
