// Timeline row 4: a sparkle trail at pixel resolution and the typed credits.
// The trail's points fall into at most eight cells a frame, first come first
// served, each cell getting a glyph built from nothing on every frame.
#pragma once

#include <cstdint>

#include "display/screen.h"

inline constexpr int credits_sparkle_points = 200;

// One glyph being built: the cell that owns code k, and its rows.
struct SparkleSlot {
    int32_t cell_column;  // -1 while free
    int32_t cell_row;     // -1 while free
    uint8_t rows[glyph_rows];
};

// Slot k stands for code k.
struct SparkleSlots {
    SparkleSlot slots[glyph_count];
};

// All slots free, all rows zero.
void credits_sparkle_clear(SparkleSlots& slots);

// Lights pixel (x, y) of the pixel plane in the slot of its cell, taking the
// lowest free slot for a cell not yet held. Returns false, drawing nothing,
// for a pixel off the display or in a ninth cell.
bool credits_sparkle_plot(SparkleSlots& slots, int32_t x, int32_t y);

// Draws the trail (taking two show_rand() values a point, x first), sends one
// glyph definition per used slot in slot order, and types the credits.
void credits_sparkle_update(int32_t t, Screen& screen);
