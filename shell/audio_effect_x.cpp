#include "shell/audio_effect_x.h"

#include <cstdlib>
#include <cstring>

#include "editor/aeff_editor.h"

namespace {

uint8_t lowByte(intptr_t value) { return static_cast<uint8_t>(static_cast<uintptr_t>(value) & 0xFFu); }

// The key's modifier arrives as a float; a value no 32-bit integer can hold
// reads as no modifier rather than as an undefined conversion.
uint8_t modifierOf(float opt) {
    if (!(opt > -2147483648.0f && opt < 2147483648.0f)) {
        return 0;
    }
    return static_cast<uint8_t>(static_cast<uint32_t>(static_cast<int32_t>(opt)) & 0xFFu);
}

}  // namespace

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
        case effProcessEvents: return processEvents(static_cast<HostEvents*>(ptr));
        case effCanBeAutomated: return canBeAutomated(index) ? 1 : 0;
        case effString2Parameter: return stringToParameter(index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProgramNameIndexed:
            return getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
        case effGetInputProperties: return getInputProperties(index, static_cast<PinProperties*>(ptr)) ? 1 : 0;
        case effGetOutputProperties: return getOutputProperties(index, static_cast<PinProperties*>(ptr)) ? 1 : 0;
        case effGetPlugCategory: return getPlugCategory();
        case effOfflineNotify:
            return offlineNotify(static_cast<AudioFileRecord*>(ptr), static_cast<int32_t>(value), index != 0) ? 1 : 0;
        case effOfflinePrepare: return offlinePrepare(static_cast<OfflineTask*>(ptr), static_cast<int32_t>(value)) ? 1 : 0;
        case effOfflineRun: return offlineRun(static_cast<OfflineTask*>(ptr), static_cast<int32_t>(value)) ? 1 : 0;
        case effProcessVarIo: return processVariableIo(static_cast<VariableIo*>(ptr)) ? 1 : 0;
        case effSetSpeakerArrangement:
            return setSpeakerArrangement(reinterpret_cast<SpeakerArrangement*>(value),
                                         static_cast<SpeakerArrangement*>(ptr)) ? 1 : 0;
        case effSetBypass: return setBypass(value != 0) ? 1 : 0;
        case effGetEffectName: return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorString: return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetProductString: return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
        case effGetVendorVersion: return getVendorVersion();
        case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
        case effCanDo: return canDo(static_cast<char*>(ptr));
        case effGetTailSize: return getTailSize();
        case effGetParameterProperties:
            return getParameterProperties(index, static_cast<ParameterProperties*>(ptr)) ? 1 : 0;
        case effGetVstVersion: return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp: {
            if (editor == nullptr) {
                return 0;
            }
            VstKeyCode key{index, lowByte(value), modifierOf(opt)};
            const bool used = opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
            return used ? 1 : 0;
        }
        case effSetEditKnobMode:
            if (editor == nullptr) {
                return 0;
            }
            return editor->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
        case effGetMidiProgramName: return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
        case effGetCurrentMidiProgram: return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
        case effGetMidiProgramCategory:
            return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
        case effHasMidiProgramsChanged: return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName: return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
        case effBeginSetProgram: return beginSetProgram() ? 1 : 0;
        case effEndSetProgram: return endSetProgram() ? 1 : 0;
        case effGetSpeakerArrangement:
            return getSpeakerArrangement(reinterpret_cast<SpeakerArrangement**>(value),
                                         static_cast<SpeakerArrangement**>(ptr)) ? 1 : 0;
        case effShellGetNextPlugin: return getNextShellPlugin(static_cast<char*>(ptr));
        case effStartProcess: return startProcess();
        case effStopProcess: return stopProcess();
        case effSetTotalSampleToProcess: return setTotalSampleToProcess(value);
        case effSetPanLaw: return setPanLaw(static_cast<int32_t>(value), opt) ? 1 : 0;
        case effBeginLoadBank: return beginLoadBank(ptr);
        case effBeginLoadProgram: return beginLoadProgram(ptr);
        case effSetProcessPrecision: return setProcessPrecision(static_cast<int32_t>(value)) ? 1 : 0;
        case effGetNumMidiInputChannels: return getNumMidiInputChannels();
        case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();
        default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

void AudioEffectX::resume() {
    if ((effectRecord.flags & effFlagsIsSynth) != 0) {
        wantEvents(1);
        return;
    }
    char midiEvents[] = "receiveVstMidiEvent";
    if (canDo(midiEvents) == 1) {
        wantEvents(1);
    }
}

bool AudioEffectX::getSpeakerArrangement(SpeakerArrangement** input, SpeakerArrangement** output) {
    if (input != nullptr) {
        *input = nullptr;
    }
    if (output != nullptr) {
        *output = nullptr;
    }
    return false;
}

int32_t AudioEffectX::getPlugCategory() {
    return (effectRecord.flags & effFlagsIsSynth) != 0 ? kPlugCategSynth : kPlugCategUnknown;
}

// --- Host services -------------------------------------------------------------

void AudioEffectX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

TimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return reinterpret_cast<TimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

intptr_t AudioEffectX::tempoAt(intptr_t position) { return callHost(audioMasterTempoAt, 0, position); }

int32_t AudioEffectX::getNumAutomatableParameters() {
    return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}

int32_t AudioEffectX::getParameterQuantization() {
    return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}

bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }
bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }
bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

float AudioEffectX::updateSampleRate() {
    const intptr_t answer = callHost(audioMasterGetSampleRate);
    if (answer > 0) {
        sampleRate = static_cast<float>(answer);
    }
    return sampleRate;
}

int32_t AudioEffectX::updateBlockSize() {
    const intptr_t answer = callHost(audioMasterGetBlockSize);
    if (answer > 0 && answer <= INT32_MAX) {
        blockSize = static_cast<int32_t>(answer);
    }
    return blockSize;
}

int32_t AudioEffectX::getInputLatency() { return static_cast<int32_t>(callHost(audioMasterGetInputLatency)); }
int32_t AudioEffectX::getOutputLatency() { return static_cast<int32_t>(callHost(audioMasterGetOutputLatency)); }

AEffect* AudioEffectX::getPreviousPlug(int32_t /*input*/) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}

AEffect* AudioEffectX::getNextPlug(int32_t /*output*/) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}

int32_t AudioEffectX::willProcessReplacing() {
    return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}

int32_t AudioEffectX::getCurrentProcessLevel() {
    return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}

int32_t AudioEffectX::getAutomationState() {
    return static_cast<int32_t>(callHost(audioMasterGetAutomationState));
}

bool AudioEffectX::offlineStart(AudioFileRecord* files, int32_t numAudioFiles, int32_t numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, files) != 0;
}

bool AudioEffectX::offlineRead(OfflineTask* task, int32_t option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}

bool AudioEffectX::offlineWrite(OfflineTask* task, int32_t option) {
    return callHost(audioMasterOfflineWrite, 0, option, task) != 0;
}

int32_t AudioEffectX::offlineGetCurrentPass() { return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0; }

int32_t AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}

void AudioEffectX::setOutputSampleRate(float rate) { callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate); }

SpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
    return reinterpret_cast<SpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}

SpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
    return reinterpret_cast<SpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}

bool AudioEffectX::getHostVendorString(char* text) { return callHost(audioMasterGetVendorString, 0, 0, text) != 0; }
bool AudioEffectX::getHostProductString(char* text) { return callHost(audioMasterGetProductString, 0, 0, text) != 0; }
int32_t AudioEffectX::getHostVendorVersion() { return static_cast<int32_t>(callHost(audioMasterGetVendorVersion)); }

intptr_t AudioEffectX::hostVendorSpecific(int32_t a, intptr_t b, void* p, float f) {
    return callHost(audioMasterVendorSpecific, a, b, p, f);
}

int32_t AudioEffectX::canHostDo(char* text) { return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0; }
int32_t AudioEffectX::getHostLanguage() { return static_cast<int32_t>(callHost(audioMasterGetLanguage)); }

void* AudioEffectX::openWindow(HostWindow* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}

bool AudioEffectX::closeWindow(HostWindow* window) { return callHost(audioMasterCloseWindow, 0, 0, window) != 0; }
void* AudioEffectX::getHostDirectory() { return reinterpret_cast<void*>(callHost(audioMasterGetDirectory)); }
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::beginEdit(int32_t index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }

bool AudioEffectX::openFileSelector(FileSelect* select) {
    return select != nullptr && callHost(audioMasterOpenFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::closeFileSelector(FileSelect* select) {
    return select != nullptr && callHost(audioMasterCloseFileSelector, 0, 0, select) != 0;
}

bool AudioEffectX::getChunkFile(void* nativePath) {
    return nativePath != nullptr && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

// --- Speaker arrangements --------------------------------------------------------

bool AudioEffectX::allocateArrangement(SpeakerArrangement** arrangement, int32_t numChannels) {
    if (arrangement == nullptr || numChannels < 0) {
        return false;
    }
    if (*arrangement != nullptr) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    const std::size_t size =
        sizeof(SpeakerArrangement) + sizeof(SpeakerProperties) * static_cast<std::size_t>(numChannels);
    void* block = std::calloc(1, size);
    if (block == nullptr) {
        return false;
    }
    *arrangement = static_cast<SpeakerArrangement*>(block);
    (*arrangement)->numChannels = numChannels;
    return true;
}

bool AudioEffectX::deallocateArrangement(SpeakerArrangement** arrangement) {
    if (arrangement != nullptr && *arrangement != nullptr) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(SpeakerProperties* to, SpeakerProperties* from) {
    if (to == nullptr || from == nullptr) {
        return false;
    }
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->name, from->name, sizeof to->name - 1);
    to->name[sizeof to->name - 1] = '\0';
    to->type = from->type;
    std::memcpy(to->future, from->future, sizeof to->future);
    return true;
}

bool AudioEffectX::matchArrangement(SpeakerArrangement** to, SpeakerArrangement* from) {
    if (from == nullptr) {
        return false;
    }
    if (!deallocateArrangement(to) || !allocateArrangement(to, from->numChannels)) {
        return false;
    }
    (*to)->type = from->type;
    for (int32_t i = 0; i < from->numChannels; ++i) {
        if (!copySpeaker(&speakersOf(*to)[i], &speakersOf(from)[i])) {
            return false;
        }
    }
    return true;
}
