#include "compose/synth.h"

#include <cmath>

namespace {

constexpr float synth_rate = static_cast<float>(synth_rate_hz);
constexpr float synth_pi = 3.14159265358979f;
// Filters are retuned once per block of this many frames, not per frame.
constexpr int32_t synth_control_frames = 32;

// How each voice sits in the mix. `held`: it sounds for the note's gate and
// then its tail; otherwise the note is a hit whose tail is all of its sound.
// A tail lasts about seven time constants of the voice's slowest decay
// (down to -60 dB), so that no note is cut off audibly.
struct VoiceSetting {
    float gain;
    float pan;  // -1 left .. +1 right
    float reverb;
    float echo;
    float tail_s;
    bool held;
};

constexpr VoiceSetting synth_voices[] = {
    {0.95f, 0.00f, 0.00f, 0.00f, 0.70f, false},   // kick: decays in 0.10 s
    {0.50f, 0.00f, 0.18f, 0.00f, 0.80f, false},   // snare: 0.11 s
    {0.45f, 0.05f, 0.25f, 0.00f, 0.65f, false},   // clap: 0.09 s
    {0.16f, 0.30f, 0.04f, 0.00f, 0.18f, false},   // hat: 0.025 s
    {0.14f, 0.30f, 0.08f, 0.00f, 1.10f, false},   // open_hat: 0.16 s
    {0.20f, -0.25f, 0.20f, 0.00f, 4.80f, false},  // crash: 0.7 s
    {0.55f, 0.00f, 0.20f, 0.00f, 1.10f, false},   // tom: 0.16 s
    {0.60f, -0.35f, 0.05f, 0.00f, 0.65f, false},  // shaker: 0.09 s
    {0.55f, 0.00f, 0.00f, 0.00f, 0.14f, true},    // bass: releases in 0.02 s
    {0.60f, 0.00f, 0.00f, 0.00f, 0.18f, true},    // sub: 0.025 s
    {0.16f, 0.00f, 0.35f, 0.05f, 0.85f, true},    // pad: 0.12 s
    {0.22f, 0.00f, 0.30f, 0.20f, 0.28f, true},    // stab: 0.04 s
    {0.26f, 0.05f, 0.22f, 0.28f, 0.28f, true},    // lead: 0.04 s
    {0.12f, -0.10f, 0.15f, 0.25f, 0.09f, true},   // chip: 0.012 s
    {0.22f, 0.00f, 0.15f, 0.35f, 0.18f, true},    // pluck: 0.025 s
    {0.20f, 0.00f, 0.40f, 0.30f, 3.10f, false},   // bell: 0.45 s
    {0.20f, 0.00f, 0.35f, 0.00f, 0.42f, true},    // riser: 0.06 s
    {0.48f, 0.00f, 0.20f, 0.00f, 2.10f, true},    // air: 0.3 s
};
static_assert(sizeof synth_voices / sizeof synth_voices[0] == voice_count);

// ---- primitives -------------------------------------------------------

constexpr int synth_sine_size = 4096;

struct SineTable {
    float value[synth_sine_size + 1];
};

const SineTable& synth_sine_table() {
    static const SineTable table = [] {
        SineTable t{};
        for (int i = 0; i <= synth_sine_size; ++i)
            t.value[i] = static_cast<float>(std::sin(2.0 * M_PI * i / synth_sine_size));
        return t;
    }();
    return table;
}

// sin(2 pi phase) for a phase in cycles, any sign or size.
inline float synth_sine(const SineTable& table, float phase) {
    phase -= std::floor(phase);
    const float at = phase * synth_sine_size;
    const int i = static_cast<int>(at);
    const float frac = at - static_cast<float>(i);
    return table.value[i] + (table.value[i + 1] - table.value[i]) * frac;
}

inline float synth_wrap(float phase) {
    return phase >= 1.0f ? phase - 1.0f : phase;
}

// A sawtooth from -1 to 1 with its jump smoothed by a polynomial step, so
// that the harmonics above half the rate do not fold back as noise.
inline float synth_saw(float phase, float step) {
    float value = 2.0f * phase - 1.0f;
    if (phase < step) {
        const float t = phase / step;
        value -= t + t - t * t - 1.0f;
    } else if (phase > 1.0f - step) {
        const float t = (phase - 1.0f) / step;
        value -= t * t + t + t + 1.0f;
    }
    return value;
}

inline float synth_hz(float pitch) {
    return 440.0f * std::exp2((pitch - 69.0f) / 12.0f);
}

// Decay per frame that takes a level down by e in `seconds`.
inline float synth_decay(float seconds) {
    return std::exp(-1.0f / (seconds * synth_rate));
}

// White noise from a 32-bit xorshift; seeded per note.
struct Noise {
    uint32_t state;
};

inline float synth_noise(Noise& n) {
    n.state ^= n.state << 13;
    n.state ^= n.state >> 17;
    n.state ^= n.state << 5;
    return static_cast<float>(static_cast<int32_t>(n.state)) * (1.0f / 2147483648.0f);
}

Noise synth_noise_for(const Note& note) {
    uint32_t seed = static_cast<uint32_t>(note.start_frame) * 2654435761u ^
                    (static_cast<uint32_t>(note.voice) + 1u) * 40503u;
    if (seed == 0) seed = 1;
    return {seed};
}

// Zero-delay-feedback state variable filter: low, band and high outputs.
struct Svf {
    float k, a1, a2, a3;
    float ic1, ic2;
};

struct SvfOut {
    float low, band, high;
};

void synth_svf_tune(Svf& f, float cutoff_hz, float q) {
    const float top = 0.45f * synth_rate;
    if (cutoff_hz > top) cutoff_hz = top;
    if (cutoff_hz < 20.0f) cutoff_hz = 20.0f;
    const float g = std::tan(synth_pi * cutoff_hz / synth_rate);
    f.k = 1.0f / q;
    f.a1 = 1.0f / (1.0f + g * (g + f.k));
    f.a2 = g * f.a1;
    f.a3 = g * f.a2;
}

Svf synth_svf_make(float cutoff_hz, float q) {
    Svf f{};
    synth_svf_tune(f, cutoff_hz, q);
    return f;
}

inline SvfOut synth_svf_step(Svf& f, float in) {
    const float v3 = in - f.ic2;
    const float v1 = f.a1 * f.ic1 + f.a2 * v3;
    const float v2 = f.ic2 + f.a2 * f.ic1 + f.a3 * v3;
    f.ic1 = 2.0f * v1 - f.ic1;
    f.ic2 = 2.0f * v2 - f.ic2;
    return {v2, v1, in - f.k * v1 - v2};
}

// Linear attack, exponential decay to the sustain level while the gate is
// held, exponential release after it.
struct Envelope {
    float attack_step;
    float decay;
    float sustain;
    float release;
    int32_t gate;
    float level;
    bool rising;
};

Envelope synth_envelope_make(float attack_s, float decay_s, float sustain, float release_s,
                             int32_t gate) {
    const float attack_frames = attack_s * synth_rate;
    return {attack_frames < 1.0f ? 1.0f : 1.0f / attack_frames,
            synth_decay(decay_s),
            sustain,
            synth_decay(release_s),
            gate,
            0.0f,
            true};
}

inline float synth_envelope_step(Envelope& e, int32_t i) {
    if (i < e.gate) {
        if (e.rising) {
            e.level += e.attack_step;
            if (e.level >= 1.0f) {
                e.level = 1.0f;
                e.rising = false;
            }
        } else {
            e.level = e.sustain + (e.level - e.sustain) * e.decay;
        }
    } else {
        e.level *= e.release;
    }
    return e.level;
}

// Where a note's samples go: pan gains and sends folded with the voice's
// gain and the note's velocity.
struct Out {
    float* left;
    float* right;
    float* reverb;
    float* echo;
    float to_left, to_right, to_reverb, to_echo;
};

inline void synth_out_mono(const Out& o, int32_t frame, float s) {
    o.left[frame] += s * o.to_left;
    o.right[frame] += s * o.to_right;
    o.reverb[frame] += s * o.to_reverb;
    o.echo[frame] += s * o.to_echo;
}

inline void synth_out_stereo(const Out& o, int32_t frame, float l, float r) {
    o.left[frame] += l * o.to_left;
    o.right[frame] += r * o.to_right;
    const float m = 0.5f * (l + r);
    o.reverb[frame] += m * o.to_reverb;
    o.echo[frame] += m * o.to_echo;
}

// ---- drums --------------------------------------------------------------
// Each renders frames [0, count) of its note at mix frame `at + i`.

void synth_kick(const Note&, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float sweep_decay = synth_decay(0.030f);
    const float amp_decay = synth_decay(0.10f);
    const float click_decay = synth_decay(0.0025f);
    float sweep = 110.0f, amp = 1.0f, click = 0.35f, phase = 0.0f;
    Noise noise{0x1234567u};
    Svf click_filter = synth_svf_make(3000.0f, 0.7f);
    for (int32_t i = 0; i < count; ++i) {
        phase = synth_wrap(phase + (50.0f + sweep) / synth_rate);
        const float body = synth_sine(sine, phase) * amp;
        const float tick = synth_svf_step(click_filter, synth_noise(noise)).low * click;
        synth_out_mono(o, at + i, body + tick);
        sweep *= sweep_decay;
        amp *= amp_decay;
        click *= click_decay;
    }
}

void synth_snare(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float body_decay = synth_decay(0.045f);
    const float noise_decay = synth_decay(0.11f);
    float body = 0.8f, hiss = 0.9f, p1 = 0.0f, p2 = 0.0f;
    Noise noise = synth_noise_for(note);
    Svf band = synth_svf_make(2600.0f, 0.5f);
    for (int32_t i = 0; i < count; ++i) {
        p1 = synth_wrap(p1 + 185.0f / synth_rate);
        p2 = synth_wrap(p2 + 330.0f / synth_rate);
        const float tone = (synth_sine(sine, p1) + 0.5f * synth_sine(sine, p2)) * body;
        const float n = synth_svf_step(band, synth_noise(noise)).band * hiss;
        synth_out_mono(o, at + i, tone + 1.6f * n);
        body *= body_decay;
        hiss *= noise_decay;
    }
}

void synth_clap(const Note& note, const Out& o, int32_t at, int32_t count) {
    const int32_t burst_frames = synth_rate_hz / 100;  // 10 ms apart
    const float burst_decay = synth_decay(0.004f);
    const float tail_decay = synth_decay(0.09f);
    float burst = 1.0f, tail = 0.8f;
    Noise noise = synth_noise_for(note);
    Svf band = synth_svf_make(1300.0f, 1.2f);
    for (int32_t i = 0; i < count; ++i) {
        if (i < 3 * burst_frames && i % burst_frames == 0) burst = 1.0f;
        burst *= burst_decay;
        float amp = burst;
        if (i >= 3 * burst_frames) {
            tail *= tail_decay;
            amp += tail;
        }
        synth_out_mono(o, at + i, 2.2f * synth_svf_step(band, synth_noise(noise)).band * amp);
    }
}

void synth_metal(const Note& note, const Out& o, int32_t at, int32_t count, float cutoff_hz,
                 float decay_s) {
    const float decay = synth_decay(decay_s);
    float amp = 1.0f;
    Noise noise = synth_noise_for(note);
    Svf high = synth_svf_make(cutoff_hz, 0.8f);
    for (int32_t i = 0; i < count; ++i) {
        synth_out_mono(o, at + i, synth_svf_step(high, synth_noise(noise)).high * amp);
        amp *= decay;
    }
}

void synth_tom(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float base = synth_hz(note.pitch);
    const float sweep_decay = synth_decay(0.04f);
    const float amp_decay = synth_decay(0.16f);
    float sweep = 0.6f, amp = 1.0f, phase = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        phase = synth_wrap(phase + base * (1.0f + sweep) / synth_rate);
        synth_out_mono(o, at + i, synth_sine(sine, phase) * amp);
        sweep *= sweep_decay;
        amp *= amp_decay;
    }
}

void synth_shaker(const Note& note, const Out& o, int32_t at, int32_t count) {
    const int32_t attack_frames = synth_rate_hz / 200;  // 5 ms
    const float decay = synth_decay(0.090f);
    float amp = 1.0f;
    Noise noise = synth_noise_for(note);
    Svf low_cut = synth_svf_make(1200.0f, 0.7f);
    Svf high_cut = synth_svf_make(3800.0f, 0.7f);
    for (int32_t i = 0; i < count; ++i) {
        float shape = amp;
        if (i < attack_frames) {
            shape = static_cast<float>(i) / attack_frames;
        } else {
            amp *= decay;
        }
        const float band =
            synth_svf_step(high_cut, synth_svf_step(low_cut, synth_noise(noise)).high).low;
        synth_out_mono(o, at + i, 2.0f * band * shape);
    }
}

// ---- tones --------------------------------------------------------------

void synth_bass(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float hz = synth_hz(note.pitch);
    const float step = hz / synth_rate;
    const float sweep_decay = synth_decay(0.09f);
    Envelope amp = synth_envelope_make(0.003f, 0.25f, 0.75f, 0.02f, note.gate_frames);
    Svf filter = synth_svf_make(400.0f, 1.1f);
    float sweep = 1.0f, phase = 0.0f, sub_phase = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        if (i % synth_control_frames == 0) synth_svf_tune(filter, 160.0f + 1500.0f * sweep, 1.1f);
        phase = synth_wrap(phase + step);
        sub_phase = synth_wrap(sub_phase + 0.5f * step);
        const float saw = synth_svf_step(filter, synth_saw(phase, step)).low;
        synth_out_mono(
            o, at + i,
            (0.55f * saw + 0.5f * synth_sine(sine, sub_phase)) * synth_envelope_step(amp, i));
        sweep *= sweep_decay;
    }
}

void synth_sub(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float step = synth_hz(note.pitch) / synth_rate;
    Envelope amp = synth_envelope_make(0.006f, 1.0f, 1.0f, 0.025f, note.gate_frames);
    float phase = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        phase = synth_wrap(phase + step);
        synth_out_mono(o, at + i, synth_sine(sine, phase) * synth_envelope_step(amp, i));
    }
}

// Three saws a few cents apart: the low one left, the high one right.
void synth_saws(const Note& note, const Out& o, int32_t at, int32_t count, Envelope amp,
                float cutoff_hz, float cutoff_sweep_hz, float sweep_s) {
    const float hz = synth_hz(note.pitch);
    const float steps[3] = {hz * 0.9948f / synth_rate, hz / synth_rate, hz * 1.0052f / synth_rate};
    float phases[3] = {0.0f, 0.33f, 0.67f};
    const float sweep_decay = synth_decay(sweep_s);
    float sweep = 1.0f;
    Svf left = synth_svf_make(cutoff_hz, 0.8f);
    Svf right = left;
    for (int32_t i = 0; i < count; ++i) {
        if (i % synth_control_frames == 0) {
            synth_svf_tune(left, cutoff_hz + cutoff_sweep_hz * sweep, 0.8f);
            right = Svf{left.k, left.a1, left.a2, left.a3, right.ic1, right.ic2};
        }
        float s[3];
        for (int v = 0; v < 3; ++v) {
            phases[v] = synth_wrap(phases[v] + steps[v]);
            s[v] = synth_saw(phases[v], steps[v]);
        }
        const float e = synth_envelope_step(amp, i);
        const float l = synth_svf_step(left, s[0] + 0.7f * s[1]).low;
        const float r = synth_svf_step(right, s[2] + 0.7f * s[1]).low;
        synth_out_stereo(o, at + i, l * e, r * e);
        sweep *= sweep_decay;
    }
}

void synth_lead(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float hz = synth_hz(note.pitch);
    const int32_t vibrato_from = synth_rate_hz / 6;
    const float sweep_decay = synth_decay(0.25f);
    Envelope amp = synth_envelope_make(0.006f, 0.4f, 0.8f, 0.04f, note.gate_frames);
    Svf filter = synth_svf_make(2000.0f, 1.3f);
    float phases[2] = {0.0f, 0.5f};
    float sweep = 1.0f, vibrato_phase = 0.0f, depth = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        if (i % synth_control_frames == 0) synth_svf_tune(filter, 1100.0f + 3200.0f * sweep, 1.3f);
        if (i >= vibrato_from && depth < 0.004f) depth += 0.004f / synth_rate_hz * 4.0f;
        vibrato_phase = synth_wrap(vibrato_phase + 5.5f / synth_rate);
        const float bend = 1.0f + depth * synth_sine(sine, vibrato_phase);
        const float step0 = hz * 0.9965f * bend / synth_rate;
        const float step1 = hz * 1.0035f * bend / synth_rate;
        phases[0] = synth_wrap(phases[0] + step0);
        phases[1] = synth_wrap(phases[1] + step1);
        const float saws = synth_saw(phases[0], step0) + synth_saw(phases[1], step1);
        synth_out_mono(o, at + i,
                       0.6f * synth_svf_step(filter, saws).low * synth_envelope_step(amp, i));
        sweep *= sweep_decay;
    }
}

void synth_chip(const Note& note, const Out& o, int32_t at, int32_t count) {
    const float step = synth_hz(note.pitch) / synth_rate;
    Envelope amp = synth_envelope_make(0.001f, 0.12f, 0.55f, 0.012f, note.gate_frames);
    Svf filter = synth_svf_make(6000.0f, 0.7f);
    float phase = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        phase = synth_wrap(phase + step);
        const float square = synth_saw(phase, step) - synth_saw(synth_wrap(phase + 0.5f), step);
        synth_out_mono(o, at + i, synth_svf_step(filter, square).low * synth_envelope_step(amp, i));
    }
}

void synth_pluck(const Note& note, const Out& o, int32_t at, int32_t count) {
    const float step = synth_hz(note.pitch) / synth_rate;
    const float sweep_decay = synth_decay(0.07f);
    Envelope amp = synth_envelope_make(0.001f, 0.30f, 0.0f, 0.025f, note.gate_frames);
    Svf filter = synth_svf_make(5000.0f, 1.0f);
    float phase = 0.0f, sweep = 1.0f;
    for (int32_t i = 0; i < count; ++i) {
        if (i % synth_control_frames == 0) synth_svf_tune(filter, 900.0f + 3500.0f * sweep, 1.0f);
        phase = synth_wrap(phase + step);
        synth_out_mono(
            o, at + i,
            synth_svf_step(filter, synth_saw(phase, step)).low * synth_envelope_step(amp, i));
        sweep *= sweep_decay;
    }
}

void synth_bell(const Note& note, const Out& o, int32_t at, int32_t count) {
    const SineTable& sine = synth_sine_table();
    const float step = synth_hz(note.pitch) / synth_rate;
    const float amp_decay = synth_decay(0.45f);
    const float index_decay = synth_decay(0.25f);
    float amp = 1.0f, index = 2.2f, carrier = 0.0f, modulator = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        carrier = synth_wrap(carrier + step);
        modulator = synth_wrap(modulator + 3.5f * step);
        const float s = synth_sine(sine, carrier + index * synth_sine(sine, modulator) * 0.159f);
        const float attack = i < 88 ? static_cast<float>(i) / 88.0f : 1.0f;
        synth_out_mono(o, at + i, s * amp * attack);
        amp *= amp_decay;
        index *= index_decay;
    }
}

// A band of noise climbing from 300 Hz to 6 kHz over the gate, growing louder.
void synth_riser(const Note& note, const Out& o, int32_t at, int32_t count) {
    const float gate = static_cast<float>(note.gate_frames < 1 ? 1 : note.gate_frames);
    const float release = synth_decay(0.06f);
    Noise noise = synth_noise_for(note);
    Svf band = synth_svf_make(300.0f, 2.0f);
    float amp = 0.0f;
    for (int32_t i = 0; i < count; ++i) {
        if (i < note.gate_frames) {
            const float x = static_cast<float>(i) / gate;
            if (i % synth_control_frames == 0)
                synth_svf_tune(band, 300.0f * std::exp2(4.3f * x), 2.0f);
            amp = x * x;
        } else {
            amp *= release;
        }
        synth_out_mono(o, at + i, 2.5f * synth_svf_step(band, synth_noise(noise)).band * amp);
    }
}

// Independent noise on each side, so the band sounds wide, not central.
// Two filters on each edge keep the band's energy inside it.
void synth_air(const Note& note, const Out& o, int32_t at, int32_t count) {
    Envelope amp = synth_envelope_make(0.8f, 1.0f, 1.0f, 0.3f, note.gate_frames);
    Noise noise[2] = {synth_noise_for(note), {synth_noise_for(note).state ^ 0x9E3779B9u}};
    const Svf low_edge = synth_svf_make(700.0f, 0.7f);
    const Svf high_edge = synth_svf_make(4000.0f, 0.95f);
    Svf filters[2][4] = {{low_edge, low_edge, high_edge, high_edge},
                         {low_edge, low_edge, high_edge, high_edge}};
    for (int32_t i = 0; i < count; ++i) {
        const float e = synth_envelope_step(amp, i);
        float side[2];
        for (int c = 0; c < 2; ++c) {
            float x = synth_noise(noise[c]);
            x = synth_svf_step(filters[c][0], x).high;
            x = synth_svf_step(filters[c][1], x).high;
            x = synth_svf_step(filters[c][2], x).low;
            side[c] = synth_svf_step(filters[c][3], x).low;
        }
        synth_out_stereo(o, at + i, 2.0f * side[0] * e, 2.0f * side[1] * e);
    }
}

}  // namespace

int32_t synth_release_frames(Voice voice) {
    return static_cast<int32_t>(synth_voices[static_cast<int>(voice)].tail_s * synth_rate);
}

void synth_render(const Note& note, Mix& mix) {
    const VoiceSetting& v = synth_voices[static_cast<int>(note.voice)];
    if (note.start_frame >= mix.frames || note.start_frame < 0) return;
    int32_t count = synth_release_frames(note.voice) + (v.held ? note.gate_frames : 0);
    if (count > mix.frames - note.start_frame) count = mix.frames - note.start_frame;
    if (count <= 0) return;

    // Constant-power pan; the bell and the pluck spread by pitch.
    float pan = v.pan;
    if (note.voice == Voice::pluck || note.voice == Voice::bell)
        pan += (note.pitch - 72.0f) / 30.0f;
    if (pan < -1.0f) pan = -1.0f;
    if (pan > 1.0f) pan = 1.0f;
    const float angle = (pan + 1.0f) * 0.25f * synth_pi;
    const float level = v.gain * note.velocity;
    const Out o = {mix.left,
                   mix.right,
                   mix.reverb_send,
                   mix.echo_send,
                   level * std::cos(angle) * 1.41421356f,
                   level * std::sin(angle) * 1.41421356f,
                   level * v.reverb,
                   level * v.echo};
    const int32_t at = note.start_frame;

    switch (note.voice) {
        case Voice::kick:
            synth_kick(note, o, at, count);
            break;
        case Voice::snare:
            synth_snare(note, o, at, count);
            break;
        case Voice::clap:
            synth_clap(note, o, at, count);
            break;
        case Voice::hat:
            synth_metal(note, o, at, count, 7500.0f, 0.025f);
            break;
        case Voice::open_hat:
            synth_metal(note, o, at, count, 7000.0f, 0.16f);
            break;
        case Voice::crash:
            synth_metal(note, o, at, count, 3800.0f, 0.7f);
            break;
        case Voice::tom:
            synth_tom(note, o, at, count);
            break;
        case Voice::shaker:
            synth_shaker(note, o, at, count);
            break;
        case Voice::bass:
            synth_bass(note, o, at, count);
            break;
        case Voice::sub:
            synth_sub(note, o, at, count);
            break;
        case Voice::pad:
            synth_saws(note, o, at, count,
                       synth_envelope_make(0.06f, 0.8f, 0.8f, 0.12f, note.gate_frames), 3800.0f,
                       1500.0f, 0.5f);
            break;
        case Voice::stab:
            synth_saws(note, o, at, count,
                       synth_envelope_make(0.003f, 0.18f, 0.0f, 0.04f, note.gate_frames), 900.0f,
                       4200.0f, 0.12f);
            break;
        case Voice::lead:
            synth_lead(note, o, at, count);
            break;
        case Voice::chip:
            synth_chip(note, o, at, count);
            break;
        case Voice::pluck:
            synth_pluck(note, o, at, count);
            break;
        case Voice::bell:
            synth_bell(note, o, at, count);
            break;
        case Voice::riser:
            synth_riser(note, o, at, count);
            break;
        case Voice::air:
            synth_air(note, o, at, count);
            break;
        case Voice::count:
            break;
    }
}
