// The wave pattern: its glyphs, the two-half mapping, the pattern columns
// sampled at the worked times, the drift, the pictures, and the wipes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scene_pictures.h"
#include "scenes/wave_pattern.h"
#include "support/capture_sink.h"
#include "support/wire_compare.h"

namespace {

std::vector<int> columns_at(int32_t t) {
    uint8_t columns[screen_columns];
    wave_pattern_columns(t, columns);
    return std::vector<int>(columns, columns + screen_columns);
}

std::string draw(int32_t t) {
    Screen screen;
    std::memset(screen.cells, 'x', sizeof screen.cells);
    wave_pattern_update(t, screen);
    return screen_picture(screen);
}

TEST(WavePattern, InitUploadsTheHalfCellGlyphsAsStored) {
    CaptureSink capture;
    attach_capture(capture);
    wave_pattern_init();
    const GlyphRows solid = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const GlyphRows checkered = {0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A, 0x15, 0x0A};
    const GlyphRows empty = {};
    // Upper half from the first glyph, lower half from the second.
    const std::pair<GlyphRows, GlyphRows> halves[8] = {
        {solid, solid},     {solid, empty},         {empty, solid},     {solid, checkered},
        {checkered, solid}, {checkered, checkered}, {checkered, empty}, {empty, checkered},
    };
    Bytes want;
    for (int code = 0; code < 8; ++code) {
        GlyphRows rows;
        for (int r = 0; r < 8; ++r)
            rows[r] = r < 4 ? halves[code].first[r] : halves[code].second[r];
        const Bytes command = glyph_command(code, rows);
        want.insert(want.end(), command.begin(), command.end());
    }
    ASSERT_EQ(capture.writes.size(), 8u);
    EXPECT_TRUE(wire_equal(capture.stream(), want));
}

TEST(WavePattern, MapsEachPairOfHalvesToItsCode) {
    // Column c holds combination c: upper c / 3, lower c % 3; then values
    // that are no pattern value at all.
    WaveGrid grid = {};
    for (int c = 0; c < 9; ++c) {
        for (int r = 0; r < 8; r += 2) {
            grid.cells[r * 20 + c] = static_cast<uint8_t>(c / 3);
            grid.cells[(r + 1) * 20 + c] = static_cast<uint8_t>(c % 3);
        }
    }
    grid.cells[0 * 20 + 10] = 3;
    grid.cells[3 * 20 + 11] = 255;
    Screen screen;
    std::memset(screen.cells, 'x', sizeof screen.cells);
    map_two_sub_rows(grid, screen);
    EXPECT_EQ(screen_picture(screen), frame_of_rows("x27103645xxxxxxxxxxx"));
}

TEST(WavePattern, ColumnsAtZero) {
    EXPECT_EQ(columns_at(0),
              (std::vector<int>{4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7}));
    EXPECT_EQ(draw(0), blank_frame);  // the entry wipe hides it all
}

TEST(WavePattern, ColumnsAndPictureAt320) {
    EXPECT_EQ(columns_at(320),
              (std::vector<int>{2, 2, 2, 3, 3, 4, 4, 4, 5, 5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 9}));
    EXPECT_EQ(draw(320), frame({
                             "00022...777555555557",
                             "00033555555555555554",
                             "55555555555555444000",
                             "55555555666...111000",
                         }));
}

TEST(WavePattern, NegativeScaleMirrorsAndWrapsAt5000) {
    EXPECT_EQ(columns_at(5000), (std::vector<int>{1,  0,  0, 0, 0, 11, 11, 11, 10, 10,
                                                  10, 10, 9, 9, 9, 8,  8,  8,  8,  7}));
    EXPECT_EQ(draw(5000), frame({
                              "00000222....77755555",
                              "00000000000044455555",
                              "30000000000000000004",
                              "6....111000000000001",
                          }));
}

TEST(WavePattern, DriftsOneColumnEvery50MsAfterTenSeconds) {
    EXPECT_EQ(wave_pattern_drift(0), 0.0f);
    EXPECT_EQ(wave_pattern_drift(10000), 0.0f);
    EXPECT_EQ(wave_pattern_drift(10001), 0.02f);
    EXPECT_EQ(wave_pattern_drift(10050), 1.0f);
    EXPECT_EQ(wave_pattern_drift(14500), 90.0f);
}

TEST(WavePattern, ColumnsStayWithinThePatternThroughTheScene) {
    for (int32_t t = 0; t <= 14500; t += 7) {
        for (int k : columns_at(t)) ASSERT_TRUE(k >= 0 && k < 12) << "t = " << t;
    }
}

TEST(WavePattern, ExitWipeFrom13500) {
    // Every pattern column has at least one half lit in three display rows,
    // so column 19 shows something until the wipe covers it.
    int shown = 0;
    const std::string whole = draw(13500);
    const std::string covered = draw(13501);
    for (int r = 0; r < screen_rows; ++r) {
        const std::string row = picture_row(whole, r);
        EXPECT_EQ(row.find('x'), std::string::npos);  // every cell redrawn
        shown += row.back() != '.';
        EXPECT_EQ(picture_row(covered, r).back(), '.');
    }
    EXPECT_GE(shown, 3);
    EXPECT_EQ(draw(13805), blank_frame);
    EXPECT_EQ(draw(14499), blank_frame);
}

}  // namespace
