#include "host/plugin_instance.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/host_error.h"

namespace {

// What the host answers to the plug-in's questions. The callback is a plain
// function, so this lives at file scope; the program drives one instance at a
// time.
struct HostAnswers {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
};
HostAnswers answers;

intptr_t hostCallback(AEffect* /*effect*/, int32_t opcode, int32_t /*index*/, intptr_t /*value*/,
                      void* /*ptr*/, float /*opt*/) {
    switch (opcode) {
        case audioMasterVersion:
            return kVstVersion;
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(answers.sampleRate);
        case audioMasterGetBlockSize:
            return answers.blockSize;
        case audioMasterCanDo:
            return 0;  // this host offers none of the optional services
        default:
            return 0;
    }
}

using EntryFunction = AEffect* (*)(audioMasterCallback);

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string folderOfThisProgram() {
    std::array<char, PATH_MAX> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    std::string exe(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string{} : exe.substr(0, slash);
}

void appendFolders(std::vector<std::string>& folders, const char* list) {
    if (list == nullptr) {
        return;
    }
    std::string rest(list);
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t colon = rest.find(':', start);
        if (colon == std::string::npos) {
            colon = rest.size();
        }
        if (colon > start) {
            folders.push_back(rest.substr(start, colon - start));
        }
        start = colon + 1;
    }
}

}  // namespace

std::string PluginInstance::findDefaultLibrary() {
    std::vector<std::string> folders;
    const std::string own = folderOfThisProgram();
    if (!own.empty()) {
        folders.push_back(own);
    }
    appendFolders(folders, std::getenv("VST_PATH"));
    appendFolders(folders, std::getenv("LXVST_PATH"));
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        folders.push_back(std::string(home) + "/.vst");
    }
    folders.push_back("/usr/local/lib/vst");
    folders.push_back("/usr/lib/vst");

    std::string looked;
    for (const std::string& folder : folders) {
        const std::string candidate = folder + "/corvane.so";
        if (isRegularFile(candidate)) {
            return candidate;
        }
        looked += looked.empty() ? folder : ", " + folder;
    }
    throw HostError("cannot find corvane.so (looked in " + looked + "); give its path with --plugin PATH");
}

PluginInstance::PluginInstance(const std::string& libraryPath) : path(libraryPath) {
    // A name without a slash would make dlopen search the system's library
    // folders instead of loading the file the user named.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    struct stat status {};
    if (::stat(openPath.c_str(), &status) != 0) {
        throw HostError("cannot load plug-in " + path + ": " + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        throw HostError("cannot load plug-in " + path + ": not a file");
    }
    ::dlerror();
    library = ::dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        throw HostError("cannot load plug-in " + path + ": " + (reason != nullptr ? reason : "unknown reason"));
    }
    void* symbol = ::dlsym(library, "VSTPluginMain");
    if (symbol == nullptr) {
        symbol = ::dlsym(library, "main");  // the entry's older name
    }
    if (symbol == nullptr) {
        ::dlclose(library);  // nothing of it has run
        throw HostError("plug-in " + path + " has no entry: neither VSTPluginMain nor main is exported");
    }
    EntryFunction entry = nullptr;
    static_assert(sizeof(entry) == sizeof(symbol));
    std::memcpy(&entry, &symbol, sizeof(entry));
    effect = entry(hostCallback);
    if (effect == nullptr) {
        throw HostError("plug-in " + path + " answered no instance (its entry returned null)");
    }
    if (effect->magic != kEffectMagic || effect->dispatcher == nullptr || effect->getParameter == nullptr ||
        effect->setParameter == nullptr) {
        // Not a record this host can drive; it cannot be closed safely either,
        // so the library stays loaded until the program ends.
        effect = nullptr;
        throw HostError("plug-in " + path + " answered a record that is not an effect record");
    }
    dispatch(effOpen);
}

PluginInstance::~PluginInstance() {
    if (effect != nullptr) {
        if (running) {
            suspend();
        }
        dispatch(effClose);  // deletes the instance: the record is gone after this
        effect = nullptr;
    }
    // The library stays loaded until the program ends, as in most DAWs: it
    // keeps process-wide state (its shared FFT plans) that it releases only
    // at exit, and unloading it would lose that state with every instance.
    // dlopen of the same file again finds it loaded.
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::text(int32_t opcode, int32_t index) {
    std::array<char, 512> buffer{};
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

void PluginInstance::configure(double sampleRate, int32_t blockSize) {
    answers.sampleRate = sampleRate;
    answers.blockSize = blockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);

    blockCapacity = blockSize;
    const std::size_t inputs = static_cast<std::size_t>(std::max(effect->numInputs, 1));
    const std::size_t outputs = static_cast<std::size_t>(std::max(effect->numOutputs, 1));
    inputChannels.assign(inputs, std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
    outputChannels.assign(outputs, std::vector<float>(static_cast<std::size_t>(blockSize), 0.0f));
    inputPointers.clear();
    outputPointers.clear();
    for (auto& channel : inputChannels) {
        inputPointers.push_back(channel.data());
    }
    for (auto& channel : outputChannels) {
        outputPointers.push_back(channel.data());
    }
}

void PluginInstance::resume() {
    if (effect->processReplacing == nullptr || (effect->flags & effFlagsCanReplacing) == 0) {
        throw HostError("plug-in " + path + " cannot render: it offers no processReplacing");
    }
    if (blockCapacity <= 0) {
        configure(answers.sampleRate, answers.blockSize);
    }
    dispatch(effMainsChanged, 0, 1);
    running = true;
}

void PluginInstance::suspend() {
    dispatch(effMainsChanged, 0, 0);
    running = false;
}

void PluginInstance::process(const float* input, float* output, int32_t frames) {
    const std::size_t count = static_cast<std::size_t>(std::clamp(frames, 0, blockCapacity));
    std::copy(input, input + count, inputChannels[0].begin());
    for (auto& channel : outputChannels) {
        std::fill(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(count), 0.0f);
    }
    effect->processReplacing(effect, inputPointers.data(), outputPointers.data(), static_cast<int32_t>(count));
    std::copy(outputChannels[0].begin(), outputChannels[0].begin() + static_cast<std::ptrdiff_t>(count), output);
}
