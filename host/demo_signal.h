// The demo's test signal, made here so the demo needs no download: a
// sustained chord rich in harmonics, a melody above it and a little noise
// that shows every band's texture in a spectrogram.
#pragma once

#include <vector>

std::vector<float> makeDemoSignal(int sampleRate, double seconds);
