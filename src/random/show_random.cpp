#include "random/show_random.h"

namespace {

// Degree and separation of the feedback, x[n] = x[n - 31] + x[n - 3].
constexpr int show_random_degree = 31;
constexpr int show_random_separation = 3;
// The seed words come from the minimal standard generator x * 16807 mod
// (2^31 - 1), started at 1; then the first ten rounds of the table are
// thrown away, so that the seed's pattern does not show.
constexpr int64_t show_random_seed = 1;
constexpr int64_t show_random_seed_multiplier = 16807;
constexpr int64_t show_random_seed_modulus = 2147483647;
constexpr int show_random_discarded = 10 * show_random_degree;

struct ShowRandom {
    uint32_t table[show_random_degree];
    int front;  // the word that the next value adds to and replaces
};

constexpr uint32_t show_random_step(ShowRandom& r) {
    const int back = (r.front + show_random_degree - show_random_separation) % show_random_degree;
    r.table[r.front] += r.table[back];  // wraps modulo 2^32 on purpose
    const uint32_t value = r.table[r.front] >> 1;
    r.front = (r.front + 1) % show_random_degree;
    return value;
}

constexpr ShowRandom show_random_seeded() {
    ShowRandom r{};
    int64_t word = show_random_seed;
    r.table[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < show_random_degree; ++i) {
        word = word * show_random_seed_multiplier % show_random_seed_modulus;
        r.table[i] = static_cast<uint32_t>(word);
    }
    r.front = show_random_separation;
    for (int i = 0; i < show_random_discarded; ++i) show_random_step(r);
    return r;
}

// Worked out by the compiler: a restart is a copy.
constexpr ShowRandom show_random_start = show_random_seeded();

ShowRandom show_random = show_random_start;

}  // namespace

int32_t show_rand() {
    return static_cast<int32_t>(show_random_step(show_random) & show_rand_max);
}

void show_rand_restart() {
    show_random = show_random_start;
}
