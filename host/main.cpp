// corvane-host: try or script the plug-in without a DAW.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/commands.h"
#include "host/host_error.h"

namespace {

constexpr int kFailure = 2;

int run(int argc, char** argv) {
    HostOptions options;
    int at = 1;
    for (; at < argc; ++at) {
        const std::string word = argv[at];
        if (word == "--help" || word == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (word == "--plugin") {
            if (at + 1 >= argc) {
                throw HostError("--plugin needs the path of a plug-in file");
            }
            options.pluginPath = argv[++at];
        } else if (word.rfind("--plugin=", 0) == 0) {
            options.pluginPath = word.substr(std::strlen("--plugin="));
        } else {
            break;
        }
        if (options.pluginPath.empty()) {
            throw HostError("--plugin needs the path of a plug-in file");
        }
    }
    if (at >= argc) {
        std::fputs(kUsage, stderr);
        return kFailure;
    }
    const std::string command = argv[at];
    const std::vector<std::string> arguments(argv + at + 1, argv + argc);
    if (command == "info") {
        runInfo(options, arguments);
    } else if (command == "render") {
        runRender(options, arguments);
    } else if (command == "spectrogram") {
        runSpectrogram(options, arguments);
    } else if (command == "demo") {
        runDemo(options, arguments);
    } else {
        throw HostError("unknown command '" + command + "' (commands: info, render, spectrogram, demo; see --help)");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const HostError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "corvane-host: %s\n", error.what());
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "corvane-host: failed: %s\n", error.what());
    }
    return kFailure;
}
