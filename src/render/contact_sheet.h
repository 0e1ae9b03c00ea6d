// One picture of the whole show: a frame from the middle of each timeline
// window, labelled with its scene and time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display_model/lcd_model.h"
#include "display_model/picture.h"

inline constexpr int sheet_windows = 13;
inline constexpr int sheet_scale = 3;  // pixels per LCD dot in each tile

struct ContactSheet {
    const PicturePalette* palette;
    bool taken[sheet_windows];
    uint32_t clock_ms[sheet_windows];
    std::vector<uint8_t> tiles[sheet_windows];  // RGB at sheet_scale
};

void sheet_start(ContactSheet& sheet, const PicturePalette& palette);

// The display as it stands, for window `row` (1 to 13) at `clock_ms`; the
// first call for a window counts.
void sheet_take(ContactSheet& sheet, int row, uint32_t clock_ms, const LcdModel& model);

// Lays out the tiles four to a line, each over a label "scene  M:SS.mmm",
// and writes the sheet as an RGB PNG.
bool sheet_write(const ContactSheet& sheet, const char* path, std::string& error);
