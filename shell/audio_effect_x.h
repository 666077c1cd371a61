// The extended effect object: answers the host's opcodes 25 to 79, adds the
// later host services, four flag setters and the speaker-arrangement helpers.
// It adds no fields. The order of the virtual operations is part of the class.
#pragma once

#include "shell/audio_effect.h"

// Records of the interface that this effect passes along without reading.
struct HostEvents;
struct PinProperties;
struct TimeInfo;
struct AudioFileRecord;
struct OfflineTask;
struct FileSelect;
struct HostWindow;
struct MidiProgramName;
struct MidiProgramCategory;
struct MidiKeyName;
struct ParameterProperties;
struct VariableIo;

// A speaker as the arrangement helpers copy it: 112 bytes.
struct SpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
};
static_assert(sizeof(SpeakerProperties) == 112);

// An arrangement: type, channel count, then that many speakers right after.
struct SpeakerArrangement {
    int32_t type;
    int32_t numChannels;
};
static_assert(sizeof(SpeakerArrangement) == 8);

inline SpeakerProperties* speakersOf(SpeakerArrangement* arrangement) {
    return reinterpret_cast<SpeakerProperties*>(arrangement + 1);
}

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    void resume() override;

    virtual bool canBeAutomated(int32_t /*index*/) { return true; }
    virtual bool stringToParameter(int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool getParameterProperties(int32_t /*index*/, ParameterProperties* /*p*/) { return false; }
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual int32_t beginLoadBank(void* /*chunkInfo*/) { return 0; }
    virtual int32_t beginLoadProgram(void* /*chunkInfo*/) { return 0; }
    virtual bool ioChanged();
    virtual float updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();
    virtual bool getInputProperties(int32_t /*index*/, PinProperties* /*p*/) { return false; }
    virtual bool getOutputProperties(int32_t /*index*/, PinProperties* /*p*/) { return false; }
    virtual bool setSpeakerArrangement(SpeakerArrangement* /*input*/, SpeakerArrangement* /*output*/) { return false; }
    virtual bool getSpeakerArrangement(SpeakerArrangement** input, SpeakerArrangement** output);
    virtual bool setBypass(bool /*on*/) { return false; }
    virtual bool setPanLaw(int32_t /*type*/, float /*gain*/) { return false; }
    virtual bool setProcessPrecision(int32_t /*precision*/) { return false; }
    virtual int32_t getNumMidiInputChannels() { return 0; }
    virtual int32_t getNumMidiOutputChannels() { return 0; }
    virtual TimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();
    virtual int32_t processEvents(HostEvents* /*events*/) { return 0; }
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    virtual bool processVariableIo(VariableIo* /*io*/) { return false; }
    virtual intptr_t setTotalSampleToProcess(intptr_t value) { return value; }
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual intptr_t hostVendorSpecific(int32_t a, intptr_t b, void* p, float f);
    virtual int32_t canHostDo(char* text);
    virtual int32_t getHostLanguage();
    virtual void setIsSynth(bool on) { setFlag(effFlagsIsSynth, on); }
    virtual void setNoSoundInStop(bool on) { setFlag(effFlagsNoSoundInStop, on); }
    virtual int32_t getTailSize() { return 0; }
    virtual void* getHostDirectory();
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t vendorSpecific(int32_t /*a*/, intptr_t /*b*/, void* /*p*/, float /*f*/) { return 0; }
    virtual int32_t canDo(char* /*text*/) { return 0; }
    virtual int32_t getVstVersion() { return kVstVersion; }
    virtual int32_t getPlugCategory();
    virtual int32_t getMidiProgramName(int32_t /*channel*/, MidiProgramName* /*name*/) { return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/, MidiProgramName* /*current*/) { return -1; }
    virtual int32_t getMidiProgramCategory(int32_t /*channel*/, MidiProgramCategory* /*c*/) { return 0; }
    virtual bool hasMidiProgramsChanged(int32_t /*channel*/) { return false; }
    virtual bool getMidiKeyName(int32_t /*channel*/, MidiKeyName* /*keyName*/) { return false; }
    virtual bool updateDisplay();
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual bool openFileSelector(FileSelect* select);
    virtual bool closeFileSelector(FileSelect* select);
    virtual int32_t getNextShellPlugin(char* /*name*/) { return 0; }
    virtual bool allocateArrangement(SpeakerArrangement** arrangement, int32_t numChannels);
    virtual bool deallocateArrangement(SpeakerArrangement** arrangement);
    virtual bool copySpeaker(SpeakerProperties* to, SpeakerProperties* from);
    virtual bool matchArrangement(SpeakerArrangement** to, SpeakerArrangement* from);
    virtual bool offlineRead(OfflineTask* task, int32_t option, bool readSource);
    virtual bool offlineWrite(OfflineTask* task, int32_t option);
    virtual bool offlineStart(AudioFileRecord* files, int32_t numAudioFiles, int32_t numNewAudioFiles);
    virtual int32_t offlineGetCurrentPass();
    virtual int32_t offlineGetCurrentMetaPass();
    virtual bool offlineNotify(AudioFileRecord* /*files*/, int32_t /*numAudioFiles*/, bool /*start*/) { return false; }
    virtual bool offlinePrepare(OfflineTask* /*tasks*/, int32_t /*count*/) { return false; }
    virtual bool offlineRun(OfflineTask* /*tasks*/, int32_t /*count*/) { return false; }
    virtual int32_t offlineGetNumPasses() { return 0; }
    virtual int32_t offlineGetNumMetaPasses() { return 0; }
    virtual void wantEvents(int32_t filter);
    virtual intptr_t tempoAt(intptr_t position);
    virtual int32_t getNumAutomatableParameters();
    virtual int32_t getParameterQuantization();
    virtual int32_t getNumCategories() { return 1; }
    virtual bool copyProgram(int32_t /*destination*/) { return false; }
    virtual bool needIdle();
    virtual AEffect* getPreviousPlug(int32_t input);
    virtual AEffect* getNextPlug(int32_t output);
    virtual void inputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual void outputConnected(int32_t /*index*/, bool /*state*/) {}
    virtual int32_t willProcessReplacing();
    virtual void setExtIsAsync(bool on) { setFlag(effFlagsExtIsAsync, on); }
    virtual void setExtHasBuffer(bool on) { setFlag(effFlagsExtHasBuffer, on); }
    virtual int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual void setOutputSampleRate(float rate);
    virtual SpeakerArrangement* getInputSpeakerArrangement();
    virtual SpeakerArrangement* getOutputSpeakerArrangement();
    virtual void* openWindow(HostWindow* window);
    virtual bool closeWindow(HostWindow* window);
    virtual void setBlockSizeAndSampleRate(int32_t size, float rate) {
        sampleRate = rate;
        blockSize = size;
    }
    virtual bool getErrorText(char* /*text*/) { return false; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(int32_t /*x*/, int32_t /*y*/) { return false; }
    virtual int32_t fxIdle() { return 0; }
    virtual bool keysRequired() { return false; }
    virtual bool getChunkFile(void* nativePath);
};
