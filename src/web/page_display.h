// The display on the page: the display model, fed the bytes that have
// crossed the page's line, and its picture (lcdemu's: glass, cell gaps,
// unlit and lit dots) for the canvas to draw.
#pragma once

#include <cstdint>

#include "display_model/lcd_model.h"
#include "display_model/picture.h"

struct PageDisplay {
    LcdModel model;
    bool changed;  // fed since the picture was last taken
    uint8_t dots[picture_dot_count];
    uint8_t colours[picture_dot_kinds * 3];  // r, g, b of glass, unlit, lit
};

extern PageDisplay page_display;

// Power-on state.
void reset_page_display();

// Feeds the model directly (the state before the show, after start-up).
void page_display_feed(const uint8_t* bytes, uint32_t count);

// Feeds the model every byte that has crossed the line by `at_ms` (the
// page's wall clock); returns whether anything was fed.
bool page_display_catch_up(double at_ms);

// Takes the picture into page_display.dots and the palette's colours for
// the model's backlight into page_display.colours.
void page_display_picture(int palette);
