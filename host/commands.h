// The host's commands. Each takes the words after the command name, prints
// its report on standard output and throws HostError on failure (the caller
// prints it and exits with status 2).
#pragma once

#include <string>
#include <vector>

struct HostOptions {
    std::string pluginPath;  // empty: look beside this program, then the usual folders
};

void runInfo(const HostOptions& options, const std::vector<std::string>& arguments);
void runRender(const HostOptions& options, const std::vector<std::string>& arguments);
void runSpectrogram(const HostOptions& options, const std::vector<std::string>& arguments);
void runDemo(const HostOptions& options, const std::vector<std::string>& arguments);

extern const char* const kUsage;
