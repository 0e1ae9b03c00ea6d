#include "compose/score.h"

#include <cmath>

namespace {

// ---- how the tables read ------------------------------------------------
//
// A part plays one voice from a line of bars. Loop lines have bars of 16
// sixteenth steps and repeat from the section's start; a `once` line plays
// once from the start; an `ending` line ends exactly at the section's end
// and, while it plays, silences the loop of the same voice (a fill).
//
// One character per step (spaces are only for the eye):
//   hits     X accent, x normal, , ghost, - hold, . rest
//   toms     1..4 high to low tom
//   degrees  R/r root (loud/soft), O/o octave, 5 fifth, 3 third, 7 seventh
//   chords   X/x the whole chord
//   arp      0..9 chord tones upwards from the part's base
// Notes read one word per step: a note name with its octave (A4, C#5, Bb3),
// - to hold, . to rest.
// Chords: one bar per entry, several names in an entry share the bar.

enum class Reading : uint8_t { hits, toms, degrees, chords, arp, notes };
enum class Place : uint8_t { loop, once, ending };

// A table of bars, made from the array itself so that rows need no count.
struct Line {
    template <int32_t N>
    constexpr Line(const char* const (&table)[N]) : bars(table), count(N) {}
    const char* const* bars;
    int32_t count;
};

struct Part {
    Voice voice;
    Reading reading;
    Place place;
    Line bars;
    int8_t base;  // lowest pitch (degrees, chords, arp), tom pitch, or transposition (notes)
    float level;
};

struct Parts {
    template <int32_t N>
    constexpr Parts(const Part (&table)[N]) : rows(table), count(N) {}
    const Part* rows;
    int32_t count;
};

struct Section {
    int32_t start_ms;
    const char* name;
    float level_db;  // the whole section's level against the others
    Line chords;
    Parts parts;
};

// ---- reading words and steps (also at compile time, to check the tables) -

struct Word {
    const char* text;
    int32_t length;
};

constexpr bool score_space(char c) {
    return c == ' ';
}

// The `step`th step of a bar, or a word of length 0 past its end.
constexpr Word score_word(const char* bar, Reading reading, int32_t step) {
    int32_t index = 0;
    for (const char* p = bar; *p != '\0';) {
        if (score_space(*p)) {
            ++p;
            continue;
        }
        int32_t length = 1;
        if (reading == Reading::notes)
            while (p[length] != '\0' && !score_space(p[length])) ++length;
        if (index == step) return {p, length};
        ++index;
        p += length;
    }
    return {bar, 0};
}

constexpr int32_t score_bar_steps(const char* bar, Reading reading) {
    int32_t steps = 0;
    while (score_word(bar, reading, steps).length > 0) ++steps;
    return steps;
}

constexpr int32_t score_line_steps(const Line& l, Reading reading) {
    int32_t steps = 0;
    for (int32_t b = 0; b < l.count; ++b) steps += score_bar_steps(l.bars[b], reading);
    return steps;
}

constexpr bool score_is(const Word& w, char c) {
    return w.length == 1 && w.text[0] == c;
}

// Semitone of a note letter above C, or -1.
constexpr int32_t score_letter(char c) {
    switch (c) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

// Pitch class (0..11) and the characters it took, from the start of `text`.
struct PitchClass {
    int32_t semitone;
    int32_t length;
};

constexpr PitchClass score_pitch_class(const char* text) {
    const int32_t letter = score_letter(text[0]);
    if (letter < 0) return {-1, 0};
    if (text[1] == '#') return {(letter + 1) % 12, 2};
    if (text[1] == 'b') return {(letter + 11) % 12, 2};
    return {letter, 1};
}

// MIDI note of a word like "C#5", or -1.
constexpr int32_t score_note(const Word& w) {
    const PitchClass pc = score_pitch_class(w.text);
    if (pc.semitone < 0 || pc.length + 1 != w.length) return -1;
    const char octave = w.text[pc.length];
    if (octave < '0' || octave > '8') return -1;
    return 12 * (octave - '0' + 1) + pc.semitone;
}

struct ChordShape {
    const char* suffix;
    int32_t count;
    int32_t intervals[4];
};

constexpr ChordShape score_chord_shapes[] = {
    {"", 3, {0, 4, 7, 0}},       // major
    {"m", 3, {0, 3, 7, 0}},      // minor
    {"7", 4, {0, 4, 7, 10}},     // dominant seventh
    {"m7", 4, {0, 3, 7, 10}},    // minor seventh
    {"maj7", 4, {0, 4, 7, 11}},  // major seventh
    {"sus4", 3, {0, 5, 7, 0}},   // suspended fourth
    {"add9", 4, {0, 4, 7, 14}},  // major with the ninth
};

struct Chord {
    int32_t root;  // pitch class
    int32_t count;
    int32_t intervals[4];
};

constexpr bool score_same(const char* a, int32_t a_length, const char* b) {
    int32_t i = 0;
    for (; i < a_length; ++i)
        if (b[i] != a[i]) return false;
    return b[i] == '\0';
}

// A chord name like "Am", "F", "Fmaj7", "G#m7"; count 0 if it is not one.
constexpr Chord score_chord(const Word& w) {
    const PitchClass pc = score_pitch_class(w.text);
    if (pc.semitone < 0) return {0, 0, {}};
    for (const ChordShape& shape : score_chord_shapes) {
        if (score_same(w.text + pc.length, w.length - pc.length, shape.suffix)) {
            return {
                pc.semitone,
                shape.count,
                {shape.intervals[0], shape.intervals[1], shape.intervals[2], shape.intervals[3]}};
        }
    }
    return {0, 0, {}};
}

// ---- the score ------------------------------------------------------------
// A minor throughout. The opening and closing sections carry a full low
// and low-mid range (kick, bass, pad and arpeggio) and a swelling band of
// air up to 4 kHz, because the show draws its spectrum bars (0 to 3.4 kHz)
// from them; the other sections sit lower, so that the whole track comes
// to about -14 LUFS.

// Chord lines.
constexpr const char* score_chords_home[] = {"Am", "F", "C", "G"};
constexpr const char* score_chords_title[] = {"F", "G", "Am"};
constexpr const char* score_chords_sparkle[] = {"Fmaj7", "Em7", "Dm7", "Am7"};
constexpr const char* score_chords_waves[] = {"Dm", "F", "Am", "G"};
constexpr const char* score_chords_sine[] = {"F", "G", "Am", "Am"};
constexpr const char* score_chords_box[] = {"F", "G", "E", "E7"};
constexpr const char* score_chords_ready[] = {"Esus4", "E"};
constexpr const char* score_chords_cube[] = {"F", "G", "Em", "Am"};
constexpr const char* score_chords_taunt[] = {"Am", "G", "F", "E"};

// Drums, a bar a row.
constexpr const char* score_kick_four[] = {"X...X...X...X..."};
constexpr const char* score_kick_four_push[] = {
    "X...X...X...X...",
    "X...X...X...X.x.",
};
constexpr const char* score_kick_half[] = {"X.........x....."};
constexpr const char* score_kick_break[] = {
    "X.....X...X..x..",
    "X.....X...X.....",
};
constexpr const char* score_kick_title[] = {"X.....X.....X..."};
constexpr const char* score_kick_box[] = {
    "X...X...X...X...",  // quarters
    "X...X...X...X...",
    "X.X.X.X.X.X.X.X.",  // doubling
    "X.X.X.X.X.X.X.X.",
    "XxXxXxXxXxXxXxXx",  // into the drop
};
constexpr const char* score_snare_back[] = {"....X.......X..."};
constexpr const char* score_snare_half[] = {"........X......."};
constexpr const char* score_snare_break[] = {"....X..,.,..X..,"};
constexpr const char* score_snare_build[] = {
    "....X.......X...",
    "..x.X...x...X.x.",
};
constexpr const char* score_clap_back[] = {"....X.......X..."};
constexpr const char* score_hat_off[] = {"..x...x...x...x."};
constexpr const char* score_hat_eighths[] = {"x.x.x.x.x.x.x.x."};
constexpr const char* score_hat_sixteenths[] = {"x,x,x,x,x,x,x,x,"};
constexpr const char* score_hat_quarters[] = {"x...x...x...x..."};
constexpr const char* score_open_hat_off[] = {"..X...X...X...X."};
constexpr const char* score_shaker_sixteenths[] = {",x,x,x,x,x,x,x,x"};
constexpr const char* score_shaker_eighths[] = {
    "..x...x...x...x.",
    "..x...x.,.x...x.",
};
constexpr const char* score_crash_once[] = {"X"};
constexpr const char* score_air_swells[] = {
    "X---------------",
    "----------------",
    "----------------",
    "----------------",
};

// Fills at a section's end.
constexpr const char* score_fill_snare_beat[] = {"xxXX"};
constexpr const char* score_fill_snare_two[] = {"x.x.xxxXXXXX"};
constexpr const char* score_fill_snare_roll[] = {
    "x...x...x.x.x.x.",
    "x.x.xxxxxxxxXXXX",
};
constexpr const char* score_fill_toms[] = {"1.1.2.2.3.3.4.4."};
constexpr const char* score_fill_riser_box[] = {
    "X-------------------------------",
    "----------------",
};
constexpr const char* score_fill_riser_short[] = {"X---------------------------"};

// Bass lines, on the chord's root.
constexpr const char* score_bass_roll[] = {"R.rOR.rOR.rOR.rO"};
constexpr const char* score_bass_offbeat[] = {
    "..R...R...R...R.",
    "..R...R...R.O.R.",
};
constexpr const char* score_bass_held[] = {"R---------------"};
constexpr const char* score_bass_waves[] = {"R.rrR.rrO.rrR.5r"};
constexpr const char* score_bass_title[] = {"R-----R-----R---"};
constexpr const char* score_bass_box[] = {"RrrrRrrrRrrrRrrr"};
constexpr const char* score_bass_cube[] = {"R--R--R.O--R.5-r"};
constexpr const char* score_bass_taunt[] = {"R.R.R.R.R.R.R.R."};
constexpr const char* score_bass_ready[] = {"R---------------"};

// Chord rhythms.
constexpr const char* score_pad_held[] = {"X---------------"};
constexpr const char* score_stab_title[] = {"X-....X-....X..."};
constexpr const char* score_stab_box[] = {"x.x.x.x.x.x.x.x."};
constexpr const char* score_stab_cube[] = {"..X..X....X..X.."};
constexpr const char* score_stab_offbeat[] = {"..x...x...x...x."};

// Arpeggios over the chord.
constexpr const char* score_arp_climb[] = {
    "0123 1234 2345 3456",
    "0123 1234 2345 6543",
};
constexpr const char* score_arp_circle[] = {"0123 4321 0123 4321"};
constexpr const char* score_arp_sparkle[] = {
    "0.2. 1.3. 2.4. 3.5.",
    "5.3. 4.2. 3.1. 2.0.",
};
constexpr const char* score_arp_ready[] = {"0...2...4...6..."};

// The main theme: eight bars over Am F C G.
constexpr const char* score_theme[] = {
    "E5 .  E5 .  A5 -  G5 -  E5 -  -  -  D5 -  C5 - ",  // Am
    "C5 -  -  -  A4 -  C5 -  F5 -  E5 -  C5 -  -  - ",  // F
    "E5 .  E5 .  G5 -  E5 -  C6 -  B5 -  G5 -  E5 - ",  // C
    "D5 -  -  -  -  -  -  -  B4 -  D5 -  G5 -  -  - ",  // G
    "E5 .  E5 .  A5 -  G5 -  E5 -  -  -  D5 -  C5 - ",  // Am
    "C5 -  -  -  A4 -  C5 -  F5 -  A5 -  G5 -  F5 - ",  // F
    "E5 -  -  -  G5 -  -  -  C5 -  D5 -  E5 -  G5 - ",  // C
    "A5 -  -  -  -  -  -  -  -  -  -  -  .  .  .  . ",  // G, leaning into Am
};

// Long notes turning round the theme, for the circles.
constexpr const char* score_circle_tune[] = {
    "C6 -  -  -  -  -  -  -  B5 -  -  -  A5 -  -  - ",  // Am
    "A5 -  -  -  -  -  -  -  G5 -  -  -  F5 -  -  - ",  // F
    "G5 -  -  -  -  -  -  -  E5 -  -  -  G5 -  -  - ",  // C
    "B5 -  -  -  -  -  -  -  D6 -  -  -  B5 -  -  - ",  // G
};

// Rising and falling phrases for the wave pattern.
constexpr const char* score_wave_tune[] = {
    "D5 -  -  -  F5 -  -  -  A5 -  -  -  G5 -  F5 - ",  // Dm
    "E5 -  -  -  -  -  -  -  C5 -  -  -  -  -  .  . ",  // F
    "C5 -  -  -  E5 -  -  -  A5 -  -  -  C6 -  B5 - ",  // Am
    "A5 -  -  -  -  -  G5 -  -  -  -  -  D5 -  -  - ",  // G
};

// Slow bells for the sine bars.
constexpr const char* score_sine_tune[] = {
    "A5 -  -  -  -  -  -  -  C6 -  -  -  -  -  -  - ",  // F
    "B5 -  -  -  -  -  -  -  D6 -  -  -  -  -  -  - ",  // G
    "E6 -  -  -  -  -  -  -  -  -  -  -  -  -  -  - ",  // Am
    "C6 -  -  -  -  -  -  -  B5 -  -  -  -  -  -  - ",  // Am
};

// The cube's riff: syncopated, climbing through F G Em Am.
constexpr const char* score_cube_riff[] = {
    "F5 -  A5 .  C6 -  A5 .  G5 -  F5 .  E5 -  C5 . ",  // F
    "D5 -  G5 .  B5 -  G5 .  D6 -  B5 .  A5 -  G5 . ",  // G
    "E5 -  G5 .  B5 -  G5 .  E6 -  D6 .  B5 -  G5 . ",  // Em
    "A5 -  -  -  E5 -  A5 -  C6 -  -  -  B5 -  G5 - ",  // Am
    "C6 -  -  -  A5 -  F5 -  C6 -  D6 -  C6 -  A5 - ",  // F
    "B5 -  -  -  G5 -  D5 -  B5 -  D6 -  B5 -  G5 - ",  // G
    "G5 -  -  -  E5 -  B4 -  E5 -  G5 -  B5 -  E6 - ",  // Em
    "E6 -  -  -  -  -  -  -  .  .  C6 .  B5 .  G5 . ",  // Am
};

// A teasing bleep tune for the second big scroller.
constexpr const char* score_taunt_tune[] = {
    "A5 .  A5 .  E5 .  A5 .  C6 .  .  .  A5 .  .  . ",  // Am
    "G5 .  G5 .  D5 .  G5 .  B5 .  .  .  G5 .  .  . ",  // G
    "F5 .  F5 .  C5 .  F5 .  A5 .  .  .  F5 .  .  . ",  // F
    "E5 .  G#5 . B5 .  E6 .  D6 .  B5 .  G#5 . E5 . ",  // E
};

// A short fanfare for the title.
constexpr const char* score_title_tune[] = {
    "A5 -  -  C6 -  -  A5 -  -  -  -  -  .  .  .  . ",  // F
    "B5 -  -  D6 -  -  B5 -  -  -  -  -  .  .  .  . ",  // G
    "C6 -  -  E6 -  -  A6 -  -  -  -  -  -  -  -  - ",  // Am
};

// Ready: a held question, answered by the cube.
constexpr const char* score_ready_tune[] = {"B5 -  -  -  -  -  -  -  -  -  -  -  -  -  -  - "};

using V = Voice;
using R = Reading;
using P = Place;

// 1. Opening, under the spectrum bars: four on the floor, a rolling bass,
// a wide pad, a climbing arpeggio and a swelling band of air keep every
// band below 3.4 kHz busy.
constexpr Part score_opening[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.8f},
    {V::kick, R::hits, P::loop, score_kick_four_push, 0, 0.9f},
    {V::clap, R::hits, P::loop, score_clap_back, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_off, 0, 1.0f},
    {V::shaker, R::hits, P::loop, score_shaker_sixteenths, 0, 0.4f},
    {V::air, R::hits, P::loop, score_air_swells, 0, 1.0f},
    {V::bass, R::degrees, P::loop, score_bass_roll, 40, 0.85f},
    {V::pad, R::chords, P::loop, score_pad_held, 48, 1.0f},
    {V::pluck, R::arp, P::loop, score_arp_climb, 64, 0.9f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.8f},
};

// 2. First big scroller: the theme enters over an off-beat bass.
constexpr Part score_scroller[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.8f},
    {V::kick, R::hits, P::loop, score_kick_four, 0, 1.0f},
    {V::snare, R::hits, P::loop, score_snare_back, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_sixteenths, 0, 0.9f},
    {V::bass, R::degrees, P::loop, score_bass_offbeat, 40, 1.0f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.6f},
    {V::lead, R::notes, P::loop, score_theme, 0, 1.0f},
    {V::tom, R::toms, P::ending, score_fill_toms, 50, 0.8f},
};

// 3. Title logo: three fanfare bars of stabs and bells, a snare fill.
constexpr Part score_title[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 1.0f},
    {V::kick, R::hits, P::loop, score_kick_title, 0, 1.0f},
    {V::sub, R::degrees, P::loop, score_bass_title, 40, 0.9f},
    {V::stab, R::chords, P::loop, score_stab_title, 55, 1.0f},
    {V::bell, R::notes, P::loop, score_title_tune, 0, 0.7f},
    {V::open_hat, R::hits, P::loop, score_open_hat_off, 0, 0.7f},
    {V::snare, R::hits, P::ending, score_fill_snare_two, 0, 0.8f},
};

// 4. Credits sparkle: half time, bells glittering over seventh chords.
constexpr Part score_sparkle[] = {
    {V::kick, R::hits, P::loop, score_kick_half, 0, 0.9f},
    {V::snare, R::hits, P::loop, score_snare_half, 0, 0.7f},
    {V::shaker, R::hits, P::loop, score_shaker_eighths, 0, 0.9f},
    {V::bass, R::degrees, P::loop, score_bass_held, 38, 0.8f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.7f},
    {V::bell, R::arp, P::loop, score_arp_sparkle, 72, 0.6f},
    {V::riser, R::hits, P::ending, score_fill_riser_short, 0, 0.5f},
};

// 5. Wave pattern: rolling sixteenths under rising and falling phrases.
constexpr Part score_waves[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.7f},
    {V::kick, R::hits, P::loop, score_kick_four, 0, 1.0f},
    {V::clap, R::hits, P::loop, score_clap_back, 0, 0.7f},
    {V::open_hat, R::hits, P::loop, score_open_hat_off, 0, 0.8f},
    {V::bass, R::degrees, P::loop, score_bass_waves, 38, 0.9f},
    {V::pad, R::chords, P::loop, score_pad_held, 50, 0.5f},
    {V::lead, R::notes, P::loop, score_wave_tune, 0, 0.9f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.8f},
};

// 6. Circles: the arpeggio turns in circles, the lead sings long notes.
constexpr Part score_circles[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.8f},
    {V::kick, R::hits, P::loop, score_kick_four_push, 0, 1.0f},
    {V::clap, R::hits, P::loop, score_clap_back, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_eighths, 0, 0.9f},
    {V::open_hat, R::hits, P::loop, score_open_hat_off, 0, 0.6f},
    {V::bass, R::degrees, P::loop, score_bass_roll, 40, 0.9f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.5f},
    {V::pluck, R::arp, P::loop, score_arp_circle, 60, 0.9f},
    {V::lead, R::notes, P::loop, score_circle_tune, 0, 0.8f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.8f},
};

// 7. Sine bars: the breakdown. No kick or snare: sine bass, pad, slow
// bells and a soft shaker.
constexpr Part score_sine_bars[] = {
    {V::sub, R::degrees, P::loop, score_bass_held, 40, 0.9f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.8f},
    {V::bell, R::notes, P::loop, score_sine_tune, 0, 0.8f},
    {V::shaker, R::hits, P::loop, score_shaker_eighths, 0, 0.5f},
};

// 8. Box: the build. The kick doubles, the snare rolls, a riser climbs.
constexpr Part score_box[] = {
    {V::kick, R::hits, P::loop, score_kick_box, 0, 1.0f},
    {V::snare, R::hits, P::loop, score_snare_build, 0, 0.7f},
    {V::hat, R::hits, P::loop, score_hat_sixteenths, 0, 0.8f},
    {V::bass, R::degrees, P::loop, score_bass_box, 40, 0.8f},
    {V::stab, R::chords, P::loop, score_stab_box, 52, 0.7f},
    {V::snare, R::hits, P::ending, score_fill_snare_roll, 0, 0.9f},
    {V::riser, R::hits, P::ending, score_fill_riser_box, 0, 0.8f},
};

// 9. Four-row scrollers: the drop. Everything, and the theme twice.
constexpr Part score_drop[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 1.0f},
    {V::kick, R::hits, P::loop, score_kick_four_push, 0, 1.0f},
    {V::clap, R::hits, P::loop, score_clap_back, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_sixteenths, 0, 0.9f},
    {V::open_hat, R::hits, P::loop, score_open_hat_off, 0, 0.6f},
    {V::bass, R::degrees, P::loop, score_bass_roll, 40, 1.0f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.6f},
    {V::pluck, R::arp, P::loop, score_arp_climb, 60, 0.6f},
    {V::lead, R::notes, P::loop, score_theme, 0, 1.0f},
    {V::chip, R::notes, P::loop, score_theme, 12, 0.35f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.9f},
};

// 10. Ready screen: everything holds its breath on the dominant.
constexpr Part score_ready[] = {
    {V::hat, R::hits, P::loop, score_hat_quarters, 0, 0.8f},
    {V::sub, R::degrees, P::loop, score_bass_ready, 40, 0.7f},
    {V::pad, R::chords, P::loop, score_pad_held, 52, 0.7f},
    {V::bell, R::arp, P::loop, score_arp_ready, 64, 0.6f},
    {V::lead, R::notes, P::loop, score_ready_tune, 0, 0.6f},
    {V::riser, R::hits, P::ending, score_fill_riser_short, 0, 0.9f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.9f},
};

// 11. Rotating cube: the second drop, broken beat and the cube's riff.
constexpr Part score_cube[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 1.0f},
    {V::kick, R::hits, P::loop, score_kick_break, 0, 1.0f},
    {V::snare, R::hits, P::loop, score_snare_break, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_sixteenths, 0, 0.9f},
    {V::bass, R::degrees, P::loop, score_bass_cube, 40, 1.0f},
    {V::stab, R::chords, P::loop, score_stab_cube, 55, 0.7f},
    {V::pad, R::chords, P::loop, score_pad_held, 48, 0.4f},
    {V::lead, R::notes, P::loop, score_cube_riff, 0, 0.9f},
    {V::chip, R::notes, P::loop, score_cube_riff, 12, 0.3f},
    {V::tom, R::toms, P::ending, score_fill_toms, 50, 0.8f},
};

// 12. Second big scroller: stripped down, a bleep tune teases.
constexpr Part score_taunt[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.7f},
    {V::kick, R::hits, P::loop, score_kick_four, 0, 1.0f},
    {V::snare, R::hits, P::loop, score_snare_back, 0, 0.7f},
    {V::hat, R::hits, P::loop, score_hat_eighths, 0, 0.8f},
    {V::bass, R::degrees, P::loop, score_bass_taunt, 40, 0.9f},
    {V::stab, R::chords, P::loop, score_stab_offbeat, 52, 0.5f},
    {V::chip, R::notes, P::loop, score_taunt_tune, 0, 1.0f},
    {V::snare, R::hits, P::ending, score_fill_snare_beat, 0, 0.9f},
};

// 13. Closing, under the spectrum bars again: the opening returns, with
// the theme on top.
constexpr Part score_closing[] = {
    {V::crash, R::hits, P::once, score_crash_once, 0, 0.8f},
    {V::kick, R::hits, P::loop, score_kick_four_push, 0, 0.9f},
    {V::clap, R::hits, P::loop, score_clap_back, 0, 0.8f},
    {V::hat, R::hits, P::loop, score_hat_off, 0, 1.0f},
    {V::shaker, R::hits, P::loop, score_shaker_sixteenths, 0, 0.4f},
    {V::air, R::hits, P::loop, score_air_swells, 0, 1.0f},
    {V::bass, R::degrees, P::loop, score_bass_roll, 40, 0.85f},
    {V::pad, R::chords, P::loop, score_pad_held, 48, 1.0f},
    {V::pluck, R::arp, P::loop, score_arp_climb, 64, 0.9f},
    {V::lead, R::notes, P::loop, score_theme, 0, 0.7f},
};

// Coda, after the show has stopped listening: one A minor chord that
// rings out to the end of the file.
constexpr const char* score_chords_coda[] = {"Am"};
constexpr const char* score_coda_hit[] = {"X"};
constexpr const char* score_coda_chord[] = {"X--------"};
constexpr const char* score_coda_root[] = {"R--------"};
constexpr Part score_coda[] = {
    {V::kick, R::hits, P::once, score_coda_hit, 0, 1.0f},
    {V::crash, R::hits, P::once, score_coda_hit, 0, 1.0f},
    {V::bass, R::degrees, P::once, score_coda_root, 40, 1.0f},
    {V::pad, R::chords, P::once, score_coda_chord, 48, 1.0f},
};

// One row per window of the show's timeline, then the coda.
constexpr Section score_sections[] = {
    {0, "opening", 0.0f, score_chords_home, score_opening},
    {22000, "first big scroller", -1.9f, score_chords_home, score_scroller},
    {37000, "title logo", -5.3f, score_chords_title, score_title},
    {43000, "credits sparkle", -3.1f, score_chords_sparkle, score_sparkle},
    {66500, "wave pattern", -2.0f, score_chords_waves, score_waves},
    {81000, "circles", -2.3f, score_chords_home, score_circles},
    {103500, "sine bars", -8.0f, score_chords_sine, score_sine_bars},
    {111000, "box", -2.1f, score_chords_box, score_box},
    {120000, "four-row scrollers", -2.3f, score_chords_home, score_drop},
    {151500, "ready screen", -5.0f, score_chords_ready, score_ready},
    {155000, "rotating cube", -2.0f, score_chords_cube, score_cube},
    {185000, "second big scroller", -1.5f, score_chords_taunt, score_taunt},
    {193500, "closing", 0.0f, score_chords_home, score_closing},
    {202000, "coda", 0.0f, score_chords_coda, score_coda},
};
static_assert(sizeof score_sections / sizeof score_sections[0] == score_section_count);

constexpr int32_t score_section_end_ms(int s) {
    return s + 1 < score_section_count ? score_sections[s + 1].start_ms : score_length_ms;
}

// Whole steps of a section; the last one stops at the last step that fits.
constexpr int32_t score_section_steps(int s) {
    return (score_section_end_ms(s) - score_sections[s].start_ms) / score_step_ms;
}

// Every table reads: sections ascend on beats, loop bars have 16 steps,
// every word is a step this part's reading knows, every chord name is known.
constexpr bool score_step_ok(const Word& w, Reading reading) {
    if (score_is(w, '-') || score_is(w, '.')) return true;
    const char c = w.text[0];
    switch (reading) {
        case Reading::hits:
            return w.length == 1 && (c == 'X' || c == 'x' || c == ',');
        case Reading::toms:
            return w.length == 1 && c >= '1' && c <= '4';
        case Reading::degrees:
            return w.length == 1 && (c == 'R' || c == 'r' || c == 'O' || c == 'o' || c == '5' ||
                                     c == '3' || c == '7');
        case Reading::chords:
            return w.length == 1 && (c == 'X' || c == 'x');
        case Reading::arp:
            return w.length == 1 && c >= '0' && c <= '9';
        case Reading::notes:
            return score_note(w) >= 0;
    }
    return false;
}

constexpr bool score_tables_read() {
    for (int s = 0; s < score_section_count; ++s) {
        const Section& section = score_sections[s];
        if (section.start_ms % score_beat_ms != 0) return false;
        if (s > 0 && section.start_ms <= score_sections[s - 1].start_ms) return false;
        for (int32_t b = 0; b < section.chords.count; ++b) {
            for (int32_t i = 0;; ++i) {
                const Word w = score_word(section.chords.bars[b], Reading::notes, i);
                if (w.length == 0) {
                    if (i == 0) return false;
                    break;
                }
                if (score_chord(w).count == 0) return false;
            }
        }
        for (int32_t p = 0; p < section.parts.count; ++p) {
            const Part& part = section.parts.rows[p];
            for (int32_t b = 0; b < part.bars.count; ++b) {
                const char* bar = part.bars.bars[b];
                const int32_t steps = score_bar_steps(bar, part.reading);
                if (part.place == Place::loop && steps != score_steps_per_bar) return false;
                if (steps == 0) return false;
                for (int32_t i = 0; i < steps; ++i)
                    if (!score_step_ok(score_word(bar, part.reading, i), part.reading))
                        return false;
            }
            if (part.place != Place::loop &&
                score_line_steps(part.bars, part.reading) > score_section_steps(s))
                return false;
        }
    }
    return true;
}
static_assert(score_tables_read(), "a score table does not read");
static_assert(score_sections[0].start_ms == 0);
static_assert(score_sections[score_window_count - 1].start_ms < score_show_end_ms);
static_assert(score_sections[score_window_count].start_ms == score_show_end_ms);

// ---- playing a section ------------------------------------------------------

// The word of a line at a step counted from the line's start.
Word score_line_word(const Line& l, Reading reading, int32_t step) {
    for (int32_t b = 0; b < l.count; ++b) {
        const int32_t steps = score_bar_steps(l.bars[b], reading);
        if (step < steps) return score_word(l.bars[b], reading, step);
        step -= steps;
    }
    return {".", 1};
}

// The first step of the section at which an ending of this voice takes
// over from its loop, or the section's length if none does.
int32_t score_loop_until(const Section& section, int32_t steps, Voice voice) {
    int32_t until = steps;
    for (int32_t p = 0; p < section.parts.count; ++p) {
        const Part& part = section.parts.rows[p];
        if (part.place != Place::ending || part.voice != voice) continue;
        const int32_t from = steps - score_line_steps(part.bars, part.reading);
        if (from < until) until = from;
    }
    return until;
}

// What a part plays at a step of its section: a word, "." when silent.
Word score_part_word(const Part& part, int32_t steps, int32_t loop_until, int32_t step) {
    const Word rest = {".", 1};
    switch (part.place) {
        case Place::once:
            return score_line_word(part.bars, part.reading, step);
        case Place::ending: {
            const int32_t from = steps - score_line_steps(part.bars, part.reading);
            return step < from ? rest : score_line_word(part.bars, part.reading, step - from);
        }
        case Place::loop: {
            if (step >= loop_until) return rest;
            const int32_t bar = step / score_steps_per_bar % part.bars.count;
            return score_word(part.bars.bars[bar], part.reading, step % score_steps_per_bar);
        }
    }
    return rest;
}

Chord score_chord_at(const Section& section, int32_t step) {
    const char* bar = section.chords.bars[step / score_steps_per_bar % section.chords.count];
    const int32_t names = score_bar_steps(bar, Reading::notes);
    const int32_t index = step % score_steps_per_bar * names / score_steps_per_bar;
    return score_chord(score_word(bar, Reading::notes, index));
}

float score_velocity(char c) {
    switch (c) {
        case 'X':
        case 'R':
        case 'O':
            return 1.0f;
        case ',':
            return 0.4f;
        case 'r':
        case 'o':
            return 0.6f;
        default:
            return 0.75f;
    }
}

// The lowest pitch at or above `base` with the given pitch class.
int32_t score_at_or_above(int32_t base, int32_t pitch_class) {
    return base + ((pitch_class - base) % 12 + 12) % 12;
}

int32_t score_degree(char c, const Chord& chord) {
    switch (c) {
        case 'O':
        case 'o':
            return 12;
        case '5':
            return 7;
        case '3':
            return chord.intervals[1];
        case '7':
            return 10;
        default:
            return 0;
    }
}

void score_play_part(const Section& section, int32_t steps, const Part& part, Mix& mix) {
    const float level = part.level * std::pow(10.0f, section.level_db / 20.0f);
    const int32_t loop_until = score_loop_until(section, steps, part.voice);
    for (int32_t step = 0; step < steps; ++step) {
        const Word w = score_part_word(part, steps, loop_until, step);
        if (score_is(w, '.') || score_is(w, '-')) continue;

        int32_t held = 1;
        while (step + held < steps &&
               score_is(score_part_word(part, steps, loop_until, step + held), '-'))
            ++held;
        const int32_t start_ms = section.start_ms + step * score_step_ms;
        Note note = {part.voice, score_frame_at(start_ms),
                     score_frame_at(start_ms + held * score_step_ms) - score_frame_at(start_ms),
                     0.0f, level * score_velocity(w.text[0])};

        const Chord chord = score_chord_at(section, step);
        switch (part.reading) {
            case Reading::hits:
                synth_render(note, mix);
                break;
            case Reading::toms:
                note.pitch = static_cast<float>(part.base - (w.text[0] - '1') * 5);
                synth_render(note, mix);
                break;
            case Reading::degrees:
                note.pitch = static_cast<float>(score_at_or_above(part.base, chord.root) +
                                                score_degree(w.text[0], chord));
                synth_render(note, mix);
                break;
            case Reading::chords: {
                const int32_t root = score_at_or_above(part.base, chord.root);
                for (int32_t i = 0; i < chord.count; ++i) {
                    note.pitch = static_cast<float>(root + chord.intervals[i]);
                    synth_render(note, mix);
                }
                break;
            }
            case Reading::arp: {
                const int32_t tone = w.text[0] - '0';
                const int32_t root = score_at_or_above(part.base, chord.root);
                note.pitch = static_cast<float>(root + chord.intervals[tone % chord.count] +
                                                12 * (tone / chord.count));
                if (step % score_steps_per_beat != 0) note.velocity *= 0.75f;
                synth_render(note, mix);
                break;
            }
            case Reading::notes:
                note.pitch = static_cast<float>(score_note(w) + part.base);
                synth_render(note, mix);
                break;
        }
    }
}

}  // namespace

int32_t score_section_start_ms(int s) {
    return score_sections[s].start_ms;
}

const char* score_section_name(int s) {
    return score_sections[s].name;
}

void score_render(Mix& mix, ScoreProgress progress, void* progress_context) {
    for (int s = 0; s < score_section_count; ++s) {
        const Section& section = score_sections[s];
        if (score_frame_at(section.start_ms) >= mix.frames) break;
        const int32_t steps = score_section_steps(s);
        for (int32_t p = 0; p < section.parts.count; ++p)
            score_play_part(section, steps, section.parts.rows[p], mix);
        if (progress != nullptr) {
            const int32_t done = score_frame_at(score_section_end_ms(s));
            progress(progress_context, done < mix.frames ? done : mix.frames);
        }
    }
}
