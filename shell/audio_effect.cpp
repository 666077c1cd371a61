#include "shell/audio_effect.h"

#include <cmath>
#include <cstring>

#include "editor/aeff_editor.h"
#include "shell/text_copy.h"

namespace {

// The six plain functions whose addresses the record carries. Each takes the
// effect object from the record and forwards its arguments unchanged.
AudioEffect* objectOf(AEffect* record) { return static_cast<AudioEffect*>(record->object); }

intptr_t dispatchEntry(AEffect* record, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                       float opt) {
    AudioEffect* effect = objectOf(record);
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

void processEntry(AEffect* record, float** inputs, float** outputs, int32_t sampleFrames) {
    objectOf(record)->process(inputs, outputs, sampleFrames);
}

void processReplacingEntry(AEffect* record, float** inputs, float** outputs, int32_t sampleFrames) {
    objectOf(record)->processReplacing(inputs, outputs, sampleFrames);
}

void processDoubleReplacingEntry(AEffect* record, double** inputs, double** outputs,
                                 int32_t sampleFrames) {
    objectOf(record)->processDoubleReplacing(inputs, outputs, sampleFrames);
}

void setParameterEntry(AEffect* record, int32_t index, float value) {
    objectOf(record)->setParameter(index, value);
}

float getParameterEntry(AEffect* record, int32_t index) {
    return objectOf(record)->getParameter(index);
}

// Writes text into a helper's field: at most maxLen characters, the rest zero,
// and always a zero at position maxLen. A negative length writes nothing.
void writeField(const char* source, char* text, int32_t maxLen) {
    if (maxLen >= 0) {
        copyText(text, source, static_cast<std::size_t>(maxLen));
    }
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback callback, int32_t programs, int32_t parameters)
    : hostCallback(callback), programCount(programs), parameterCount(parameters) {
    std::memset(&effectRecord, 0, sizeof effectRecord);
    effectRecord.magic = kEffectMagic;
    effectRecord.dispatcher = dispatchEntry;
    effectRecord.process = processEntry;
    effectRecord.setParameter = setParameterEntry;
    effectRecord.getParameter = getParameterEntry;
    effectRecord.numPrograms = programs;
    effectRecord.numParams = parameters;
    effectRecord.numInputs = 1;
    effectRecord.numOutputs = 2;
    effectRecord.flags |= effFlagsCanReplacing;
    effectRecord.ioRatio = 1.0f;
    effectRecord.object = this;
    effectRecord.uniqueID = fourCharacters('N', 'o', 'E', 'f');
    effectRecord.version = 1;
    effectRecord.processReplacing = processReplacingEntry;
    effectRecord.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    switch (opcode) {
        case effOpen: open(); return 0;
        case effClose: close(); return 0;
        case effSetProgram:
            if (value < programCount) {
                setProgram(static_cast<int32_t>(value));
            }
            return 0;
        case effGetProgram: return getProgram();
        case effSetProgramName: setProgramName(static_cast<char*>(ptr)); return 0;
        case effGetProgramName: getProgramName(static_cast<char*>(ptr)); return 0;
        case effGetParamLabel: getParameterLabel(index, static_cast<char*>(ptr)); return 0;
        case effGetParamDisplay: getParameterDisplay(index, static_cast<char*>(ptr)); return 0;
        case effGetParamName: getParameterName(index, static_cast<char*>(ptr)); return 0;
        case effSetSampleRate: setSampleRate(opt); return 0;
        case effSetBlockSize: setBlockSize(static_cast<int32_t>(value)); return 0;
        case effMainsChanged:
            if (value == 0) {
                suspend();
            } else {
                resume();
            }
            return 0;
        case effEditGetRect:
            // The rectangle's address goes back through ptr; without somewhere to
            // put it there is no answer to give.
            if (editor == nullptr || ptr == nullptr) {
                return 0;
            }
            return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        case effEditOpen: return editor != nullptr && editor->open(ptr) ? 1 : 0;
        case effEditClose:
            if (editor != nullptr) {
                editor->close();
            }
            return 0;
        case effEditIdle:
            if (editor != nullptr) {
                editor->idle();
            }
            return 0;
        case effIdentify: return fourCharacters('N', 'v', 'E', 'f');
        case effGetChunk: return getChunk(static_cast<void**>(ptr), index != 0);
        case effSetChunk:
            // A chunk size that does not fit the operation's 32-bit size cannot be
            // a chunk of ours; refuse it rather than cut it.
            if (value < 0 || value > INT32_MAX) {
                return 0;
            }
            return setChunk(ptr, static_cast<int32_t>(value), index != 0);
        default: return 0;
    }
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name) {
    if (name != nullptr) {
        name[0] = '\0';
    }
}

void AudioEffect::getParameterLabel(int32_t /*index*/, char* label) {
    if (label != nullptr) {
        label[0] = '\0';
    }
}

void AudioEffect::getParameterDisplay(int32_t /*index*/, char* text) {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

void AudioEffect::getParameterName(int32_t /*index*/, char* text) {
    if (text != nullptr) {
        text[0] = '\0';
    }
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (hostCallback == nullptr) {
        return 0;
    }
    return hostCallback(&effectRecord, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(int32_t flag, bool on) {
    if (on) {
        effectRecord.flags |= flag;
    } else {
        effectRecord.flags &= ~flag;
    }
}

int32_t AudioEffect::getHostVersion() {
    const auto answer = static_cast<int32_t>(callHost(audioMasterVersion));
    return answer == 0 ? 1 : answer;
}

int32_t AudioEffect::getCurrentUniqueID() { return static_cast<int32_t>(callHost(audioMasterCurrentId)); }

void AudioEffect::hostIdle() { callHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(int32_t input) {
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

// --- Value-to-text helpers ---------------------------------------------------

void AudioEffect::gainToDecibelText(float value, char* text, int32_t maxLen) {
    if (!(value > 0.0f)) {
        writeField(value <= 0.0f ? "-oo" : "NaN", text, maxLen);
        return;
    }
    const auto logarithm = static_cast<float>(std::log10(value));
    floatToText(static_cast<float>(20.0 * logarithm), text, maxLen);
}

void AudioEffect::samplesToHertzText(float samples, char* text, int32_t maxLen) {
    const double hertz = samples == 0.0f ? 0.0 : getSampleRate() / static_cast<double>(samples);
    floatToText(static_cast<float>(hertz), text, maxLen);
}

void AudioEffect::samplesToMillisecondsText(float samples, char* text, int32_t maxLen) {
    floatToText(static_cast<float>(samples * 1000.0 / getSampleRate()), text, maxLen);
}

// Fixed-point text in an 8-character field: sign, integer digits, a point and
// as many fraction digits as fit. Digits are cut, never rounded.
void AudioEffect::floatToText(float value, char* text, int32_t maxLen) {
    double v = value;
    if (std::isnan(v)) {
        writeField("NaN", text, maxLen);
        return;
    }
    const bool negative = v < 0.0;
    if (negative) {
        v = -v;
    }
    // The field holds the sign, the integer digits and the point in 8
    // characters; an integer part that needs more cannot be shown whole, so it
    // reads as an overflow rather than lose its leading digits.
    if ((negative && v >= 1000000.0) || (!negative && v >= 10000000.0)) {
        writeField("Huge!", text, maxLen);
        return;
    }

    char integerDigits[8];
    int integerCount = 0;
    int used = (negative ? 1 : 0) + 1;
    double integerPart = std::floor(v);
    do {
        integerDigits[integerCount++] = static_cast<char>('0' + static_cast<int>(std::fmod(integerPart, 10.0)));
        integerPart /= 10.0;
        ++used;
    } while (integerPart >= 1.0 && used < 8);

    char field[9];
    int length = 0;
    if (negative) {
        field[length++] = '-';
    }
    while (integerCount > 0) {
        field[length++] = integerDigits[--integerCount];
    }
    field[length++] = '.';

    if (used < 8) {
        const int fractionCount = 8 - used;
        double mantissa = std::fmod(v, 1.0) * std::pow(10.0, fractionCount);
        for (int i = fractionCount - 1; i >= 0; --i) {
            if (mantissa <= 0.0) {
                field[length + i] = '0';
            } else {
                field[length + i] = static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
                mantissa /= 10.0;
            }
        }
        length += fractionCount;
    }
    field[length] = '\0';
    writeField(field, text, maxLen);
}

void AudioEffect::integerToText(int32_t value, char* text, int32_t maxLen) {
    // The decimal field shows up to nine digits and a sign; beyond that it reads
    // as an overflow on both sides.
    if (value >= 100000000 || value <= -1000000000) {
        writeField("Huge!", text, maxLen);
        return;
    }
    char field[12];
    int length = 0;
    int64_t rest = value;
    if (rest < 0) {
        field[length++] = '-';
        rest = -rest;
    }
    bool leading = true;
    for (int64_t divisor = 100000000; divisor >= 1; divisor /= 10) {
        const int64_t digit = rest / divisor;
        rest %= divisor;
        if (digit == 0 && leading && divisor > 1) {
            continue;
        }
        leading = false;
        field[length++] = static_cast<char>('0' + digit);
    }
    field[length] = '\0';
    writeField(field, text, maxLen);
}
