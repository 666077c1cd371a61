// Shared pieces of the host tests: a scratch folder, running the built
// corvane-host, sound files, and measurements made independently of the
// host's own analysis.
#pragma once

#include <sndfile.h>

#include <map>
#include <string>
#include <vector>

namespace hosttest {

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return root; }
    std::string file(const std::string& name) const { return root + "/" + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::string root;
};

struct RunResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs corvane-host with the arguments; stdout and stderr are captured (not a
// terminal). `environment` entries are set on top of the current ones.
RunResult runHost(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment = {},
                  const std::string& program = CORVANE_HOST_PATH);

// Runs corvane-host with its standard error on a pseudo-terminal; returns
// what appeared there.
RunResult runHostOnTerminal(const std::vector<std::string>& arguments);

struct Sound {
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    int sampleRate = 44100;
    int channels = 1;
    std::vector<float> interleaved;

    std::size_t frames() const { return interleaved.size() / static_cast<std::size_t>(channels); }
    std::vector<float> channel(int number) const;  // counted from 1
};

std::vector<float> sine(double hz, int sampleRate, double seconds, double amplitude = 0.5);
Sound mono(const std::vector<float>& samples, int sampleRate, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16);
Sound stereo(const std::vector<float>& left, const std::vector<float>& right, int sampleRate);

void writeSound(const std::string& path, const Sound& sound);
Sound readSound(const std::string& path);
bool fileExists(const std::string& path);
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& text);

// The main frequency of samples[from, from + 16384): the power-weighted
// centre of the components within 40 dB of the strongest. The engine renders
// a shifted tone as a cluster of partials two bins apart around the target,
// with levels that depend on the input's first frames, so the strongest
// single partial can sit a few tens of Hz off while the cluster's centre
// stays on the target.
double mainFrequency(const std::vector<float>& samples, int sampleRate, std::size_t from);

// The lag L in [lowest, highest] at which Σ x[t] y[t + L] over the steady
// middle of x is largest: y lags x by L samples.
int bestLag(const std::vector<float>& x, const std::vector<float>& y, int lowest, int highest);

// The value after "NAME = " on the settings line of `name` in render's output.
std::string settingLine(const std::string& output, const std::string& name);

}  // namespace hosttest
