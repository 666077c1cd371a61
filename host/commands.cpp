#include "host/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "host/audio_file.h"
#include "host/demo_signal.h"
#include "host/host_error.h"
#include "host/parameter_settings.h"
#include "host/plugin_instance.h"
#include "host/spectrogram_picture.h"
#include "host/spectrum.h"

const char* const kUsage =
    "usage: corvane-host [--plugin PATH] COMMAND ...\n"
    "\n"
    "  info                              what a host sees of the plug-in\n"
    "  render IN OUT [options]           IN through the plug-in into OUT (IN's format and rate)\n"
    "      --set P=V      parameter P (index or name, e.g. \"Shift 1\", \"Tap 2\", \"DISC\")\n"
    "                     to V: normalised 0..1, or +5st (shift), 1200Hz (band limit), -6dB (volume)\n"
    "      --block N      block length (default 512)\n"
    "      --rate R       sample rate told to the plug-in (default: the file's)\n"
    "      --channel N    channel of a multi-channel IN to process (default 1)\n"
    "      --compensate   drop the plug-in's latency so OUT lines up with IN\n"
    "  spectrogram IN [IN2] OUT.png      picture of IN (and IN2 beside it as the output),\n"
    "      [--set P=V]... [--channel N]  with the band limits the settings give\n"
    "  demo [OUTDIR]                     the demo: generated signal, three settings,\n"
    "                                    WAVs and pictures in OUTDIR (default out)\n"
    "\n"
    "Without --plugin, corvane.so is looked for beside this program, then in\n"
    "$VST_PATH, $LXVST_PATH, ~/.vst, /usr/local/lib/vst and /usr/lib/vst.\n"
    "Errors exit with status 2 and leave no output file.\n";

namespace {

constexpr int32_t kDefaultBlock = 512;
constexpr int32_t kMaxBlock = 65536;

std::unique_ptr<PluginInstance> loadPlugin(const HostOptions& options) {
    const std::string path = options.pluginPath.empty() ? PluginInstance::findDefaultLibrary() : options.pluginPath;
    return std::make_unique<PluginInstance>(path);
}

long parseWhole(const std::string& option, const std::string& text, long low, long high) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
        throw HostError(option + " " + text + ": expected a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high));
    }
    return value;
}

double parseRate(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 1000.0 || value > 768000.0) {
        throw HostError("--rate " + text + ": expected a sample rate from 1000 to 768000 Hz");
    }
    return value;
}

// Words of a command: positional arguments and options with their values.
struct CommandLine {
    std::vector<std::string> positional;
    std::vector<std::string> settings;
    std::string block;
    std::string rate;
    std::string channel;
    bool compensate = false;
};

CommandLine parseCommandLine(const std::string& command, const std::vector<std::string>& words,
                             const std::vector<std::string>& allowed) {
    CommandLine line;
    auto permitted = [&allowed](const std::string& option) {
        for (const std::string& name : allowed) {
            if (name == option) {
                return true;
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string word = words[i];
        if (word.size() < 2 || word[0] != '-' || word[1] != '-') {
            line.positional.push_back(word);
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = word.find('='); equals != std::string::npos) {
            value = word.substr(equals + 1);
            word = word.substr(0, equals);
            hasValue = true;
        }
        if (!permitted(word)) {
            throw HostError(command + ": unknown option " + word + " (see corvane-host --help)");
        }
        if (word == "--compensate") {
            if (hasValue) {
                throw HostError(command + ": --compensate takes no value");
            }
            line.compensate = true;
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= words.size()) {
                throw HostError(command + ": " + word + " needs a value");
            }
            value = words[++i];
        }
        if (word == "--set") {
            line.settings.push_back(value);
        } else if (word == "--block") {
            line.block = value;
        } else if (word == "--rate") {
            line.rate = value;
        } else if (word == "--channel") {
            line.channel = value;
        }
    }
    return line;
}

int chooseChannel(const CommandLine& line, const AudioData& audio, const std::string& path) {
    if (line.channel.empty()) {
        return 1;
    }
    const long channel = parseWhole("--channel", line.channel, 1, INT_MAX);
    if (channel > audio.channels) {
        throw HostError("--channel " + line.channel + ": " + path + " has " + std::to_string(audio.channels) +
                        (audio.channels == 1 ? " channel" : " channels"));
    }
    return static_cast<int>(channel);
}

std::string describeInput(const std::string& path, const AudioData& audio) {
    char text[512];
    std::snprintf(text, sizeof text, "%s (%s, %d Hz, %d %s, %lld frames, %.2f s)", path.c_str(),
                  describeFormat(audio.format).c_str(), audio.sampleRate, audio.channels,
                  audio.channels == 1 ? "channel" : "channels", static_cast<long long>(audio.frames), audio.seconds());
    return text;
}

// Progress on standard error, for long files and only when a person watches.
class Progress {
public:
    Progress(const std::string& name, std::size_t frames, double seconds)
        : label(name), total(frames), shown(::isatty(STDERR_FILENO) == 1 && seconds > kLongFileSeconds) {}
    ~Progress() {
        if (shown && last >= 0) {
            std::fputc('\n', stderr);
        }
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void update(std::size_t done) {
        if (!shown || total == 0) {
            return;
        }
        const int percent = static_cast<int>(done * 100 / total);
        if (percent != last) {
            std::fprintf(stderr, "\r%s: %3d%%", label.c_str(), percent);
            std::fflush(stderr);
            last = percent;
        }
    }

    static constexpr double kLongFileSeconds = 60.0;

private:
    std::string label;
    std::size_t total;
    bool shown;
    int last = -1;
};

// Sends the samples through the plug-in as a DAW plays a track: mains on,
// blocks of processReplacing, mains off. With `compensate` the reported
// latency is dropped from the start and as many samples of silence are fed
// at the end, so the result lines up with the input; either way it is as
// long as the input.
std::vector<float> renderThrough(PluginInstance& plugin, const std::vector<float>& input, int32_t block,
                                 bool compensate, Progress& progress, int32_t& latency) {
    plugin.resume();
    latency = std::max(plugin.record()->initialDelay, 0);  // read after mains on: it may change with the settings
    const std::size_t skip = compensate ? static_cast<std::size_t>(latency) : 0;
    const std::size_t total = input.size() + skip;
    std::vector<float> feed(static_cast<std::size_t>(block));
    std::vector<float> out(static_cast<std::size_t>(block));
    std::vector<float> result;
    result.reserve(input.size());
    for (std::size_t done = 0; done < total;) {
        const std::size_t count = std::min(static_cast<std::size_t>(block), total - done);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = done + i;
            feed[i] = at < input.size() ? input[at] : 0.0f;
        }
        plugin.process(feed.data(), out.data(), static_cast<int32_t>(count));
        for (std::size_t i = 0; i < count; ++i) {
            if (done + i >= skip) {
                result.push_back(out[i]);
            }
        }
        done += count;
        progress.update(done);
    }
    plugin.suspend();
    return result;
}

void printSettings(PluginInstance& plugin) {
    std::printf("settings as the plug-in displays them:\n");
    for (const std::string& line : describeSettings(plugin)) {
        std::printf("  %s\n", line.c_str());
    }
}

BandMarks marksOf(PluginInstance& plugin) {
    BandMarks marks;
    if (!hasTapLayout(plugin)) {
        return marks;
    }
    const TapLayout layout = readTapLayout(plugin);
    marks.present = true;
    for (int tap = 0; tap < 4; ++tap) {
        marks.limitsHz[tap] = layout.limitsHz[tap];
        marks.semitones[tap] = layout.semitones[tap];
        marks.volumes[tap] = layout.volumes[tap];
    }
    return marks;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string flagNames(int32_t flags) {
    static const struct {
        int32_t bit;
        const char* name;
    } names[] = {{effFlagsHasEditor, "has editor"},         {effFlagsCanReplacing, "can replace"},
                 {effFlagsProgramChunks, "program chunks"}, {effFlagsIsSynth, "synth"},
                 {effFlagsNoSoundInStop, "no sound in stop"}, {effFlagsCanDoubleReplacing, "can double replace"}};
    std::string text;
    for (const auto& entry : names) {
        if (flags & entry.bit) {
            text += (text.empty() ? "" : ", ") + std::string(entry.name);
        }
    }
    return text;
}

std::string fourCharacterText(int32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        text += c >= 32 && c <= 126 ? c : '?';
    }
    return text;
}

std::string joinPeaks(const std::vector<SpectralPeak>& peaks) {
    if (peaks.empty()) {
        return "none (silence)";
    }
    std::string text;
    for (const SpectralPeak& peak : peaks) {
        char item[32];
        std::snprintf(item, sizeof item, "%.0f Hz", peak.hz);
        text += (text.empty() ? "" : ", ") + std::string(item);
    }
    return text;
}

}  // namespace

void runInfo(const HostOptions& options, const std::vector<std::string>& arguments) {
    if (!arguments.empty()) {
        throw HostError("info takes no arguments");
    }
    auto plugin = loadPlugin(options);
    AEffect* record = plugin->record();
    std::printf("plug-in: %s\n", plugin->libraryPath().c_str());
    std::printf("effect name: %s\n", plugin->text(effGetEffectName).c_str());
    std::printf("vendor: %s\n", plugin->text(effGetVendorString).c_str());
    std::printf("product: %s\n", plugin->text(effGetProductString).c_str());
    std::printf("vendor version: %ld\n", static_cast<long>(plugin->dispatch(effGetVendorVersion)));
    std::printf("vst version: %ld\n", static_cast<long>(plugin->dispatch(effGetVstVersion)));
    std::printf("unique id: %s (0x%08X)\n", fourCharacterText(record->uniqueID).c_str(),
                static_cast<uint32_t>(record->uniqueID));
    std::printf("inputs: %d\n", record->numInputs);
    std::printf("outputs: %d\n", record->numOutputs);
    std::printf("flags: 0x%X (%s)\n", static_cast<uint32_t>(record->flags), flagNames(record->flags).c_str());
    std::printf("initial delay: %d\n", record->initialDelay);
    std::printf("programs: %d\n", record->numPrograms);
    std::printf("program name: %s\n", plugin->text(effGetProgramName).c_str());
    std::printf("parameters: %d\n", record->numParams);
    for (int32_t index = 0; index < plugin->parameterCount(); ++index) {
        std::printf("parameter %d: name \"%s\", label \"%s\", display \"%s\", value %.6g\n", index,
                    plugin->parameterName(index).c_str(), plugin->parameterLabel(index).c_str(),
                    plugin->parameterDisplay(index).c_str(), static_cast<double>(plugin->getParameter(index)));
    }
}

void runRender(const HostOptions& options, const std::vector<std::string>& arguments) {
    const CommandLine line =
        parseCommandLine("render", arguments, {"--set", "--block", "--rate", "--channel", "--compensate"});
    if (line.positional.size() != 2) {
        throw HostError("render needs an input and an output file: render IN.wav OUT.wav [options]");
    }
    const std::string& inPath = line.positional[0];
    const std::string& outPath = line.positional[1];
    const int32_t block = line.block.empty() ? kDefaultBlock
                                             : static_cast<int32_t>(parseWhole("--block", line.block, 1, kMaxBlock));
    const double givenRate = line.rate.empty() ? 0.0 : parseRate(line.rate);

    const AudioData audio = readAudio(inPath);
    const int channel = chooseChannel(line, audio, inPath);
    auto plugin = loadPlugin(options);
    const double rate = givenRate > 0.0 ? givenRate : audio.sampleRate;
    plugin->configure(rate, block);
    applySettings(*plugin, line.settings);

    std::printf("input: %s\n", describeInput(inPath, audio).c_str());
    std::printf("channel: %d of %d\n", channel, audio.channels);
    std::printf("plug-in: %s (%s)\n", plugin->text(effGetEffectName).c_str(), plugin->libraryPath().c_str());
    std::printf("sample rate told to the plug-in: %g Hz, block %d\n", rate, block);
    printSettings(*plugin);
    std::fflush(stdout);

    Progress progress("rendering " + baseName(inPath), static_cast<std::size_t>(audio.frames), audio.seconds());
    int32_t latency = 0;
    const std::vector<float> output =
        renderThrough(*plugin, audio.channel(channel), block, line.compensate, progress, latency);
    plugin.reset();
    writeAudio(outPath, audio.format, audio.sampleRate, output);
    if (line.compensate) {
        std::printf("latency: %d samples compensated\n", latency);
    } else {
        std::printf("latency: not compensated (the plug-in reports %d samples)\n", latency);
    }
    std::printf("output: %s (%s, %d Hz, 1 channel, %zu frames)\n", outPath.c_str(), describeFormat(audio.format).c_str(),
                audio.sampleRate, output.size());
}

void runSpectrogram(const HostOptions& options, const std::vector<std::string>& arguments) {
    const CommandLine line = parseCommandLine("spectrogram", arguments, {"--set", "--channel"});
    if (line.positional.size() != 2 && line.positional.size() != 3) {
        throw HostError("spectrogram needs one or two sound files and a picture: spectrogram IN.wav [IN2.wav] OUT.png");
    }
    const std::string& pngPath = line.positional.back();
    std::vector<AudioData> audio;
    std::vector<std::vector<float>> samples;
    for (std::size_t i = 0; i + 1 < line.positional.size(); ++i) {
        audio.push_back(readAudio(line.positional[i]));
        samples.push_back(audio.back().channel(chooseChannel(line, audio.back(), line.positional[i])));
    }
    auto plugin = loadPlugin(options);
    applySettings(*plugin, line.settings);
    const BandMarks marks = marksOf(*plugin);
    plugin.reset();

    std::vector<PicturePanel> panels;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        PicturePanel panel;
        const std::string name = baseName(line.positional[i]);
        char details[96];
        std::snprintf(details, sizeof details, " (%d Hz, %.2f s)", audio[i].sampleRate, audio[i].seconds());
        panel.title = (samples.size() == 1 ? "" : i == 0 ? "Input: " : "Output: ") + name + details;
        panel.samples = &samples[i];
        panel.sampleRate = audio[i].sampleRate;
        panel.shifted = i == 1;
        panels.push_back(panel);
    }
    std::string heading = "Spectrogram of " + baseName(line.positional[0]);
    if (samples.size() == 2) {
        heading += " and " + baseName(line.positional[1]);
    }
    writeSpectrogramPicture(pngPath, heading, panels, marks);
    std::printf("picture: %s\n", pngPath.c_str());
}

void runDemo(const HostOptions& options, const std::vector<std::string>& arguments) {
    if (arguments.size() > 1) {
        throw HostError("demo takes at most one argument, the folder for its files");
    }
    const std::string folder = arguments.empty() ? std::string("out") : arguments[0];
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        throw HostError("cannot make the folder " + folder + ": " + std::strerror(errno));
    }
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        throw HostError("cannot write into " + folder + ": not a folder");
    }

    constexpr int kRate = 44100;
    const std::vector<float> input = makeDemoSignal(kRate, 4.0);
    const int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const std::string inputPath = folder + "/demo_input.wav";
    writeAudio(inputPath, format, kRate, input);
    std::printf("demo signal: %s (4 s at %d Hz: an A minor seventh chord with harmonics,\n"
                "  a melody of eight notes above it, soft noise)\n",
                inputPath.c_str(), kRate);
    std::printf("main frequencies of the input: %s\n", joinPeaks(mainFrequencies(input, kRate, 8)).c_str());

    struct Setting {
        const char* name;
        const char* heading;
        std::vector<std::string> assignments;
    };
    const std::vector<Setting> settings = {
        {"octave_up_highs", "Octave up on the highs only: taps 2 to 4 at +12 st, tap 1 as it is",
         {"Shift 2=+12st", "Shift 3=+12st", "Shift 4=+12st"}},
        {"harmonizer", "Harmonizer: each tap at its own interval",
         {"Tap 1=500Hz", "Tap 2=1500Hz", "Tap 3=6000Hz", "Shift 1=+12st", "Shift 2=+7st", "Shift 3=+4st",
          "Shift 4=-5st", "Vol 4=-6dB"}},
        {"moved_limits", "Band limits moved to 300, 2500, 5000, 9000 Hz; bass down, bands 3 and 4 swapped",
         {"Tap 1=300Hz", "Tap 2=2500Hz", "Tap 3=5000Hz", "Tap 4=9000Hz", "Shift 1=-12st", "Shift 3=+12st",
          "Shift 4=-12st"}},
    };

    for (const Setting& setting : settings) {
        auto plugin = loadPlugin(options);
        plugin->configure(kRate, kDefaultBlock);
        applySettings(*plugin, setting.assignments);
        const BandMarks marks = marksOf(*plugin);

        std::printf("\n== %s\n", setting.heading);
        std::string command = "   corvane-host render " + inputPath + " " + folder + "/" + setting.name + ".wav";
        for (const std::string& assignment : setting.assignments) {
            command += " --set \"" + assignment + "\"";
        }
        std::printf("%s --compensate\n", command.c_str());
        for (int tap = 0; tap < 4 && hasTapLayout(*plugin); ++tap) {
            std::printf("   %s = %-4s %-8s  %s = %s %s  %s = %s\n", plugin->parameterName(tap).c_str(),
                        plugin->parameterDisplay(tap).c_str(), plugin->parameterLabel(tap).c_str(),
                        plugin->parameterName(4 + tap).c_str(), plugin->parameterDisplay(4 + tap).c_str(),
                        plugin->parameterLabel(4 + tap).c_str(), plugin->parameterName(8 + tap).c_str(),
                        plugin->parameterDisplay(8 + tap).c_str());
        }

        Progress progress(setting.name, input.size(), 4.0);
        int32_t latency = 0;
        const std::vector<float> output = renderThrough(*plugin, input, kDefaultBlock, true, progress, latency);
        plugin.reset();
        const std::string wavPath = folder + "/" + setting.name + ".wav";
        const std::string pngPath = folder + "/" + setting.name + ".png";
        writeAudio(wavPath, format, kRate, output);

        PicturePanel in{"Input: demo_input.wav", &input, kRate, false};
        PicturePanel out{"Output: " + std::string(setting.name) + ".wav", &output, kRate, true};
        writeSpectrogramPicture(pngPath, setting.heading, {in, out}, marks);

        std::printf("   main frequencies out: %s\n", joinPeaks(mainFrequencies(output, kRate, 8)).c_str());
        // Band by band: the strongest partials a tap reads, and what is
        // strongest where its band lands after the shift.
        for (int tap = 0; tap < 4 && marks.present; ++tap) {
            const double low = tap == 0 ? 0.0 : marks.limitsHz[tap - 1];
            const double high = marks.limitsHz[tap];
            const double ratio = std::pow(2.0, marks.semitones[tap] / 12.0);
            std::printf("   tap %d, %.0f to %.0f Hz, %+.0f st: in %s\n", tap + 1, low, high, marks.semitones[tap],
                        joinPeaks(mainFrequencies(input, kRate, 3, low, high)).c_str());
            const double nyquist = kRate / 2.0;
            if (low * ratio >= nyquist - 100.0) {
                std::printf("   %8s lands at %.0f Hz and above, past the top of the file (%.0f Hz)\n", "", low * ratio,
                            nyquist);
            } else {
                std::printf("   %8s lands at %.0f to %.0f Hz: out %s\n", "", low * ratio, std::min(high * ratio, nyquist),
                            joinPeaks(mainFrequencies(output, kRate, 3, low * ratio, high * ratio)).c_str());
            }
        }
        std::printf("   wrote %s and %s (latency of %d samples compensated)\n", wavPath.c_str(), pngPath.c_str(),
                    latency);
    }
}
