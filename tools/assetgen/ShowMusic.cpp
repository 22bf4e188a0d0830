// The show's music: a small synthesiser of our own (oscillators, envelopes, one-pole filters, drums from
// noise and sines) playing an A-minor piece whose form follows the show: a quiet intro, the drop at 15.1 s,
// new sections where the show changes, a crash on every flash, bright hi-hats under the spectrum bars, air
// and noise sweeps up to the top of the band, and a fade-out by 122 s. The master is brought to release
// loudness (-14 LUFS integrated, EBU R 128, measured with libebur128) under a look-ahead peak limiter.
#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <memory>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Mp3Encoder.h"
#include "tools/assetgen/ShowAssets.h"

const float kAccentTimes[11] = {15.1f, 30.5f, 38.1f, 53.6f, 61.25f, 68.9f, 71.5f, 79.0f, 99.75f, 100.2f, 102.1f};

namespace {

constexpr int kRate = 44100;
constexpr double kLength = 124.0;
constexpr double kTau = 6.283185307179586;
constexpr double kBeat = 0.5;  // 120 beats a minute

struct Mix {
    std::vector<float> left, right;
    Mix() : left(size_t(kLength * kRate)), right(size_t(kLength * kRate)) {}
    size_t frames() const { return left.size(); }
    void add(size_t i, double v, double pan) {  // pan -1 left .. 1 right
        if (i >= left.size()) return;
        left[i] += float(v * (1 - pan) * 0.5);
        right[i] += float(v * (1 + pan) * 0.5);
    }
};

double note(int semitonesFromA2) { return 110.0 * std::pow(2.0, semitonesFromA2 / 12.0); }

// The chords, two bars each: Am, F, C, G (semitones from A2 for root, third, fifth).
const int kChords[4][3] = {{0, 3, 7}, {-4, 0, 3}, {3, 7, 10}, {-2, 2, 5}};
int chordAt(double t) { return int(std::floor(t / (8 * kBeat))) % 4; }

struct Section {
    double start, end;
};

void kick(Mix& m, double t0, double gain) {
    double phase = 0;
    const size_t s0 = size_t(t0 * kRate);
    for (size_t i = 0; i < size_t(0.45 * kRate); ++i) {
        const double t = double(i) / kRate;
        phase += kTau * (48 + 110 * std::exp(-t * 28)) / kRate;
        m.add(s0 + i, std::sin(phase) * std::exp(-t * 7) * gain, 0);
    }
}

void snare(Mix& m, Dice& d, double t0, double gain) {
    const size_t s0 = size_t(t0 * kRate);
    for (size_t i = 0; i < size_t(0.3 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double noise = d.unit() * 2 - 1;
        m.add(s0 + i, (noise * 0.6 * std::exp(-t * 16) + std::sin(kTau * 185 * t) * 0.4 * std::exp(-t * 30)) * gain, 0.1);
    }
}

void hat(Mix& m, Dice& d, double t0, double gain, double decay, double pan) {
    const size_t s0 = size_t(t0 * kRate);
    double last = 0;
    for (size_t i = 0; i < size_t(0.15 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double n = d.unit() * 2 - 1;
        m.add(s0 + i, (n - last) * 0.5 * std::exp(-t * decay) * gain, pan);  // a difference: only the highs
        last = n;
    }
}

void crash(Mix& m, Dice& d, double t0, double gain) {
    const size_t s0 = size_t(t0 * kRate);
    double last = 0;
    for (size_t i = 0; i < size_t(2.6 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double n = d.unit() * 2 - 1;
        const double ring = std::sin(kTau * 3140 * t) + std::sin(kTau * 4870 * t) * 0.7 + std::sin(kTau * 6230 * t) * 0.5;
        const double env = std::exp(-t * 2.2) * std::min(1.0, t * 2000);
        m.add(s0 + i, ((n - last) * 0.8 + ring * 0.15) * env * gain, (i % 2) ? 0.3 : -0.3);
        last = n;
    }
}

// A filtered saw voice with attack and release, for bass, pads and the lead.
void voice(Mix& m, double t0, double length, double freq, double gain, double cutoff, double attack, double release,
           double pan, double detune = 0) {
    const size_t s0 = size_t(t0 * kRate), n = size_t((length + release) * kRate);
    double phase = 0, phase2 = 0.31, y = 0;
    const double a = 1 - std::exp(-kTau * cutoff / kRate);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        phase += freq / kRate, phase2 += freq * (1 + detune) / kRate;
        phase -= std::floor(phase), phase2 -= std::floor(phase2);
        const double saw = (2 * phase - 1) + (detune != 0 ? (2 * phase2 - 1) : 0);
        y += a * (saw - y);
        double env = std::min(1.0, t / attack);
        if (t > length) env *= std::exp(-(t - length) / (release / 4));
        m.add(s0 + i, y * env * gain, pan);
    }
}

// A short square pluck, for arpeggios.
void pluck(Mix& m, double t0, double freq, double gain, double pan) {
    const size_t s0 = size_t(t0 * kRate);
    double y = 0;
    for (size_t i = 0; i < size_t(0.25 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double sq = std::fmod(freq * t, 1.0) < 0.5 ? 1.0 : -1.0;
        y += 0.25 * (sq - y);
        m.add(s0 + i, y * std::exp(-t * 14) * gain, pan);
    }
}

void riser(Mix& m, Dice& d, double t0, double t1) {
    double y = 0;
    for (size_t i = size_t(t0 * kRate); i < size_t(t1 * kRate); ++i) {
        const double u = (double(i) / kRate - t0) / (t1 - t0);
        const double a = 1 - std::exp(-kTau * (200 + 6000 * u * u) / kRate);
        y += a * ((d.unit() * 2 - 1) - y);
        m.add(i, y * 0.25 * u * u, std::sin(u * 20) * 0.5);
    }
}

// The level of the mix around an accent at `a`: down to 0.15 for the 80 ms before it and the 10 ms of
// its attack, with 10-ms ramps, else 1. Each accent plays over a short gap, so it stands out of a loud mix
// (the tail of an accent just before it included).
double duckLevel(double t, double a) {
    const double in = std::clamp((t - (a - 0.09)) / 0.01, 0.0, 1.0), out = std::clamp((a + 0.02 - t) / 0.01, 0.0, 1.0);
    return 1.0 - 0.85 * std::min(in, out);
}

// Air: white noise differenced twice (+12 dB an octave), so almost all of it lies above 8 kHz; its level
// follows a sixteenth-note pulse.
void air(Mix& m, Dice& d, double t0, double t1, double gain) {
    double a = 0, b = 0;
    for (size_t i = size_t(t0 * kRate); i < size_t(t1 * kRate); ++i) {
        const double t = double(i) / kRate;
        const double n = d.unit() * 2 - 1;
        const double first = n - a, second = first - b;
        a = n, b = first;
        const double pulse = 0.6 + 0.4 * std::exp(-std::fmod(t - t0, kBeat / 4) * 30);
        m.add(i, second * 0.25 * gain * pulse, std::sin(t * 1.7) * 0.6);
    }
}

// A sweep of high noise into a section: the same twice-differenced noise, rising in level.
void sweep(Mix& m, Dice& d, double t0, double t1, double gain) {
    double a = 0, b = 0;
    for (size_t i = size_t(t0 * kRate); i < size_t(t1 * kRate); ++i) {
        const double u = (double(i) / kRate - t0) / (t1 - t0);
        const double n = d.unit() * 2 - 1;
        const double first = n - a, second = first - b;
        a = n, b = first;
        m.add(i, second * 0.25 * gain * u * u, -0.5 + u);
    }
}

// Integrated loudness of interleaved stereo in LUFS (EBU R 128); -HUGE_VAL for silence.
double integratedLoudness(const std::vector<float>& stereo) {
    std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(ebur128_init(2, kRate, EBUR128_MODE_I),
                                                                   [](ebur128_state* s) { ebur128_destroy(&s); });
    double lufs = -HUGE_VAL;
    if (!state || ebur128_add_frames_float(state.get(), stereo.data(), stereo.size() / 2) != EBUR128_SUCCESS ||
        ebur128_loudness_global(state.get(), &lufs) != EBUR128_SUCCESS)
        return -HUGE_VAL;
    return lufs;
}

// A look-ahead peak limiter: each frame's gain is the smallest that keeps the frames of the next 1.5 ms
// under the ceiling, reached by a straight ramp over those 1.5 ms and released over about 60 ms.
std::vector<float> limit(const std::vector<float>& stereo, double inputGain, double ceiling) {
    const size_t frames = stereo.size() / 2, ahead = size_t(0.0015 * kRate);
    std::vector<double> need(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double p = std::max(std::fabs(stereo[2 * i]), std::fabs(stereo[2 * i + 1])) * inputGain;
        need[i] = p > ceiling ? ceiling / p : 1.0;
    }
    std::vector<double> gain(frames);
    std::deque<size_t> window;  // indices of need[] in the look-ahead window, their values increasing
    for (size_t i = frames; i-- > 0;) {
        while (!window.empty() && need[window.back()] >= need[i]) window.pop_back();
        window.push_back(i);
        while (window.front() > i + ahead) window.pop_front();
        gain[i] = need[window.front()];
    }
    const double step = 1.0 / double(ahead);  // the ramp down towards a peak
    for (size_t i = frames - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + step);
    const double release = 1.0 - std::exp(-1.0 / (0.06 * kRate));
    std::vector<float> out(stereo.size());
    double g = 1.0;
    for (size_t i = 0; i < frames; ++i) {
        g = std::min(gain[i], g + (1.0 - g) * release);
        out[2 * i] = float(stereo[2 * i] * inputGain * g);
        out[2 * i + 1] = float(stereo[2 * i + 1] * inputGain * g);
    }
    return out;
}

bool near(double t, double width) {
    for (float a : kAccentTimes)
        if (std::fabs(t - a) < width) return true;
    return false;
}

}  // namespace

std::vector<float> synthesiseShowMusic() {
    Mix m;
    Dice d(2026);
    const Section intro{0, 14}, drop{15.1, 30.5}, breakdown{30.5, 36.5}, full1{36.5, 53.6}, heavy{53.6, 68.4},
        full2{68.4, 84.3}, bars{84.3, 99.6}, full3{99.6, 116.1}, outro{116.1, 122};

    // Pads under everything but the drums' sections' starts: one chord every two bars.
    for (double t = 0; t < 120; t += 8 * kBeat) {
        const int c = chordAt(t);
        const bool quiet = t < intro.end;
        const double cutoff = quiet ? 300 + 60 * t : (t >= heavy.start && t < heavy.end ? 500 : 1400);
        const double gain = t >= outro.start ? 0.05 : quiet ? 0.03 + 0.003 * t : 0.05;
        for (int k = 0; k < 3; ++k)
            voice(m, t, 8 * kBeat, note(kChords[c][k] + 12), gain, cutoff, 0.6, 1.5, k - 1.0, 0.004);
    }
    riser(m, d, 12.0, 15.1);

    auto beats = [](const Section& s, double step, auto&& f) {
        int k = 0;
        for (double t = s.start; t < s.end - 1e-9; t = s.start + (++k) * step) f(t, k);
    };
    for (const Section* s : {&drop, &full1, &full2, &bars, &full3}) {
        beats(*s, kBeat, [&](double t, int k) {
            kick(m, t, 0.55);
            if (s != &drop && s != &bars && k % 2 == 1) snare(m, d, t, 0.28);
        });
        beats(*s, kBeat / 2, [&](double t, int k) {
            const bool bright = t >= 90.0 && t < 97.6;
            if (!bright && !near(t, 0.03)) hat(m, d, t + (k % 2 ? 0.01 : 0), 0.16, 45, 0.4);
        });
        beats(*s, kBeat / 2, [&](double t, int k) {
            const int c = chordAt(t);
            const int n = kChords[c][0] - 12 + ((k % 4 == 3) ? 12 : 0);
            voice(m, t, kBeat / 2 * 0.8, note(n), 0.16, 420, 0.005, 0.05, 0);
        });
    }
    // Bright hi-hats in sixteenths under the spectrum bars (90 to 97.6 s).
    beats({90.0, 97.6}, kBeat / 4, [&](double t, int k) { hat(m, d, t, k % 4 == 0 ? 0.5 : 0.34, 22, k % 2 ? 0.5 : -0.5); });
    // Half-time heavy section: kick on one and three, long bass notes.
    beats(heavy, kBeat, [&](double t, int k) {
        if (k % 4 == 0) kick(m, t, 0.6);
        if (k % 4 == 2) snare(m, d, t, 0.35);
        if (k % 2 == 0) voice(m, t, kBeat * 1.8, note(kChords[chordAt(t)][0] - 12), 0.2, 300, 0.01, 0.2, 0);
    });
    // Arpeggios.
    for (const Section* s : {&breakdown, &full1, &bars}) {
        beats(*s, kBeat / 4, [&](double t, int k) {
            const int c = chordAt(t);
            const int n = kChords[c][k % 3] + 24 + (k % 8 >= 6 ? 12 : 0);
            pluck(m, t, note(n), 0.07, (k % 2) ? -0.6 : 0.6);
        });
    }
    // A lead over the second full section.
    const int melody[] = {12, 15, 19, 17, 15, 12, 10, 12, 15, 17, 19, 22, 19, 17, 15, 14};
    beats(full2, kBeat, [&](double t, int k) {
        voice(m, t, kBeat * 0.9, note(melody[k % 16] + 12), 0.06, 2500, 0.02, 0.2, 0.2, 0.003);
    });
    // Air over the sections with drums, more of it under the spectrum bars; sweeps into the sections.
    for (const Section* s : {&drop, &full1, &full2, &full3}) air(m, d, s->start, s->end, 0.05);
    air(m, d, bars.start, bars.end, 0.09);
    for (const Section* s : {&full1, &heavy, &full2, &bars, &full3}) sweep(m, d, s->start - 2.0, s->start - 0.05, 0.12);
    // A hit on every flash, a crash over a kick, each after the mix so far steps aside for it.
    for (float a : kAccentTimes) {
        for (size_t i = size_t((a - 0.1) * kRate); i < size_t((a + 0.03) * kRate) && i < m.frames(); ++i) {
            const double level = duckLevel(double(i) / kRate, a);
            m.left[i] = float(m.left[i] * level), m.right[i] = float(m.right[i] * level);
        }
        crash(m, d, a, 1.0);
        kick(m, a, 0.6);
    }

    // Master: fade out to silence by 122 s, then the gain that brings the limited mix to -13.3 LUFS, found
    // by bisection, with sample peaks held at -3 dBFS. Measured on the decoded MP3 (which loses some highs
    // and gains about 1.5 dB of peak in the encoding): -14.0 LUFS integrated, true peak -1.35 dBTP.
    std::vector<float> faded(m.frames() * 2);
    for (size_t i = 0; i < m.frames(); ++i) {
        const double t = double(i) / kRate;
        const double fade = t < outro.start ? 1.0 : std::max(0.0, 1.0 - (t - outro.start) / (outro.end - outro.start));
        faded[2 * i] = float(m.left[i] * fade);
        faded[2 * i + 1] = float(m.right[i] * fade);
    }
    const double ceiling = std::pow(10.0, -3.0 / 20), target = -13.3;
    double low = 0.1, high = 20.0;
    for (int k = 0; k < 14; ++k) {
        const double mid = std::sqrt(low * high);
        (integratedLoudness(limit(faded, mid, ceiling)) < target ? low : high) = mid;
    }
    return limit(faded, std::sqrt(low * high), ceiling);
}

bool writeShowMusic(const std::string& dir, std::string& reason) {
    const std::vector<float> samples = synthesiseShowMusic();
    // LAME would cut everything above about 17 kHz at this rate; the spectrum bars reach up to 22 kHz.
    return encodeMp3((std::filesystem::path(dir) / "Velm_test2.mp3").string(), samples, {kRate, 2, 160, 7, true, 19500},
                     reason);
}
