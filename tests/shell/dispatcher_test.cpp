// Every opcode of the two dispatcher tables, answered through the record as a host calls it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/audio_effect_x.h"
#include "tests/support/plugin_host.h"

using testhost::Instance;
using testhost::RecordingHost;

namespace {

struct OpcodeCase {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    intptr_t expected;
};

class Dispatcher : public ::testing::Test {
protected:
    RecordingHost host;
    Instance instance{host};
    void SetUp() override { host.clear(); }  // forget the entry's version question
};

}  // namespace

// Opcodes that take no buffer and answer a fixed value here, each with arguments
// a careless implementation would trip over. None may call the host.
TEST_F(Dispatcher, FixedAnswers) {
    const OpcodeCase cases[] = {
        {effOpen, 0, 0, 0, 0},
        {effGetVu, 0, 0, 0, 0},
        {effSetBlockSize, 0, 256, 0, 0},
        {effSetSampleRate, 0, 0, 48000.0f, 0},
        {effEditClose, 0, 0, 0, 0},
        {effEditDraw, 0, 0, 0, 0},
        {effEditMouse, 5, 7, 0, 0},
        {effEditKey, 65, 0, 0, 0},
        {effEditIdle, 0, 0, 0, 0},
        {effEditTop, 0, 0, 0, 0},
        {effEditSleep, 0, 0, 0, 0},
        {effIdentify, 0, 0, 0, 0x4E764566},
        {effProcessEvents, 0, 0, 0, 0},
        {effCanBeAutomated, 0, 0, 0, 1},
        {effCanBeAutomated, 99, 0, 0, 1},
        {effCanBeAutomated, -3, 0, 0, 1},
        {effGetNumProgramCategories, 0, 0, 0, 0},
        {effCopyProgram, 0, 0, 0, 0},
        {effConnectInput, 0, 1, 0, 0},
        {effConnectOutput, 0, 1, 0, 0},
        {effGetPlugCategory, 0, 0, 0, 0},
        {effGetCurrentPosition, 0, 0, 0, 0},
        {effGetDestinationBuffer, 0, 0, 0, 0},
        {effOfflineNotify, 1, 2, 0, 0},
        {effOfflinePrepare, 0, 2, 0, 0},
        {effOfflineRun, 0, 2, 0, 0},
        {effProcessVarIo, 0, 0, 0, 0},
        {effSetSpeakerArrangement, 0, 0, 0, 0},
        {effSetBlockSizeAndSampleRate, 0, 512, 48000.0f, 0},
        {effSetBypass, 0, 1, 0, 0},
        {effGetErrorText, 0, 0, 0, 0},
        {effGetVendorVersion, 0, 0, 0, 1000},
        {effVendorSpecific, 1, 2, 3.0f, 0},
        {effGetTailSize, 0, 0, 0, 0},
        {effIdle, 0, 0, 0, 0},
        {effGetIcon, 0, 0, 0, 0},
        {effSetViewPosition, 10, 20, 0, 0},
        {effGetParameterProperties, 0, 0, 0, 0},
        {effKeysRequired, 0, 0, 0, 0},
        {effGetVstVersion, 0, 0, 0, 2400},
        {effEditKeyDown, 65, 0, 3.9f, 0},  // no editor yet
        {effEditKeyUp, 65, 0, 0, 0},
        {effSetEditKnobMode, 0, 2, 0, 0},
        {effGetMidiProgramName, 0, 0, 0, 0},
        {effGetCurrentMidiProgram, 0, 0, 0, -1},
        {effGetMidiProgramCategory, 0, 0, 0, 0},
        {effHasMidiProgramsChanged, 0, 0, 0, 0},
        {effGetMidiKeyName, 0, 0, 0, 0},
        {effBeginSetProgram, 0, 0, 0, 0},
        {effEndSetProgram, 0, 0, 0, 0},
        {effShellGetNextPlugin, 0, 0, 0, 0},
        {effStartProcess, 0, 0, 0, 0},
        {effStopProcess, 0, 0, 0, 0},
        {effSetTotalSampleToProcess, 0, 12345, 0, 12345},
        {effSetTotalSampleToProcess, 0, -7, 0, -7},
        {effSetPanLaw, 0, 1, 0.7f, 0},
        {effBeginLoadBank, 0, 0, 0, 0},
        {effBeginLoadProgram, 0, 0, 0, 0},
        {effSetProcessPrecision, 0, 1, 0, 0},
        {effGetNumMidiInputChannels, 0, 0, 0, 0},
        {effGetNumMidiOutputChannels, 0, 0, 0, 0},
        {80, 0, 0, 0, 0},
        {81, 1, 1, 1.0f, 0},
        {1000, 0, 0, 0, 0},
        {-1, 0, 0, 0, 0},
    };
    for (const OpcodeCase& c : cases) {
        EXPECT_EQ(instance.dispatch(c.opcode, c.index, c.value, nullptr, c.opt), c.expected)
            << "Opcode " << c.opcode << " with index " << c.index << " and value " << c.value
            << " answered wrongly.";
    }
    EXPECT_TRUE(host.calls().empty()) << "None of these opcodes may call the host.";
}

TEST_F(Dispatcher, CanDoAnswersZeroForEveryText) {
    for (const char* text : {"receiveVstMidiEvent", "sizeWindow", "bypass", "", "plugAsChannelInsert"}) {
        char buffer[64];
        std::strcpy(buffer, text);
        EXPECT_EQ(instance.dispatch(effCanDo, 0, 0, buffer), 0) << "canDo(\"" << text << "\") must answer 0.";
    }
}

TEST_F(Dispatcher, ProgramSelectionIsBoundedByTheProgramCount) {
    EXPECT_EQ(instance.dispatch(effGetProgram), 0);
    instance.dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(instance.dispatch(effGetProgram), 0);
    instance.dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(instance.dispatch(effGetProgram), 0) << "Program 1 does not exist and must be ignored.";
    instance.dispatch(effSetProgram, 0, -2);
    EXPECT_EQ(instance.dispatch(effGetProgram), -2) << "A negative program passes the one-sided bound.";
}

TEST_F(Dispatcher, MainsChangedNeitherWaySpeaksToTheHost) {
    instance.dispatch(effMainsChanged, 0, 1);
    instance.dispatch(effMainsChanged, 0, 0);
    instance.dispatch(effMainsChanged, 0, 1);
    EXPECT_TRUE(host.calls().empty()) << "resume of an effect without MIDI must not ask the host for events.";
}

TEST_F(Dispatcher, SpeakerArrangementQueryNullsBothPointers) {
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ(instance.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, EditorOpcodesWithoutEditorAnswerZero) {
    ERect* rect = reinterpret_cast<ERect*>(0x1);
    EXPECT_EQ(instance.dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(rect, reinterpret_cast<ERect*>(0x1)) << "Without an editor nothing is stored.";
    EXPECT_EQ(instance.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 0);
    EXPECT_EQ(instance.dispatch(effEditGetRect, 0, 0, nullptr), 0) << "A null rectangle pointer is refused.";
}

TEST_F(Dispatcher, TextOpcodesIgnoreANullBuffer) {
    for (int32_t opcode : {effGetProgramName, effSetProgramName, effGetParamLabel, effGetParamDisplay,
                           effGetParamName, effGetEffectName, effGetVendorString, effGetProductString,
                           effCanDo, effString2Parameter, effGetProgramNameIndexed, effShellGetNextPlugin}) {
        instance.dispatch(opcode, 0, 0, nullptr);
    }
    void** nowhere = nullptr;
    EXPECT_EQ(instance.dispatch(effGetChunk, 0, 0, nowhere), 0) << "A chunk request with no pointer answers 0.";
    EXPECT_EQ(instance.dispatch(effSetChunk, 0, 88, nullptr), 0) << "A chunk of no data is refused.";
}

TEST_F(Dispatcher, IdentityTexts) {
    EXPECT_EQ(instance.text(effGetEffectName), "Lumivox");
    EXPECT_EQ(instance.text(effGetVendorString), "Ombrevale");
    EXPECT_EQ(instance.text(effGetProductString), "Vorrel");
    EXPECT_EQ(instance.text(effGetProgramName), "Default");
    char buffer[65] = {};
    EXPECT_EQ(instance.dispatch(effGetEffectName, 0, 0, buffer), 1) << "getEffectName answers true.";
    EXPECT_EQ(instance.dispatch(effGetVendorString, 0, 0, buffer), 1);
    EXPECT_EQ(instance.dispatch(effGetProductString, 0, 0, buffer), 1);
}
