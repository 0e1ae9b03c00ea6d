#include "compose/effects.h"

namespace {

// Comb and all-pass lengths of a classic parallel-comb room at 44.1 kHz;
// the right channel's are a little longer, which spreads the room.
constexpr int32_t effects_comb_frames[reverb_combs] = {1116, 1188, 1277, 1356,
                                                       1422, 1491, 1557, 1617};
constexpr int32_t effects_allpass_frames[reverb_allpasses] = {556, 441, 341, 225};
constexpr int32_t effects_stereo_spread_frames = 23;
static_assert(1617 + effects_stereo_spread_frames <= reverb_longest_comb_frames);
static_assert(556 + effects_stereo_spread_frames <= reverb_longest_allpass_frames);

constexpr float effects_room_feedback = 0.84f;
constexpr float effects_room_damping = 0.25f;
constexpr float effects_room_input = 0.015f;
constexpr float effects_room_return = 1.0f;

constexpr float effects_echo_feedback = 0.42f;
constexpr float effects_echo_damping = 0.45f;  // each repeat a little darker

inline float effects_comb(float* buffer, DelayLine& line, float in) {
    const float out = buffer[line.at];
    line.filtered = out * (1.0f - effects_room_damping) + line.filtered * effects_room_damping;
    buffer[line.at] = in + line.filtered * effects_room_feedback;
    if (++line.at == line.length) line.at = 0;
    return out;
}

inline float effects_allpass(float* buffer, DelayLine& line, float in) {
    const float delayed = buffer[line.at];
    buffer[line.at] = in + delayed * 0.5f;
    if (++line.at == line.length) line.at = 0;
    return delayed - in;
}

}  // namespace

void effects_start(Effects& e) {
    for (int side = 0; side < 2; ++side) {
        const int32_t spread = side * effects_stereo_spread_frames;
        for (int c = 0; c < reverb_combs; ++c) {
            e.comb_line[side][c] = {effects_comb_frames[c] + spread, 0, 0.0f};
            for (float& s : e.comb[side][c]) s = 0.0f;
        }
        for (int a = 0; a < reverb_allpasses; ++a) {
            e.allpass_line[side][a] = {effects_allpass_frames[a] + spread, 0, 0.0f};
            for (float& s : e.allpass[side][a]) s = 0.0f;
        }
        for (float& s : e.echo[side]) s = 0.0f;
        e.echo_filtered[side] = 0.0f;
    }
    e.echo_at = 0;
}

void effects_process(Effects& e, Mix& mix, int32_t from, int32_t to) {
    for (int32_t i = from; i < to; ++i) {
        const float room_in = mix.reverb_send[i] * effects_room_input;
        float room[2];
        for (int side = 0; side < 2; ++side) {
            float sum = 0.0f;
            for (int c = 0; c < reverb_combs; ++c)
                sum += effects_comb(e.comb[side][c], e.comb_line[side][c], room_in);
            for (int a = 0; a < reverb_allpasses; ++a)
                sum = effects_allpass(e.allpass[side][a], e.allpass_line[side][a], sum);
            room[side] = sum * effects_room_return;
        }

        // Ping-pong: the send enters on the left, each repeat crosses over.
        const float echo_left = e.echo[0][e.echo_at];
        const float echo_right = e.echo[1][e.echo_at];
        for (int side = 0; side < 2; ++side) {
            const float out = side == 0 ? echo_left : echo_right;
            e.echo_filtered[side] =
                out * (1.0f - effects_echo_damping) + e.echo_filtered[side] * effects_echo_damping;
        }
        e.echo[0][e.echo_at] = mix.echo_send[i] + e.echo_filtered[1] * effects_echo_feedback;
        e.echo[1][e.echo_at] = e.echo_filtered[0];
        if (++e.echo_at == echo_delay_frames) e.echo_at = 0;

        mix.left[i] += room[0] + echo_left;
        mix.right[i] += room[1] + echo_right;
    }
}
