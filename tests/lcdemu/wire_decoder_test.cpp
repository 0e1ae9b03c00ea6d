// The peer tests' own decoder: what it makes of bad input, and of the few
// rules the peers lean on, checked against hand-written screens.
#include <gtest/gtest.h>

#include <string>

#include "support/model_support.h"
#include "wire_decoder.h"

namespace {

DecodedDisplay decoded(const Stream& bytes) {
    DecodedDisplay d;
    decoder_init(&d);
    decoder_feed(&d, bytes.data(), bytes.size());
    return d;
}

std::string row_of(const DecodedDisplay& d, int row) {
    return std::string(reinterpret_cast<const char*>(d.cells) + 20 * row, 20);
}

TEST(WireDecoder, UnknownCommandsAreCountedAndWhatFollowsIsText) {
    const DecodedDisplay d = decoded(
        join({command(0x01), text("a"), command(cmd::prefix), text("b"), Stream{cmd::prefix}}));
    EXPECT_EQ(d.unknown, 2);
    EXPECT_EQ(row_of(d, 0).substr(0, 2), "ab");
    EXPECT_TRUE(d.after_prefix);  // the last prefix waits for its command
}

TEST(WireDecoder, ACommandCutShortWaitsAndAppliesNothing) {
    DecodedDisplay d = decoded(join({text("x"), command(cmd::define_glyph, {2, 0x1F, 0x1F})}));
    EXPECT_EQ(d.glyphs[2][0], 0);
    EXPECT_EQ(d.command, cmd::define_glyph);
    const Stream rest = {0x1F, 0x1F, 0x1F, 0x1F, 0x1F, 0x1F};
    decoder_feed(&d, rest.data(), rest.size());
    EXPECT_EQ(d.glyphs[2][7], 0x1F);
    EXPECT_EQ(d.command, -1);
}

TEST(WireDecoder, TheOutputCommandsTakeNoArgument) {
    const DecodedDisplay d =
        decoded(join({command(cmd::gpo_on), command(cmd::underline_off), command(cmd::gpo_off),
                      Stream{cmd::form_feed}, text("ok")}));
    EXPECT_EQ(row_of(d, 0), "ok" + std::string(18, ' '));
    EXPECT_FALSE(d.gpo);
    EXPECT_EQ(d.unknown, 0);
}

TEST(WireDecoder, TextRunsOnInDisplayMemoryOrderWithWrapOff) {
    const DecodedDisplay d =
        decoded(join({command(cmd::cursor_to, {18, 1}), text("abcdef"),
                      command(cmd::cursor_to, {19, 4}), text("yz"), text("!")}));
    EXPECT_EQ(row_of(d, 0).substr(17), "abc");
    EXPECT_EQ(row_of(d, 2).substr(0, 3), "def");
    EXPECT_EQ(row_of(d, 3).substr(18), "yz");
    EXPECT_EQ(row_of(d, 0)[0], '!');  // past row 4: the top left, without scroll
}

TEST(WireDecoder, WhatItCannotDrawIsRecordedNotGuessed) {
    const DecodedDisplay d =
        decoded(join({command(cmd::load_big_digits), command(cmd::big_digit, {1, 3}),
                      command(cmd::cursor_to, {0, 9})}));
    EXPECT_EQ(d.unfollowed.size(), 3u);
}

}  // namespace
