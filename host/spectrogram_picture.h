// The spectrogram picture: one panel per signal side by side (input and
// output), time across, frequency up on a logarithmic axis labelled in kHz,
// the four band limits marked as lines, and beside each panel a strip that
// shows where each tap's band lies: as analysed on an input panel, after its
// shift on an output panel. A legend under the panels lists the taps.
#pragma once

#include <string>
#include <vector>

struct PicturePanel {
    std::string title;
    const std::vector<float>* samples = nullptr;
    int sampleRate = 44100;
    bool shifted = false;  // the strip shows the bands after their taps' shifts
};

struct BandMarks {
    bool present = false;  // false: no limits to mark (another plug-in's layout)
    double limitsHz[4]{};
    double semitones[4]{};
    double volumes[4]{};
};

// Throws HostError; writes the PNG whole or not at all.
void writeSpectrogramPicture(const std::string& path, const std::string& heading,
                             const std::vector<PicturePanel>& panels, const BandMarks& marks);
