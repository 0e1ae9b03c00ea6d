#include "display_model/png_picture.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

bool png_picture_write(const LcdModel& model, const PicturePalette& palette, int scale,
                       const char* path, char* error, size_t error_size) {
    if (scale < 1 || scale > png_picture_max_scale) {
        std::snprintf(error, error_size, "scale %d is outside 1 to %d", scale,
                      png_picture_max_scale);
        return false;
    }
    uint8_t dots[picture_dot_count];
    picture_dots(model, true, dots);
    std::vector<uint8_t> pixels(static_cast<size_t>(picture_dot_count) * scale * scale);
    picture_scaled_dots(dots, scale, pixels.data());
    Rgb colours[picture_dot_kinds];
    picture_colours(model, palette, colours);

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture_columns * scale);
    image.height = static_cast<png_uint_32>(picture_rows * scale);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = picture_dot_kinds;
    if (!png_image_write_to_file(&image, path, 0, pixels.data(), 0, colours)) {
        std::snprintf(error, error_size, "cannot write %s: %s", path, image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}
