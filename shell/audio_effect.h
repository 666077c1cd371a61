// The base effect object: embeds the record that the host reads, turns the
// host's first twenty-five opcodes into virtual operations with defaults, and
// wraps the first host-callback services. Derived effects override only what
// differs; the order of the virtual operations below is part of the class.
#pragma once

#include <cstdint>

#include "shell/vst_interface.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback hostCallback, int32_t programCount, int32_t parameterCount);
    AudioEffect(const AudioEffect&) = delete;             // the record points back at its object
    AudioEffect& operator=(const AudioEffect&) = delete;  // and the host holds that record

    virtual ~AudioEffect();
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t size) { blockSize = size; }
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) = 0;
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, int32_t /*sampleFrames*/) {}
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    virtual void setParameterAutomated(int32_t index, float value);
    virtual int32_t getProgram() { return currentProgram; }
    virtual void setProgram(int32_t program) { currentProgram = program; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }
    virtual void setUniqueID(int32_t id) { effectRecord.uniqueID = id; }
    virtual void setNumInputs(int32_t count) { effectRecord.numInputs = count; }
    virtual void setNumOutputs(int32_t count) { effectRecord.numOutputs = count; }
    virtual void setCanReplacing(bool on) { setFlag(effFlagsCanReplacing, on); }
    virtual void setCanDoubleReplacing(bool on) { setFlag(effFlagsCanDoubleReplacing, on); }
    virtual void setProgramChunks(bool on) { setFlag(effFlagsProgramChunks, on); }
    virtual void setInitialDelay(int32_t delay) { effectRecord.initialDelay = delay; }
    virtual AEffEditor* getEditor() { return editor; }
    virtual AEffect* getEffectRecord() { return &effectRecord; }
    virtual float getSampleRate() { return sampleRate; }
    virtual int32_t getBlockSize() { return blockSize; }
    virtual int32_t getHostVersion();
    virtual int32_t getCurrentUniqueID();
    virtual void hostIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);
    virtual void gainToDecibelText(float value, char* text, int32_t maxLen);
    virtual void samplesToHertzText(float samples, char* text, int32_t maxLen);
    virtual void samplesToMillisecondsText(float samples, char* text, int32_t maxLen);
    virtual void floatToText(float value, char* text, int32_t maxLen);
    virtual void integerToText(int32_t value, char* text, int32_t maxLen);
    // Kept for effects of the first interface generation; no opcode reaches them.
    virtual void process(float** /*inputs*/, float** /*outputs*/, int32_t /*sampleFrames*/) {}
    virtual float getVuLevel() { return 0.0f; }
    virtual void setHasVu(bool on) { setFlag(effFlagsHasVu, on); }
    virtual void setHasClip(bool on) { setFlag(effFlagsHasClip, on); }
    virtual void setCanMono(bool on) { setFlag(effFlagsCanMono, on); }
    virtual void setRealQualities(int32_t quality) { effectRecord.realQualities = quality; }
    virtual void setOffQualities(int32_t quality) { effectRecord.offQualities = quality; }

    // The editor's constructor registers itself here; the effect owns it.
    void attachEditor(AEffEditor* newEditor) { editor = newEditor; }
    AEffect& record() { return effectRecord; }

protected:
    // Calls the host with this instance's record; 0 without a callback.
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setFlag(int32_t flag, bool on);

    audioMasterCallback hostCallback;
    AEffEditor* editor = nullptr;
    float sampleRate = 44100.0f;
    int32_t blockSize = 1024;
    int32_t programCount;
    int32_t parameterCount;
    int32_t currentProgram = 0;
    AEffect effectRecord;
};
