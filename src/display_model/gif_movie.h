// An animated GIF of a sequence of display states, written as it goes: each
// frame is added with the time it stays on screen. Frames after the first
// store only the rectangle that changed, unless the light changed
// (backlight, brightness, contrast): then the whole frame, in its colours.
#pragma once

#include <cstddef>

#include "display_model/picture.h"

inline constexpr int gif_movie_max_scale = 8;
inline constexpr int gif_movie_min_delay_cs = 2;  // viewers slow shorter frames down

struct GifFileType;

struct GifMovie {
    GifFileType* file;
    const PicturePalette* palette;
    int scale;
    int width, height;  // pixels
    uint8_t* previous;  // last frame's pixels as palette indices; null before the first
    uint8_t* current;
    Rgb global_colours[picture_dot_kinds];    // backlight full on
    Rgb previous_colours[picture_dot_kinds];  // the last frame's
    uint8_t previous_contrast;
    int frames;
    char error[160];
};

// Creates the file (with the permissions of any file the user creates);
// false with gif->error set when it cannot.
bool gif_movie_open(GifMovie* gif, const char* path, const PicturePalette& palette, int scale);

// Adds the model's current state, shown for `delay_cs` hundredths of a second
// (raised to gif_movie_min_delay_cs). Cursor drawn as in a still picture.
bool gif_movie_add(GifMovie* gif, const LcdModel& model, int delay_cs);

// Finishes the file and frees the writer's memory; false if anything failed.
bool gif_movie_close(GifMovie* gif);
