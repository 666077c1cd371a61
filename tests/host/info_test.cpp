// info: what a host sees of the plug-in, and where the host finds it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>

#include "tests/host/host_test_support.h"

using namespace hosttest;

namespace {

std::map<std::string, std::string> keyValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos) {
            values[line.substr(0, colon)] = line.substr(colon + 2);
        }
    }
    return values;
}

TEST(Info, ReportsTheRecordAndEveryParameter) {
    const RunResult run = runHost({"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto values = keyValues(run.out);
    const std::map<std::string, std::string> expected = {
        {"plug-in", CORVANE_PLUGIN_PATH},
        {"effect name", "Lumivox"},
        {"vendor", "Ombrevale"},
        {"product", "Vorrel"},
        {"vendor version", "1000"},
        {"vst version", "2400"},
        {"unique id", "PFuV (0x50467556)"},
        {"inputs", "1"},
        {"outputs", "1"},
        {"initial delay", "2048"},
        {"programs", "1"},
        {"program name", "Default"},
        {"parameters", "13"},
        {"parameter 0", "name \"Shift 1\", label \"Semitone\", display \"0\", value 0.5"},
        {"parameter 7", "name \"Vol 4\", label \"Volume\", display \"1.00\", value 1"},
        {"parameter 9", "name \"Tap 2\", label \"Band Sta\", display \"4500 Hz\", value 0.336735"},
        {"parameter 12", "name \"DISC\", label \"Discrete\", display \"1\", value 1"},
    };
    for (const auto& [key, value] : expected) {
        const auto found = values.find(key);
        ASSERT_NE(found, values.end()) << "info should print a line for " << key << ":\n" << run.out;
        EXPECT_EQ(found->second, value) << "info should report " << key << " as the plug-in gives it.";
    }
    EXPECT_EQ(values.count("parameter 13"), 0u) << "info should list the thirteen parameters and no more.";
    EXPECT_NE(values.at("flags").find("can replace"), std::string::npos) << "The flags should be named.";
}

// Without --plugin the host uses the plug-in beside it (the build folder);
// a host with none beside it and none in the plug-in folders says so.
TEST(Info, SaysWhereItLookedWhenNoPluginIsFound) {
    for (const char* folder : {"/usr/local/lib/vst/corvane.so", "/usr/lib/vst/corvane.so"}) {
        if (fileExists(folder)) {
            GTEST_SKIP() << "An installed " << folder << " would be found.";
        }
    }
    ScratchFolder scratch;
    const std::string lonely = scratch.file("corvane-host");
    {
        std::ifstream from(CORVANE_HOST_PATH, std::ios::binary);
        std::ofstream to(lonely, std::ios::binary);
        to << from.rdbuf();
    }
    ::chmod(lonely.c_str(), 0755);
    ::mkdir(scratch.file("home").c_str(), 0755);
    ::mkdir(scratch.file("vst").c_str(), 0755);
    const std::map<std::string, std::string> environment = {
        {"HOME", scratch.file("home")}, {"VST_PATH", scratch.file("vst")}, {"LXVST_PATH", ""}};

    const RunResult missing = runHost({"info"}, environment, lonely);
    EXPECT_EQ(missing.status, 2) << "A host that finds no plug-in should fail.";
    EXPECT_NE(missing.err.find("cannot find corvane.so"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find(scratch.file("vst")), std::string::npos) << "The message should list the folders searched.";

    {
        std::ifstream from(CORVANE_PLUGIN_PATH, std::ios::binary);
        std::ofstream to(scratch.file("vst/corvane.so"), std::ios::binary);
        to << from.rdbuf();
    }
    const RunResult installed = runHost({"info"}, environment, lonely);
    ASSERT_EQ(installed.status, 0) << "A plug-in in $VST_PATH should be found: " << installed.err;
    EXPECT_NE(installed.out.find("plug-in: " + scratch.file("vst/corvane.so")), std::string::npos) << installed.out;
}

}  // namespace
