// The display's current state as a PNG picture (palette-indexed, 8 bits).
#pragma once

#include <cstddef>

#include "display_model/picture.h"

inline constexpr int png_picture_max_scale = 16;

// Writes the picture scaled `scale` times (1 to png_picture_max_scale) to `path`,
// cursor shown. Returns false and leaves a message in `error` when it cannot.
bool png_picture_write(const LcdModel& model, const PicturePalette& palette, int scale,
                       const char* path, char* error, size_t error_size);
