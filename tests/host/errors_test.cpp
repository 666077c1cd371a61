// Failures: each gives its message and exit status 2, and leaves no output
// file (nor any temporary one) behind.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cctype>

#include "tests/host/host_test_support.h"

using namespace hosttest;

namespace {

// In the arguments, "@" stands for the scratch folder.
struct ErrorCase {
    const char* what;
    std::vector<std::string> arguments;
    const char* message;
    const char* output;  // the file that must not appear, in the scratch folder
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.what; }

std::string expand(const std::string& word, const std::string& folder) {
    std::string out = word;
    for (std::size_t at = out.find('@'); at != std::string::npos; at = out.find('@', at + folder.size())) {
        out.replace(at, 1, folder);
    }
    return out;
}

class HostError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(HostError, ExitsWithStatus2AndWritesNothing) {
    const ErrorCase c = GetParam();
    ScratchFolder folder;
    writeSound(folder.file("in.wav"), mono(sine(440.0, 44100, 0.2), 44100));
    writeText(folder.file("text.wav"), "these are words, not sound\n");
    writeText(folder.file("text.so"), "not a library\n");
    const std::vector<std::string> before = folder.entries();

    std::vector<std::string> arguments;
    for (const std::string& word : c.arguments) {
        arguments.push_back(expand(word, folder.path()));
    }
    const RunResult run = runHost(arguments);
    EXPECT_EQ(run.status, 2) << c.what << " should exit with status 2.";
    const std::string message = expand(c.message, folder.path());
    EXPECT_NE(run.err.find(message), std::string::npos)
        << c.what << " should say \"" << message << "\"; it said: " << run.err;
    EXPECT_FALSE(fileExists(folder.file(c.output))) << c.what << " should not write " << c.output << ".";
    EXPECT_EQ(folder.entries(), before) << c.what << " should leave no file behind, temporary ones included.";
}

std::string caseName(const ::testing::TestParamInfo<ErrorCase>& info) {
    std::string name;
    for (const char* c = info.param.what; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) {
            name += *c;
        }
    }
    return name;
}

const std::string kIn = "@/in.wav";
const std::string kOut = "@/out.wav";

INSTANTIATE_TEST_SUITE_P(
    Render, HostError,
    ::testing::Values(
        ErrorCase{"A missing input", {"render", "@/missing.wav", kOut}, "cannot read @", "out.wav"},
        ErrorCase{"An input that is not sound", {"render", "@/text.wav", kOut}, "cannot read", "out.wav"},
        ErrorCase{"A folder as input", {"render", "@", kOut}, "it is a folder", "out.wav"},
        ErrorCase{"An unknown parameter name", {"render", kIn, kOut, "--set", "Shift 9=0.5"}, "unknown parameter 'Shift 9'", "out.wav"},
        ErrorCase{"An index past the last parameter", {"render", kIn, kOut, "--set", "13=0.5"}, "unknown parameter 13", "out.wav"},
        ErrorCase{"A setting without a value", {"render", kIn, kOut, "--set", "Vol 1"}, "expected P=V", "out.wav"},
        ErrorCase{"A value that is not a number", {"render", kIn, kOut, "--set", "Vol 1=loud"}, "is not a number", "out.wav"},
        ErrorCase{"A value that is not finite", {"render", kIn, kOut, "--set", "Vol 1=nan"}, "not a finite number", "out.wav"},
        ErrorCase{"A normalised value above 1", {"render", kIn, kOut, "--set", "Vol 1=1.5"}, "out of range", "out.wav"},
        ErrorCase{"A normalised value below 0", {"render", kIn, kOut, "--set", "Shift 1=-0.1"}, "out of range", "out.wav"},
        ErrorCase{"A shift beyond an octave", {"render", kIn, kOut, "--set", "Shift 1=+13st"}, "out of range", "out.wav"},
        ErrorCase{"A volume above 0 dB", {"render", kIn, kOut, "--set", "Vol 2=+3dB"}, "out of range", "out.wav"},
        ErrorCase{"A limit beyond its neighbour", {"render", kIn, kOut, "--set", "Tap 1=5000Hz"}, "now 0 to 4500 Hz", "out.wav"},
        ErrorCase{"A limit above 20000 Hz", {"render", kIn, kOut, "--set", "Tap 4=25kHz"}, "out of range", "out.wav"},
        ErrorCase{"A fraction of a Hz", {"render", kIn, kOut, "--set", "Tap 2=2000.5Hz"}, "not a whole number of Hz", "out.wav"},
        ErrorCase{"A fractional shift while DISC is on", {"render", kIn, kOut, "--set", "Shift 1=+2.5st"}, "not a whole semitone", "out.wav"},
        ErrorCase{"Semitones for a volume", {"render", kIn, kOut, "--set", "Vol 1=+3st"}, "semitones apply to the shifts only", "out.wav"},
        ErrorCase{"Hz for a shift", {"render", kIn, kOut, "--set", "Shift 1=100Hz"}, "Hz apply to the band limits only", "out.wav"},
        ErrorCase{"dB for a band limit", {"render", kIn, kOut, "--set", "Tap 1=-3dB"}, "dB apply to the volumes only", "out.wav"},
        ErrorCase{"An unknown unit", {"render", kIn, kOut, "--set", "Tap 1=3 parsecs"}, "unknown unit", "out.wav"},
        ErrorCase{"A block length of 0", {"render", kIn, kOut, "--block", "0"}, "--block 0", "out.wav"},
        ErrorCase{"A block length that is not a number", {"render", kIn, kOut, "--block", "big"}, "--block big", "out.wav"},
        ErrorCase{"A rate that is not a rate", {"render", kIn, kOut, "--rate", "-44100"}, "--rate -44100", "out.wav"},
        ErrorCase{"A channel the file lacks", {"render", kIn, kOut, "--channel", "2"}, "has 1 channel", "out.wav"},
        ErrorCase{"An unknown option", {"render", kIn, kOut, "--louder"}, "unknown option --louder", "out.wav"},
        ErrorCase{"A missing output name", {"render", kIn}, "needs an input and an output", "out.wav"},
        ErrorCase{"An output in a missing folder", {"render", kIn, "@/nowhere/out.wav"}, "cannot write @/nowhere/out.wav", "nowhere"},
        ErrorCase{"A plug-in file that is missing", {"--plugin", "@/none.so", "render", kIn, kOut}, "cannot load plug-in @/none.so", "out.wav"},
        ErrorCase{"A plug-in file that is not a library", {"--plugin", "@/text.so", "render", kIn, kOut}, "cannot load plug-in", "out.wav"},
        ErrorCase{"A library without an entry", {"--plugin", NO_ENTRY_FIXTURE, "render", kIn, kOut}, "has no entry", "out.wav"},
        ErrorCase{"An entry that answers null", {"--plugin", NULL_ENTRY_FIXTURE, "render", kIn, kOut}, "answered no instance", "out.wav"}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    OtherCommands, HostError,
    ::testing::Values(
        ErrorCase{"A spectrogram of a missing file", {"spectrogram", "@/missing.wav", "@/out.png"}, "cannot read", "out.png"},
        ErrorCase{"A spectrogram with a bad setting", {"spectrogram", kIn, "@/out.png", "--set", "Tap 9=1"}, "unknown parameter", "out.png"},
        ErrorCase{"A spectrogram through a library without an entry", {"--plugin", NO_ENTRY_FIXTURE, "spectrogram", kIn, "@/out.png"}, "has no entry", "out.png"},
        ErrorCase{"Info on a library without an entry", {"--plugin", NO_ENTRY_FIXTURE, "info"}, "has no entry", "out.wav"},
        ErrorCase{"Info on an entry that answers null", {"--plugin", NULL_ENTRY_FIXTURE, "info"}, "answered no instance", "out.wav"},
        ErrorCase{"An unknown command", {"play", kIn}, "unknown command 'play'", "out.wav"},
        ErrorCase{"A --plugin without a path", {"--plugin"}, "--plugin needs", "out.wav"}),
    caseName);

// A failed render leaves an existing output file exactly as it was.
TEST(HostErrorOutput, AFailedRenderKeepsTheOldOutput) {
    ScratchFolder folder;
    writeSound(folder.file("in.wav"), mono(sine(440.0, 44100, 0.2), 44100));
    writeText(folder.file("out.wav"), "the previous render");
    const RunResult run = runHost({"render", folder.file("in.wav"), folder.file("out.wav"), "--set", "Vol 1=2"});
    EXPECT_EQ(run.status, 2) << "A value out of range should fail the render.";
    EXPECT_EQ(readText(folder.file("out.wav")), "the previous render") << "The old output should be untouched.";
}

// A plug-in named without a folder is the file in the current folder, never
// one found on the system's library path.
TEST(HostErrorOutput, APluginNameWithoutFolderIsNotSearchedForElsewhere) {
    const RunResult run = runHost({"--plugin", "libc.so.6", "info"});
    EXPECT_EQ(run.status, 2) << "A plug-in name that is not a file here should fail.";
    EXPECT_NE(run.err.find("cannot load plug-in libc.so.6"), std::string::npos) << run.err;
}

}  // namespace
