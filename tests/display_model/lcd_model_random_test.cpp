// Random bytes, weighted towards the prefix and the commands, in random
// chunks: the model never leaves its memory (the sanitizer build checks
// that), keeps its state in range, and ends as it would fed byte by byte.
#include <gtest/gtest.h>

#include <random>

#include "support/model_support.h"

namespace {

constexpr int random_sessions = 40;
constexpr int random_session_bytes = 20000;

Stream random_session(std::mt19937& random) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    Stream s;
    while (s.size() < random_session_bytes) {
        switch (kind(random)) {
            case 0:
                s.push_back(cmd::prefix);
                break;
            case 1: {  // a known command with random arguments
                uint8_t code;
                do code = static_cast<uint8_t>(byte(random));
                while (lcd_command_arguments(code) < 0);
                s.push_back(cmd::prefix);
                s.push_back(code);
                for (int i = 0; i < lcd_command_arguments(code); ++i)
                    s.push_back(static_cast<uint8_t>(byte(random)));
                break;
            }
            default:
                s.push_back(static_cast<uint8_t>(byte(random)));
                break;
        }
    }
    return s;
}

void expect_in_range(const LcdModel& m) {
    ASSERT_GE(m.cursor_row, 0);
    ASSERT_LT(m.cursor_row, screen_rows);
    ASSERT_GE(m.cursor_column, 0);
    ASSERT_LE(m.cursor_column, screen_columns);
    ASSERT_GE(m.reply_count, 0);
    ASSERT_LE(m.reply_count, lcd_reply_capacity_bytes);
    ASSERT_GE(m.arguments_have, 0);
    ASSERT_LE(m.arguments_have, lcd_longest_arguments);
}

TEST(LcdModelRandom, RandomBytesInRandomChunks) {
    std::mt19937 random(20260101);
    std::uniform_int_distribution<size_t> chunk(1, 300);
    for (int session = 0; session < random_sessions; ++session) {
        const Stream bytes = random_session(random);
        LcdModel chunked, single;
        lcd_model_init(&chunked);
        lcd_model_init(&single);
        uint8_t replies[lcd_reply_capacity_bytes];
        for (size_t at = 0; at < bytes.size();) {
            const size_t n = std::min(chunk(random), bytes.size() - at);
            lcd_model_feed(&chunked, bytes.data() + at, n);
            expect_in_range(chunked);
            lcd_model_take_replies(&chunked, replies, sizeof replies);
            for (size_t i = at; i < at + n; ++i) lcd_model_feed(&single, &bytes[i], 1);
            lcd_model_take_replies(&single, replies, sizeof replies);
            at += n;
        }
        ASSERT_EQ(model_state(chunked), model_state(single)) << "session " << session;
        EXPECT_EQ(chunked.counters.bytes, bytes.size());
    }
}

}  // namespace
