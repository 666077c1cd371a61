#include "host/parameter_settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>

#include "host/host_error.h"
#include "host/plugin_instance.h"

namespace {

// The pitch shifter's layout: 0-3 shifts, 4-7 volumes, 8-11 band limits, 12
// the whole-semitone switch; the last limit's range ends at 20000 Hz.
constexpr int32_t kPitchShifterId = fourCharacters('P', 'F', 'u', 'V');
constexpr int32_t kFirstShift = 0;
constexpr int32_t kFirstVolume = 4;
constexpr int32_t kFirstLimit = 8;
constexpr int32_t kSwitch = 12;
constexpr int32_t kTopHz = 20000;

enum class Kind { shift, volume, limit, other };

Kind kindOf(int32_t index) {
    if (index >= kFirstShift && index < kFirstVolume) {
        return Kind::shift;
    }
    if (index >= kFirstVolume && index < kFirstLimit) {
        return Kind::volume;
    }
    if (index >= kFirstLimit && index < kSwitch) {
        return Kind::limit;
    }
    return Kind::other;
}

enum class Unit { normalised, semitones, hertz, decibels };

struct Value {
    double number = 0.0;
    Unit unit = Unit::normalised;
};

struct Assignment {
    std::string text;  // as the user wrote it, for messages
    int32_t index = 0;
    std::string name;  // as the plug-in reports it
    Value value;
};

std::string trimmed(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) {
        ++first;
    }
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string folded(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

std::string formatNumber(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

Value parseValue(const std::string& text, const std::string& context) {
    const std::string value = trimmed(text);
    if (value.empty()) {
        throw HostError(context + ": no value after '='");
    }
    const char* begin = value.c_str();
    char* end = nullptr;
    const double number = std::strtod(begin, &end);
    if (end == begin) {
        throw HostError(context + ": '" + value + "' is not a number");
    }
    const std::string unit = folded(end);
    Value parsed;
    parsed.number = number;
    if (unit.empty()) {
        parsed.unit = Unit::normalised;
    } else if (unit == "st" || unit == "semitone" || unit == "semitones") {
        parsed.unit = Unit::semitones;
    } else if (unit == "hz") {
        parsed.unit = Unit::hertz;
    } else if (unit == "khz") {
        parsed.unit = Unit::hertz;
        parsed.number = number * 1000.0;
    } else if (unit == "db") {
        parsed.unit = Unit::decibels;
    } else {
        throw HostError(context + ": unknown unit '" + trimmed(end) + "' (use st, Hz, kHz or dB)");
    }
    // Only a volume may be minus infinity (silence); no value may be NaN.
    const bool silence = parsed.unit == Unit::decibels && number == -std::numeric_limits<double>::infinity();
    if (!std::isfinite(parsed.number) && !silence) {
        throw HostError(context + ": '" + value + "' is not a finite number");
    }
    return parsed;
}

// The float next to `value` in the given direction, a step at a time.
float stepped(float value, int steps) {
    const float toward = steps > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    for (int i = 0; i < std::abs(steps); ++i) {
        value = std::nextafter(value, toward);
    }
    return value;
}

// The normalised value near `guess` whose stored result, as the plug-in forms
// it (`model`), equals `target`; failing an exact match, the closest one. The
// conversion from a normalised float to a stored setting rounds and cuts, so
// the plain quotient can land one step short (a limit of 4499 Hz for 4500).
float nearestNormalised(float guess, double target, const std::function<double(float)>& model) {
    float best = guess;
    double bestError = std::abs(model(guess) - target);
    int bestDistance = 0;
    for (int steps = -64; steps <= 64; ++steps) {
        const float candidate = stepped(guess, steps);
        if (candidate < 0.0f || candidate > 1.0f) {
            continue;
        }
        const double error = std::abs(model(candidate) - target);
        if (error < bestError || (error == bestError && std::abs(steps) < bestDistance)) {
            best = candidate;
            bestError = error;
            bestDistance = std::abs(steps);
        }
    }
    return best;
}

double truncToInt(double value) { return std::trunc(value); }

int32_t limitHz(PluginInstance& plugin, int32_t k) {
    const std::string display = plugin.parameterDisplay(kFirstLimit + k);
    char* end = nullptr;
    const long hz = std::strtol(display.c_str(), &end, 10);
    if (end == display.c_str()) {
        throw HostError("the plug-in displays band limit " + std::to_string(k + 1) + " as '" + display +
                        "', not as a frequency");
    }
    return static_cast<int32_t>(std::clamp<long>(hz, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

struct LimitRange {
    int32_t low = 0;
    int32_t high = 0;
};

// Band limit k moves between its neighbours: the first from 0 Hz, the last up
// to 20000 Hz.
LimitRange rangeOf(PluginInstance& plugin, int32_t k) {
    LimitRange range;
    range.low = k == 0 ? 0 : limitHz(plugin, k - 1);
    range.high = k == 3 ? kTopHz : limitHz(plugin, k + 1);
    return range;
}

bool switchIsOn(PluginInstance& plugin) {
    const std::string display = plugin.parameterDisplay(kSwitch);
    char* end = nullptr;
    const long value = std::strtol(display.c_str(), &end, 10);
    if (end == display.c_str()) {
        return plugin.getParameter(kSwitch) >= 0.5f;
    }
    return value != 0;
}

float normalisedFor(PluginInstance& plugin, const Assignment& a) {
    const double number = a.value.number;
    const Kind kind = kindOf(a.index);
    switch (a.value.unit) {
        case Unit::normalised:
            if (!(number >= 0.0 && number <= 1.0)) {
                throw HostError(a.text + ": " + formatNumber(number) + " is out of range (normalised values go from 0 to 1)");
            }
            return static_cast<float>(number);
        case Unit::semitones: {
            if (kind != Kind::shift) {
                throw HostError(a.text + ": semitones apply to the shifts only, not to " + a.name);
            }
            if (!(number >= -12.0 && number <= 12.0)) {
                throw HostError(a.text + ": " + formatNumber(number) + " st is out of range (shifts go from -12 to +12 st)");
            }
            const bool discrete = switchIsOn(plugin);
            if (discrete && number != std::floor(number)) {
                throw HostError(a.text + ": " + formatNumber(number) +
                                " st is not a whole semitone while DISC is on (add --set DISC=0 for fractions)");
            }
            // Stored shift: whole semitones -12 - trunc(-24 v) with the switch
            // on, v × 24 - 12 otherwise, each rounded to float.
            auto model = [discrete](float v) {
                const double stored = discrete ? -12.0 - truncToInt(-24.0 * static_cast<double>(v))
                                               : static_cast<double>(v) * 24.0 - 12.0;
                return static_cast<double>(static_cast<float>(stored));
            };
            return nearestNormalised(static_cast<float>((number + 12.0) / 24.0), number, model);
        }
        case Unit::decibels: {
            if (kind != Kind::volume) {
                throw HostError(a.text + ": dB apply to the volumes only, not to " + a.name);
            }
            if (!(number <= 0.0)) {
                throw HostError(a.text + ": " + formatNumber(number) +
                                " dB is out of range (volumes go from -inf dB to 0 dB, a gain of 0 to 1)");
            }
            // A volume is stored as the linear gain itself.
            return static_cast<float>(std::pow(10.0, number / 20.0));
        }
        case Unit::hertz: {
            if (kind != Kind::limit) {
                throw HostError(a.text + ": Hz apply to the band limits only, not to " + a.name);
            }
            if (number != std::floor(number)) {
                throw HostError(a.text + ": " + formatNumber(number) + " Hz is not a whole number of Hz");
            }
            const int32_t k = a.index - kFirstLimit;
            const LimitRange range = rangeOf(plugin, k);
            if (number < range.low || number > range.high) {
                throw HostError(a.text + ": " + formatNumber(number) + " Hz is out of range (" + a.name +
                                " lies between its neighbours, now " + std::to_string(range.low) + " to " +
                                std::to_string(range.high) + " Hz)");
            }
            const double width = static_cast<double>(range.high) - static_cast<double>(range.low);
            if (width == 0.0) {
                return 0.0f;  // an empty range: the limit equals both neighbours whatever the value
            }
            // Stored limit: trunc(width × v + low).
            auto model = [&range, width](float v) {
                return truncToInt(width * static_cast<double>(v) + range.low);
            };
            return nearestNormalised(static_cast<float>((number - range.low) / width), number, model);
        }
    }
    return 0.0f;
}

// Sets the value and checks that the plug-in stored what was meant.
void applyOne(PluginInstance& plugin, const Assignment& a) {
    const float normalised = normalisedFor(plugin, a);
    plugin.setParameter(a.index, normalised);
    const double number = a.value.number;
    bool stored = true;
    switch (a.value.unit) {
        case Unit::semitones:
            stored = std::abs((static_cast<double>(plugin.getParameter(a.index)) - 0.5) * 24.0 - number) < 1e-4;
            break;
        case Unit::hertz:
            stored = limitHz(plugin, a.index - kFirstLimit) == static_cast<int32_t>(number);
            break;
        case Unit::decibels:
            stored = plugin.getParameter(a.index) == normalised;
            break;
        case Unit::normalised:
            break;
    }
    if (!stored) {
        throw HostError(a.text + ": the plug-in did not store the value (it displays " +
                        plugin.parameterDisplay(a.index) + " " + plugin.parameterLabel(a.index) + ")");
    }
}

}  // namespace

bool hasTapLayout(PluginInstance& plugin) {
    return plugin.record()->uniqueID == kPitchShifterId && plugin.parameterCount() == 13;
}

int32_t findParameter(PluginInstance& plugin, const std::string& name) {
    const std::string wanted = folded(name);
    const int32_t count = plugin.parameterCount();
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        const long index = wanted.size() > 6 ? -1 : std::strtol(wanted.c_str(), nullptr, 10);
        if (index >= 0 && index < count) {
            return static_cast<int32_t>(index);
        }
        throw HostError("unknown parameter " + trimmed(name) + ": indices go from 0 to " + std::to_string(count - 1));
    }
    std::string known;
    for (int32_t index = 0; index < count; ++index) {
        const std::string reported = plugin.parameterName(index);
        if (!wanted.empty() && folded(reported) == wanted) {
            return index;
        }
        known += (index == 0 ? "" : ", ") + reported;
    }
    throw HostError("unknown parameter '" + trimmed(name) + "' (the plug-in has " + known + ")");
}

void applySettings(PluginInstance& plugin, const std::vector<std::string>& assignments) {
    std::vector<Assignment> parsed;
    for (const std::string& text : assignments) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) {
            throw HostError("--set " + text + ": expected P=V (a parameter index or name, then a value)");
        }
        Assignment a;
        a.text = "--set " + text;
        a.index = findParameter(plugin, text.substr(0, equals));
        a.name = plugin.parameterName(a.index);
        a.value = parseValue(text.substr(equals + 1), a.text);
        if (a.value.unit != Unit::normalised && !hasTapLayout(plugin)) {
            throw HostError(a.text + ": units are known for the Lumivox pitch shifter only; give a normalised value");
        }
        parsed.push_back(a);
    }
    const bool layout = hasTapLayout(plugin);
    auto isSwitch = [layout](const Assignment& a) { return layout && a.index == kSwitch; };
    // Limits in Hz wait for their neighbours; Hz given for anything else is
    // refused by applyOne in its turn.
    auto isLimitInHz = [](const Assignment& a) { return a.value.unit == Unit::hertz && kindOf(a.index) == Kind::limit; };

    for (const Assignment& a : parsed) {
        if (isSwitch(a)) {
            applyOne(plugin, a);
        }
    }
    std::vector<Assignment> limits;
    for (const Assignment& a : parsed) {
        if (isLimitInHz(a)) {
            limits.push_back(a);
        } else if (!isSwitch(a)) {
            applyOne(plugin, a);
        }
    }
    while (!limits.empty()) {
        bool moved = false;
        for (auto it = limits.begin(); it != limits.end();) {
            const LimitRange range = rangeOf(plugin, it->index - kFirstLimit);
            if (it->value.number >= range.low && it->value.number <= range.high) {
                applyOne(plugin, *it);
                it = limits.erase(it);
                moved = true;
            } else {
                ++it;
            }
        }
        if (!moved) {
            applyOne(plugin, limits.front());  // reports why it does not fit
        }
    }
}

std::vector<std::string> describeSettings(PluginInstance& plugin) {
    std::vector<std::string> lines;
    for (int32_t index = 0; index < plugin.parameterCount(); ++index) {
        char line[256];
        std::snprintf(line, sizeof line, "%-8s = %s %s (%s)", plugin.parameterName(index).c_str(),
                      plugin.parameterDisplay(index).c_str(), plugin.parameterLabel(index).c_str(),
                      formatNumber(plugin.getParameter(index)).c_str());
        lines.emplace_back(line);
    }
    return lines;
}

TapLayout readTapLayout(PluginInstance& plugin) {
    TapLayout layout;
    for (int32_t tap = 0; tap < 4; ++tap) {
        layout.semitones[tap] = (static_cast<double>(plugin.getParameter(kFirstShift + tap)) - 0.5) * 24.0;
        layout.volumes[tap] = plugin.getParameter(kFirstVolume + tap);
        layout.limitsHz[tap] = limitHz(plugin, tap);
    }
    return layout;
}
