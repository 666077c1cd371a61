// Host services, editor forwarding and the arrangement helpers of the effect classes, driven directly.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/aeff_editor.h"
#include "effect/vazoz_evi.h"
#include "tests/support/plugin_host.h"

using testhost::RecordingHost;

namespace {

// An editor that remembers what the dispatcher handed it.
class RecordingEditor : public AEffEditor {
public:
    RecordingEditor(AudioEffect* owner, bool* deleted) : AEffEditor(owner), deletedFlag(deleted) {}
    ~RecordingEditor() override { *deletedFlag = true; }
    bool onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return answer;
    }
    bool onKeyUp(VstKeyCode& key) override {
        lastKey = key;
        return answer;
    }
    bool setKnobMode(int32_t mode) override {
        knobMode = mode;
        return true;
    }
    VstKeyCode lastKey{-1, 0xFF, 0xFF};
    int32_t knobMode = -1;
    bool answer = true;

private:
    bool* deletedFlag;
};

class Services : public ::testing::Test {
protected:
    RecordingHost host;
    bool editorDeleted = false;  // outlives the effect, which deletes its editor
    VazozEvi effect{&RecordingHost::callback};
};

}  // namespace

TEST_F(Services, HostVersionZeroReadsAsOne) {
    host.answer(audioMasterVersion, 0);
    EXPECT_EQ(effect.getHostVersion(), 1);
    host.answer(audioMasterVersion, 2400);
    EXPECT_EQ(effect.getHostVersion(), 2400);
    VazozEvi orphan(nullptr);
    EXPECT_EQ(orphan.getHostVersion(), 1) << "Without a callback the host version reads as 1.";
}

TEST_F(Services, AnswersAreConvertedAsTheServiceSays) {
    host.answer(audioMasterCanDo, -1);
    char sizeWindow[] = "sizeWindow";
    EXPECT_EQ(effect.canHostDo(sizeWindow), 1) << "Any non-zero canDo answer means yes.";
    ASSERT_EQ(host.callsOf(audioMasterCanDo).size(), 1u);
    EXPECT_EQ(host.callsOf(audioMasterCanDo)[0].text, "sizeWindow");

    host.answer(audioMasterPinConnected, 0);
    EXPECT_TRUE(effect.isInputConnected(0)) << "Pin answer 0 means connected.";
    host.answer(audioMasterPinConnected, 1);
    EXPECT_FALSE(effect.isOutputConnected(0));
    EXPECT_EQ(host.callsOf(audioMasterPinConnected).back().value, 1) << "Output pins are asked with value 1.";

    host.answer(audioMasterGetSampleRate, 96000);
    EXPECT_EQ(effect.updateSampleRate(), 96000.0f);
    host.answer(audioMasterGetSampleRate, 0);
    EXPECT_EQ(effect.updateSampleRate(), 96000.0f) << "A host answer of 0 keeps the stored rate.";
    host.answer(audioMasterGetBlockSize, -5);
    EXPECT_EQ(effect.updateBlockSize(), 1024) << "A negative block size keeps the stored one.";

    host.answer(audioMasterBeginEdit, 1);
    EXPECT_TRUE(effect.beginEdit(3));
    EXPECT_EQ(host.callsOf(audioMasterBeginEdit).back().index, 3);
    EXPECT_FALSE(effect.endEdit(3));
    EXPECT_FALSE(effect.openFileSelector(nullptr));
    EXPECT_TRUE(host.callsOf(audioMasterOpenFileSelector).empty()) << "A null selector is not sent to the host.";
}

TEST_F(Services, ServicesWithoutCallbackReturnDefaults) {
    VazozEvi orphan(nullptr);
    char text[65] = "unchanged";
    EXPECT_EQ(orphan.getCurrentUniqueID(), 0);
    EXPECT_TRUE(orphan.isInputConnected(0));
    EXPECT_FALSE(orphan.getHostVendorString(text));
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(orphan.canHostDo(text), 0);
    EXPECT_EQ(orphan.updateSampleRate(), 44100.0f);
    orphan.setParameterAutomated(4, 0.25f);
    EXPECT_FLOAT_EQ(orphan.getParameter(4), 0.25f) << "Automation without a host still sets the parameter.";
}

TEST_F(Services, AutomationSetsThenTellsTheHost) {
    effect.setParameterAutomated(5, 0.75f);
    EXPECT_FLOAT_EQ(effect.getParameter(5), 0.75f);
    const auto calls = host.callsOf(audioMasterAutomate);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].index, 5);
    EXPECT_EQ(calls[0].opt, 0.75f);
    EXPECT_EQ(calls[0].effect, effect.getEffectRecord()) << "Services pass the instance's own record.";
}

TEST_F(Services, SynthFlagChangesCategoryAndResume) {
    effect.setIsSynth(true);
    EXPECT_EQ(effect.dispatcher(effGetPlugCategory, 0, 0, nullptr, 0), kPlugCategSynth);
    host.clear();
    effect.AudioEffectX::resume();
    const auto calls = host.callsOf(audioMasterWantMidi);
    ASSERT_EQ(calls.size(), 1u) << "A synthesizer's resume asks the host for events.";
    EXPECT_EQ(calls[0].value, 1);
}

TEST_F(Services, SampleRateAndBlockSizeReachTheEffect) {
    effect.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect.dispatcher(effSetBlockSize, 0, 256, nullptr, 0);
    EXPECT_EQ(effect.getSampleRate(), 48000.0f);
    EXPECT_EQ(effect.getBlockSize(), 256);
}

TEST_F(Services, KeyAndKnobOpcodesReachTheEditor) {
    auto* editor = new RecordingEditor(&effect, &editorDeleted);
    effect.attachEditor(editor);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 65, 0, nullptr, 3.9f), 1);
    EXPECT_EQ(editor->lastKey.character, 65);
    EXPECT_EQ(editor->lastKey.virt, 0);
    EXPECT_EQ(editor->lastKey.modifier, 3) << "The modifier is opt cut toward zero.";
    editor->answer = false;
    EXPECT_EQ(effect.dispatcher(effEditKeyUp, 66, 0x1FF, nullptr, 0.0f), 0);
    EXPECT_EQ(editor->lastKey.virt, 0xFF) << "virt is the low byte of value.";
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 1, 0, nullptr, 1e30f), 0);
    EXPECT_EQ(editor->lastKey.modifier, 0) << "A modifier no integer can hold reads as none.";
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 7, 2, nullptr, 0), 1);
    EXPECT_EQ(editor->knobMode, 2) << "The knob mode comes from value, not index.";

    ERect* rect = reinterpret_cast<ERect*>(0x1);
    EXPECT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 0);
    EXPECT_EQ(rect, nullptr) << "A bare editor reports no rectangle.";
    EXPECT_EQ(effect.dispatcher(effEditOpen, 0, 0, reinterpret_cast<void*>(0x99), 0), 0);
    EXPECT_TRUE(editor->isOpen());
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0);
    EXPECT_FALSE(editor->isOpen());
}

TEST(EffectLifetime, EffectDeletesItsEditor) {
    bool deleted = false;
    auto* effect = new VazozEvi(nullptr);
    effect->attachEditor(new RecordingEditor(effect, &deleted));
    AEffect* record = effect->getEffectRecord();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0), 1);
    EXPECT_TRUE(deleted) << "Closing the effect must delete its editor.";
}

TEST(SpeakerArrangements, AllocateMatchAndCopy) {
    VazozEvi effect(nullptr);
    SpeakerArrangement* source = nullptr;
    ASSERT_TRUE(effect.allocateArrangement(&source, 2));
    EXPECT_EQ(source->numChannels, 2);
    source->type = 7;
    SpeakerProperties* speakers = speakersOf(source);
    std::memset(speakers[1].name, 'n', sizeof speakers[1].name);  // no terminator at all
    speakers[1].azimuth = 0.5f;
    speakers[1].type = 3;

    SpeakerArrangement* copy = nullptr;
    ASSERT_TRUE(effect.matchArrangement(&copy, source));
    EXPECT_EQ(copy->type, 7);
    EXPECT_EQ(copy->numChannels, 2);
    EXPECT_EQ(speakersOf(copy)[1].azimuth, 0.5f);
    EXPECT_EQ(speakersOf(copy)[1].type, 3);
    EXPECT_EQ(std::strlen(speakersOf(copy)[1].name), 63u) << "A copied name is cut to 63 characters.";

    EXPECT_FALSE(effect.matchArrangement(&copy, nullptr));
    EXPECT_FALSE(effect.copySpeaker(nullptr, speakers));
    EXPECT_TRUE(effect.deallocateArrangement(&copy));
    EXPECT_EQ(copy, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&copy)) << "Deallocating nothing still answers true.";
    effect.deallocateArrangement(&source);
}
