// Parameters by index or name, values as normalised numbers or in the units a
// user thinks in, converted to the normalised value the plug-in expects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PluginInstance;

// The index of a parameter given as its index ("9") or its name as the
// plug-in reports it, compared without case and spaces ("tap 2", "TAP2").
// Throws HostError for anything else.
int32_t findParameter(PluginInstance& plugin, const std::string& name);

// Applies "P=V" assignments. The switch DISC goes first, since it decides how
// shifts are stored; band limits given in Hz go last, each as soon as it lies
// between its neighbours' current values, so a set of limits can be moved in
// any order it is written in. Everything else is applied in the order given.
// Units: "st" for shifts (whole semitones while DISC is on), "Hz" or "kHz"
// for band limits, "dB" for volumes. Every value is checked against the
// plug-in's range, and read back after it is set. Throws HostError.
void applySettings(PluginInstance& plugin, const std::vector<std::string>& assignments);

// The settings as the plug-in displays them: one line per parameter with its
// name, display text, label and normalised value.
std::vector<std::string> describeSettings(PluginInstance& plugin);

// Shifts, volumes and band limits of the four taps, read back from the
// plug-in (shifts in semitones from the normalised values, limits from their
// display texts).
struct TapLayout {
    double semitones[4]{};
    double volumes[4]{};
    double limitsHz[4]{};
};
TapLayout readTapLayout(PluginInstance& plugin);

// True when the loaded plug-in is the pitch shifter whose parameter layout
// the unit conversions and the picture's band marks know.
bool hasTapLayout(PluginInstance& plugin);
