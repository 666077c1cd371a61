// The exported entry, the export table and the record a host reads right after the entry.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tests/support/plugin_host.h"

using testhost::Instance;
using testhost::PluginLibrary;
using testhost::RecordingHost;

TEST(Entry, BothExportsNameTheSameFunction) {
    void* entry = PluginLibrary::get().symbol("VSTPluginMain");
    void* legacy = PluginLibrary::get().symbol("main");
    ASSERT_NE(entry, nullptr) << "The plug-in must export VSTPluginMain.";
    EXPECT_EQ(entry, legacy) << "The export named main must be the same function as VSTPluginMain.";
}

TEST(Entry, ExportTableListsExactlyTheEntry) {
    const std::string command = std::string("nm -D --defined-only '") + CORVANE_PLUGIN_PATH + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        listing += line;
    }
    ASSERT_EQ(pclose(pipe), 0) << "nm could not read the plug-in.";
    // Each line is "address type name"; keep the names.
    std::string names;
    for (size_t start = 0; start < listing.size();) {
        size_t end = listing.find('\n', start);
        std::string entry = listing.substr(start, end - start);
        names += entry.substr(entry.rfind(' ') + 1) + ";";
        start = end + 1;
    }
    EXPECT_EQ(names, "VSTPluginMain;main;") << "The plug-in exports something besides its entry:\n" << listing;
}

TEST(Entry, HostVersionZeroGetsNoInstance) {
    RecordingHost host;
    host.answer(audioMasterVersion, 0);
    AEffect* record = PluginLibrary::get().entry(&RecordingHost::callback);
    EXPECT_EQ(record, nullptr) << "A host that answers version 0 must get no instance.";
    const auto calls = host.calls();
    ASSERT_EQ(calls.size(), 1u) << "The entry asks the version and nothing else.";
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr) << "The version is asked before any instance exists.";
}

TEST(Entry, NullCallbackGetsNoInstance) {
    EXPECT_EQ(PluginLibrary::get().entry(nullptr), nullptr) << "An entry call without a callback must not crash.";
}

TEST(Entry, EachCallGivesAnIndependentRecord) {
    RecordingHost host;
    Instance first(host);
    Instance second(host);
    EXPECT_NE(first.record(), second.record());
    EXPECT_NE(first.record()->object, second.record()->object);
    first.setParameter(0, 1.0f);
    EXPECT_FLOAT_EQ(second.getParameter(0), 0.5f) << "A parameter of one instance must not change another.";
}

TEST(Entry, FreshRecordReadsAsAHostExpects) {
    RecordingHost host;
    Instance instance(host);
    const AEffect& r = *instance.record();
    EXPECT_EQ(r.magic, 0x56737450);
    EXPECT_EQ(r.numPrograms, 1);
    EXPECT_EQ(r.numParams, 13);
    EXPECT_EQ(r.numInputs, 1);
    EXPECT_EQ(r.numOutputs, 1);
    EXPECT_EQ(r.flags & ~effFlagsHasEditor, effFlagsCanReplacing | effFlagsProgramChunks)
        << "The record offers replacing processing and a program chunk.";
    EXPECT_EQ(r.initialDelay, 2048) << "The record reports the engine's latency.";
    EXPECT_EQ(r.realQualities, 0);
    EXPECT_EQ(r.offQualities, 0);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.uniqueID, 0x50467556);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);
    EXPECT_EQ(r.user, nullptr);
    for (char byte : r.future) {
        ASSERT_EQ(byte, 0) << "The record's reserved tail must be zero.";
    }
    EXPECT_NE(r.dispatcher, nullptr);
    EXPECT_NE(r.process, nullptr);
    EXPECT_NE(r.setParameter, nullptr);
    EXPECT_NE(r.getParameter, nullptr);
    EXPECT_NE(r.processReplacing, nullptr);
    EXPECT_NE(r.processDoubleReplacing, nullptr);
    EXPECT_EQ(r.flags & effFlagsCanDoubleReplacing, 0);
}

TEST(Entry, AccumulatingAndDoubleEntriesLeaveOutputsUntouched) {
    RecordingHost host;
    Instance instance(host);
    AEffect* r = instance.record();
    float in[64], out[64];
    double inD[64], outD[64];
    for (int i = 0; i < 64; ++i) {
        in[i] = 0.5f;
        out[i] = 7.0f;
        inD[i] = 0.5;
        outD[i] = 7.0;
    }
    float* inputs[1] = {in};
    float* outputs[1] = {out};
    double* inputsD[1] = {inD};
    double* outputsD[1] = {outD};
    r->process(r, inputs, outputs, 64);
    r->processDoubleReplacing(r, inputsD, outputsD, 64);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(out[i], 7.0f) << "The accumulating entry must not write the output.";
        ASSERT_EQ(outD[i], 7.0) << "The double-precision entry must not write the output.";
    }
}

TEST(Entry, CloseAnswersOne) {
    RecordingHost host;
    Instance instance(host);
    EXPECT_EQ(instance.close(), 1) << "effClose through the record answers 1 and deletes the instance.";
}
