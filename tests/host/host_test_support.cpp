#include "tests/host/host_test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace hosttest {

namespace {

void removeTree(const std::string& path) {
    if (DIR* folder = ::opendir(path.c_str())) {
        while (dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = path + "/" + name;
            struct stat status {};
            if (::lstat(child.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
                removeTree(child);
            } else {
                ::unlink(child.c_str());
            }
        }
        ::closedir(folder);
    }
    ::rmdir(path.c_str());
}

std::vector<char*> argumentVector(const std::string& program, const std::vector<std::string>& arguments,
                                  std::vector<std::string>& storage) {
    storage.clear();
    storage.push_back(program);
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : storage) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return argv;
}

int exitStatus(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        for (std::size_t i = 0; i < n; i += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> w = std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(len));
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/corvane-host-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    root = buffer.data();
}

ScratchFolder::~ScratchFolder() { removeTree(root); }

std::vector<std::string> ScratchFolder::entries() const {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(root.c_str())) {
        while (dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

RunResult runHost(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
                  const std::string& program) {
    ScratchFolder capture;
    const std::string outPath = capture.file("stdout");
    const std::string errPath = capture.file("stderr");
    std::vector<std::string> storage;
    std::vector<char*> argv = argumentVector(program, arguments, storage);
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        for (const auto& [name, value] : environment) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    RunResult result;
    result.status = exitStatus(child);
    result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

RunResult runHostOnTerminal(const std::vector<std::string>& arguments) {
    std::vector<std::string> storage;
    std::vector<char*> argv = argumentVector(CORVANE_HOST_PATH, arguments, storage);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);  // only standard error stays on the terminal
        ::execv(CORVANE_HOST_PATH, argv.data());
        ::_exit(127);
    }
    RunResult result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(terminal, buffer, sizeof buffer);
        if (got > 0) {
            result.err.append(buffer, static_cast<std::size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the program has closed the terminal
        }
    }
    ::close(terminal);
    result.status = exitStatus(child);
    return result;
}

std::vector<float> Sound::channel(int number) const {
    std::vector<float> samples(frames());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = interleaved[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(number - 1)];
    }
    return samples;
}

std::vector<float> sine(double hz, int sampleRate, double seconds, double amplitude) {
    std::vector<float> samples(static_cast<std::size_t>(std::lround(seconds * sampleRate)));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / sampleRate));
    }
    return samples;
}

Sound mono(const std::vector<float>& samples, int sampleRate, int format) {
    Sound sound;
    sound.format = format;
    sound.sampleRate = sampleRate;
    sound.channels = 1;
    sound.interleaved = samples;
    return sound;
}

Sound stereo(const std::vector<float>& left, const std::vector<float>& right, int sampleRate) {
    Sound sound;
    sound.sampleRate = sampleRate;
    sound.channels = 2;
    for (std::size_t i = 0; i < std::min(left.size(), right.size()); ++i) {
        sound.interleaved.push_back(left[i]);
        sound.interleaved.push_back(right[i]);
    }
    return sound;
}

void writeSound(const std::string& path, const Sound& sound) {
    SF_INFO info{};
    info.format = sound.format;
    info.samplerate = sound.sampleRate;
    info.channels = sound.channels;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write test sound " + path + ": " + sf_strerror(nullptr));
    }
    sf_writef_float(file, sound.interleaved.data(), static_cast<sf_count_t>(sound.frames()));
    sf_close(file);
}

Sound readSound(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    }
    Sound sound;
    sound.format = info.format;
    sound.sampleRate = info.samplerate;
    sound.channels = info.channels;
    sound.interleaved.resize(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, sound.interleaved.data(), info.frames);
    sf_close(file);
    return sound;
}

bool fileExists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

double mainFrequency(const std::vector<float>& samples, int sampleRate, std::size_t from) {
    constexpr std::size_t kSize = 16384;
    std::vector<std::complex<double>> frame(kSize);
    for (std::size_t j = 0; j < kSize; ++j) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(j) / kSize);
        frame[j] = from + j < samples.size() ? samples[from + j] * window : 0.0;
    }
    fft(frame);
    const double binHz = static_cast<double>(sampleRate) / static_cast<double>(kSize);
    const auto lowest = static_cast<std::size_t>(std::ceil(20.0 / binHz));
    double strongest = 0.0;
    for (std::size_t k = lowest; k <= kSize / 2; ++k) {
        strongest = std::max(strongest, std::norm(frame[k]));
    }
    double weighted = 0.0;
    double total = 0.0;
    for (std::size_t k = lowest; k <= kSize / 2; ++k) {
        const double power = std::norm(frame[k]);
        if (power >= strongest * 1e-4) {
            weighted += power * static_cast<double>(k);
            total += power;
        }
    }
    return total > 0.0 ? weighted / total * binHz : 0.0;
}

int bestLag(const std::vector<float>& x, const std::vector<float>& y, int lowest, int highest) {
    const auto first = static_cast<std::ptrdiff_t>(x.size() / 4);
    const auto last = static_cast<std::ptrdiff_t>(x.size() * 3 / 4);
    int best = lowest;
    double bestSum = -1e300;
    for (int lag = lowest; lag <= highest; ++lag) {
        double sum = 0.0;
        for (std::ptrdiff_t t = first; t < last; ++t) {
            const std::ptrdiff_t at = t + lag;
            if (at >= 0 && at < static_cast<std::ptrdiff_t>(y.size())) {
                sum += static_cast<double>(x[static_cast<std::size_t>(t)]) * y[static_cast<std::size_t>(at)];
            }
        }
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

std::string settingLine(const std::string& output, const std::string& name) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, name.size(), name) != 0) {
            continue;
        }
        const std::size_t equals = line.find(" = ", start + name.size());
        if (equals != std::string::npos && line.find_first_not_of(' ', start + name.size()) == equals + 1) {
            return line.substr(equals + 3);
        }
    }
    return "(no line for " + name + ")";
}

}  // namespace hosttest
