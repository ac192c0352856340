#include "sound.h"

#include "output.h"
#include "render_error.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 22050;
constexpr double twoPi = 2.0 * std::numbers::pi;

enum class Wave : std::uint8_t { Sine, Square, Triangle, Saw, Noise };
enum class FilterKind : std::uint8_t { LowPass, HighPass, BandPass };

struct Sweep {
    double from = 0;
    double to = 0;

    // Pitch and cutoff glide on a log scale, which is how an ear hears a steady slide.
    double at(double progress) const { return from * std::pow(to / from, progress); }
};

struct FilterStage {
    FilterKind kind = FilterKind::LowPass;
    Sweep cutoff;
};

struct Voice {
    int line = 0;
    Wave wave = Wave::Sine;
    double start = 0;
    double duration = 0;
    std::optional<Sweep> frequency;
    double volume = 1;
    double attack = 0.005;
    double decay = 0;
    double sustain = 1;
    double release = 0.01;
    double duty = 0.5;
    double vibratoRate = 0;
    double vibratoSemitones = 0;
    double tremoloRate = 0;
    double tremoloDepth = 0;
    double detuneCents = 0;
    double resonance = 0.707;
    std::vector<FilterStage> filters;
    int repeat = 1;
    double every = 0;
};

struct Recipe {
    std::optional<double> length;
    double peak = 0.8;
    std::uint32_t seed = 1;
    std::vector<Voice> voices;
};

class RecipeParser {
public:
    explicit RecipeParser(std::string name)
        : name_(std::move(name)) {}

    Recipe parse(const std::string &text) {
        std::istringstream lines(text);
        std::string raw;
        while (std::getline(lines, raw)) {
            ++line_;
            parseLine(withoutComment(raw));
        }
        if (recipe_.voices.empty()) {
            throw RenderError(name_ + ": the recipe has no tone or noise line");
        }
        return recipe_;
    }

private:
    // A comment starts at a '#' that begins a word, so sharps like C#5 stay notes.
    static std::string withoutComment(const std::string &raw) {
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(raw[i - 1])))) {
                return raw.substr(0, i);
            }
        }
        return raw;
    }

    [[noreturn]] void fail(const std::string &message) const {
        throw RenderError(name_ + ":" + std::to_string(line_) + ": " + message);
    }

    double number(const std::string &text, const std::string &what) const {
        double value = 0;
        const char *end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) {
            fail(what + " wants a number, not '" + text + "'");
        }
        return value;
    }

    double atLeast(const std::string &text, const std::string &what, double minimum) const {
        const double value = number(text, what);
        if (value < minimum) {
            fail(what + " must be at least " + std::to_string(minimum) + ", not " + text);
        }
        return value;
    }

    double between(const std::string &text, const std::string &what, double low,
                   double high) const {
        const double value = number(text, what);
        if (value < low || value > high) {
            fail(what + " must lie between " + std::to_string(low) + " and " +
                 std::to_string(high) + ", not " + text);
        }
        return value;
    }

    std::pair<std::string, std::string> pair(const std::string &text,
                                             const std::string &what) const {
        const auto colon = text.find(':');
        if (colon == std::string::npos) {
            fail(what + " wants two values as A:B, not '" + text + "'");
        }
        return {text.substr(0, colon), text.substr(colon + 1)};
    }

    // A frequency is given in hertz or as a note name such as A4, C#5 or Bb3.
    double frequency(const std::string &text, const std::string &what) const {
        static const std::map<char, int> semitones = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5},
                                                      {'G', 7}, {'A', 9}, {'B', 11}};
        double hertz = 0;
        if (!text.empty() && semitones.contains(text[0])) {
            int note = semitones.at(text[0]);
            std::size_t position = 1;
            if (position < text.size() && (text[position] == '#' || text[position] == 'b')) {
                note += text[position] == '#' ? 1 : -1;
                ++position;
            }
            const std::string octaveText = text.substr(position);
            int octave = 0;
            const char *end = octaveText.data() + octaveText.size();
            const auto [stop, error] = std::from_chars(octaveText.data(), end, octave);
            if (octaveText.empty() || error != std::errc() || stop != end) {
                fail(what + " has a bad note name '" + text + "'");
            }
            const int midi = 12 * (octave + 1) + note;
            hertz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
        } else {
            hertz = number(text, what);
        }
        if (hertz <= 0 || hertz >= sampleRate / 2.0) {
            fail(what + " must lie above 0 and below " + std::to_string(sampleRate / 2) +
                 " Hz, not '" + text + "'");
        }
        return hertz;
    }

    Sweep sweep(const std::string &text, const std::string &what) const {
        if (text.find(':') == std::string::npos) {
            const double hertz = frequency(text, what);
            return {hertz, hertz};
        }
        const auto [from, to] = pair(text, what);
        return {frequency(from, what), frequency(to, what)};
    }

    void parseLine(const std::string &text) {
        std::istringstream words(text);
        std::string keyword;
        if (!(words >> keyword)) {
            return;
        }
        std::vector<std::string> arguments;
        for (std::string word; words >> word;) {
            arguments.push_back(word);
        }
        if (keyword == "tone" || keyword == "noise") {
            parseVoice(keyword == "noise", arguments);
            return;
        }
        if (arguments.size() != 1) {
            fail("'" + keyword + "' wants exactly one value");
        }
        if (keyword == "length") {
            recipe_.length = atLeast(arguments[0], "length", 0.001);
        } else if (keyword == "peak") {
            recipe_.peak = between(arguments[0], "peak", 0.01, 1.0);
        } else if (keyword == "seed") {
            recipe_.seed =
                static_cast<std::uint32_t>(between(arguments[0], "seed", 0, 4294967295.0));
        } else {
            fail("unknown line '" + keyword + "': expected tone, noise, length, peak or seed");
        }
    }

    void parseVoice(bool noise, const std::vector<std::string> &arguments) {
        Voice voice;
        voice.line = line_;
        voice.wave = noise ? Wave::Noise : Wave::Sine;
        std::map<std::string, bool> seen;
        for (const std::string &argument : arguments) {
            const auto equals = argument.find('=');
            if (equals == std::string::npos) {
                fail("expected key=value, not '" + argument + "'");
            }
            const std::string key = argument.substr(0, equals);
            const std::string value = argument.substr(equals + 1);
            if (seen[key]) {
                fail("'" + key + "' is given twice");
            }
            seen[key] = true;
            applySetting(voice, key, value);
        }
        if (!seen["at"] || !seen["dur"]) {
            fail("a voice needs at= and dur=");
        }
        if (voice.wave != Wave::Noise && !voice.frequency) {
            fail("a " + std::string(noise ? "noise" : "tone") + " of this wave needs freq=");
        }
        if (voice.attack + voice.release > voice.duration + 1e-9) {
            fail("attack and release together are longer than dur");
        }
        if (voice.repeat > 1 && voice.every <= 0) {
            fail("repeat needs an interval above zero, as repeat=COUNT:SECONDS");
        }
        recipe_.voices.push_back(voice);
    }

    void applySetting(Voice &voice, const std::string &key, const std::string &value) {
        if (key == "at") {
            voice.start = atLeast(value, key, 0);
        } else if (key == "dur") {
            voice.duration = atLeast(value, key, 0.001);
        } else if (key == "wave") {
            static const std::map<std::string, Wave> waves = {{"sine", Wave::Sine},
                                                              {"square", Wave::Square},
                                                              {"triangle", Wave::Triangle},
                                                              {"saw", Wave::Saw},
                                                              {"noise", Wave::Noise}};
            const auto found = waves.find(value);
            if (found == waves.end()) {
                fail("unknown wave '" + value + "': use sine, square, triangle, saw or noise");
            }
            voice.wave = found->second;
        } else if (key == "freq") {
            voice.frequency = sweep(value, key);
        } else if (key == "vol") {
            voice.volume = between(value, key, 0, 4);
        } else if (key == "attack") {
            voice.attack = atLeast(value, key, 0);
        } else if (key == "decay") {
            voice.decay = atLeast(value, key, 0);
        } else if (key == "sustain") {
            voice.sustain = between(value, key, 0, 1);
        } else if (key == "release") {
            voice.release = atLeast(value, key, 0);
        } else if (key == "duty") {
            voice.duty = between(value, key, 0.05, 0.95);
        } else if (key == "vibrato") {
            const auto [rate, depth] = pair(value, key);
            voice.vibratoRate = atLeast(rate, "vibrato rate", 0);
            voice.vibratoSemitones = between(depth, "vibrato depth", 0, 12);
        } else if (key == "tremolo") {
            const auto [rate, depth] = pair(value, key);
            voice.tremoloRate = atLeast(rate, "tremolo rate", 0);
            voice.tremoloDepth = between(depth, "tremolo depth", 0, 1);
        } else if (key == "detune") {
            voice.detuneCents = between(value, key, -1200, 1200);
        } else if (key == "lowpass" || key == "highpass" || key == "bandpass") {
            const FilterKind kind = key == "lowpass"    ? FilterKind::LowPass
                                    : key == "highpass" ? FilterKind::HighPass
                                                        : FilterKind::BandPass;
            voice.filters.push_back({kind, sweep(value, key)});
        } else if (key == "q") {
            voice.resonance = between(value, key, 0.1, 30);
        } else if (key == "repeat") {
            const auto [count, interval] = pair(value, key);
            voice.repeat = static_cast<int>(between(count, "repeat count", 1, 1000));
            voice.every = atLeast(interval, "repeat interval", 0);
        } else {
            fail("unknown setting '" + key + "'");
        }
    }

    std::string name_;
    int line_ = 0;
    Recipe recipe_;
};

// Noise must come out the same on every build, so it has its own small generator.
class NoiseSource {
public:
    explicit NoiseSource(std::uint32_t seed)
        : state_(seed == 0 ? 0x9e3779b9u : seed) {}

    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state_;
};

// State-variable filter in its trapezoidal form: it stays stable while the cutoff sweeps.
class Filter {
public:
    Filter(FilterKind kind, double resonance)
        : kind_(kind)
        , damping_(1.0 / resonance) {}

    double process(double input, double cutoff) {
        const double g =
            std::tan(std::numbers::pi * std::min(cutoff, sampleRate * 0.45) / sampleRate);
        const double h = 1.0 / (1.0 + g * (g + damping_));
        const double high = (input - (damping_ + g) * band_ - low_) * h;
        const double bandOut = g * high + band_;
        band_ = g * high + bandOut;
        const double lowOut = g * bandOut + low_;
        low_ = g * bandOut + lowOut;
        switch (kind_) {
        case FilterKind::LowPass:
            return lowOut;
        case FilterKind::HighPass:
            return high;
        case FilterKind::BandPass:
            return bandOut;
        }
        return lowOut;
    }

private:
    FilterKind kind_;
    double damping_;
    double band_ = 0;
    double low_ = 0;
};

// Softens the jump of square and saw waves so high notes do not alias into whistles.
double polyBlep(double phase, double step) {
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0;
}

double oscillate(Wave wave, double phase, double step, double duty) {
    switch (wave) {
    case Wave::Sine:
        return std::sin(twoPi * phase);
    case Wave::Square: {
        double value = phase < duty ? 1.0 : -1.0;
        value += polyBlep(phase, step);
        value -= polyBlep(std::fmod(phase + 1.0 - duty, 1.0), step);
        return value;
    }
    case Wave::Triangle:
        return 1.0 - 4.0 * std::abs(phase - 0.5);
    case Wave::Saw:
        return 2.0 * phase - 1.0 - polyBlep(phase, step);
    case Wave::Noise:
        break;
    }
    return 0;
}

double envelope(const Voice &voice, double time) {
    double level = voice.sustain;
    if (time < voice.attack) {
        level = time / voice.attack;
    } else if (time < voice.attack + voice.decay) {
        const double progress = (time - voice.attack) / voice.decay;
        level = voice.sustain + (1.0 - voice.sustain) * std::exp(-4.6 * progress);
    }
    const double untilEnd = voice.duration - time;
    if (voice.release > 0 && untilEnd < voice.release) {
        level *= std::max(0.0, untilEnd / voice.release);
    }
    return level;
}

void playVoice(const Voice &voice, double start, std::uint32_t seed, std::vector<double> &mix) {
    const auto first = static_cast<std::size_t>(std::lround(start * sampleRate));
    const auto count = static_cast<std::size_t>(std::lround(voice.duration * sampleRate));
    std::vector<Filter> filters;
    filters.reserve(voice.filters.size());
    for (const FilterStage &stage : voice.filters) {
        filters.emplace_back(stage.kind, voice.resonance);
    }
    NoiseSource noise(seed);
    const double detuneRatio = std::pow(2.0, voice.detuneCents / 1200.0);
    double phase = 0;
    double detunedPhase = 0.25;
    double held = noise.next();

    for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
        const double time = static_cast<double>(i) / sampleRate;
        const double progress = time / voice.duration;
        double hertz = voice.frequency ? voice.frequency->at(progress) : 0.0;
        if (voice.vibratoSemitones > 0) {
            hertz *= std::pow(2.0, voice.vibratoSemitones *
                                       std::sin(twoPi * voice.vibratoRate * time) / 12.0);
        }
        const double step = std::min(hertz / sampleRate, 0.5);

        double sample = 0;
        if (voice.wave == Wave::Noise) {
            // With a frequency, noise is held between fresh values: a coarse, crunchy grain.
            if (!voice.frequency || phase + step >= 1.0)
                held = noise.next();
            sample = held;
        } else {
            sample = oscillate(voice.wave, phase, step, voice.duty);
            if (voice.detuneCents != 0) {
                const double detunedStep = std::min(step * detuneRatio, 0.5);
                sample =
                    0.5 * (sample + oscillate(voice.wave, detunedPhase, detunedStep, voice.duty));
                detunedPhase = std::fmod(detunedPhase + detunedStep, 1.0);
            }
        }
        phase = std::fmod(phase + step, 1.0);

        for (std::size_t f = 0; f < filters.size(); ++f) {
            sample = filters[f].process(sample, voice.filters[f].cutoff.at(progress));
        }
        double gain = voice.volume * envelope(voice, time);
        if (voice.tremoloDepth > 0) {
            gain *=
                1.0 - voice.tremoloDepth * 0.5 * (1.0 - std::cos(twoPi * voice.tremoloRate * time));
        }
        mix[first + i] += sample * gain;
    }
}

std::vector<double> synthesize(const Recipe &recipe, const std::string &name) {
    double end = 0;
    for (const Voice &voice : recipe.voices) {
        end = std::max(end, voice.start + (voice.repeat - 1) * voice.every + voice.duration);
    }
    if (recipe.length) {
        if (end > *recipe.length + 1e-9) {
            throw RenderError(name + ": the voices run to " + std::to_string(end) +
                              " s, past the recipe length " + std::to_string(*recipe.length) +
                              " s");
        }
        end = *recipe.length;
    }
    std::vector<double> mix(static_cast<std::size_t>(std::lround(end * sampleRate)), 0.0);
    std::uint32_t seed = recipe.seed;
    for (const Voice &voice : recipe.voices) {
        for (int copy = 0; copy < voice.repeat; ++copy) {
            seed = seed * 1664525u + 1013904223u;
            playVoice(voice, voice.start + copy * voice.every, seed, mix);
        }
    }
    return mix;
}

QByteArray encodeWave(const std::vector<double> &mix, double peak, const std::string &name) {
    double loudest = 0;
    for (const double sample : mix) {
        loudest = std::max(loudest, std::abs(sample));
    }
    if (loudest < 1e-9) {
        throw RenderError(name + ": the recipe makes no sound");
    }
    const double scale = peak * 32767.0 / loudest;

    const auto dataBytes = static_cast<quint32>(mix.size() * 2);
    QByteArray bytes;
    bytes.reserve(qsizetype{44} + dataBytes);
    const auto put32 = [&bytes](quint32 value) {
        char raw[4];
        qToLittleEndian(value, raw);
        bytes.append(raw, 4);
    };
    const auto put16 = [&bytes](quint16 value) {
        char raw[2];
        qToLittleEndian(value, raw);
        bytes.append(raw, 2);
    };
    bytes.append("RIFF", 4);
    put32(36 + dataBytes);
    bytes.append("WAVE", 4);
    bytes.append("fmt ", 4);
    put32(16);
    put16(1);
    put16(1);
    put32(sampleRate);
    put32(sampleRate * 2);
    put16(2);
    put16(16);
    bytes.append("data", 4);
    put32(dataBytes);
    for (const double sample : mix) {
        const long value = std::clamp(std::lround(sample * scale), -32768L, 32767L);
        put16(static_cast<quint16>(static_cast<qint16>(value)));
    }
    return bytes;
}

} // namespace

void renderSound(const QString &recipePath, const QString &wavPath) {
    const std::string name = recipePath.toStdString();
    QFile file(recipePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw RenderError("cannot read " + name + ": " + file.errorString().toStdString());
    }
    const Recipe recipe = RecipeParser(name).parse(file.readAll().toStdString());
    writeOutputFile(wavPath, encodeWave(synthesize(recipe, name), recipe.peak, name));
}
