#include "render/contact_sheet.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "display_model/char_rom.h"
#include "driver/timeline.h"
#include "render/scene_names.h"

namespace {

constexpr int sheet_columns = 4;
constexpr int sheet_tile_width = picture_columns * sheet_scale;
constexpr int sheet_tile_height = picture_rows * sheet_scale;
constexpr int sheet_gap = 12;        // pixels between tiles and round the edge
constexpr int sheet_text_scale = 2;  // pixels per dot of a label character
constexpr int sheet_label_height = glyph_rows * sheet_text_scale + 8;
constexpr int sheet_cell_width = sheet_tile_width + sheet_gap;
constexpr int sheet_cell_height = sheet_tile_height + sheet_label_height + sheet_gap;
constexpr int sheet_lines = (sheet_windows + sheet_columns - 1) / sheet_columns;
constexpr int sheet_width = sheet_gap + sheet_columns * sheet_cell_width;
constexpr int sheet_height = sheet_gap + sheet_lines * sheet_cell_height;
constexpr Rgb sheet_background = {24, 24, 28};
constexpr Rgb sheet_ink = {220, 220, 210};

void sheet_fill(std::vector<uint8_t>& rgb, Rgb colour) {
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        rgb[i] = colour.r;
        rgb[i + 1] = colour.g;
        rgb[i + 2] = colour.b;
    }
}

// Text in the display's own character set, for the labels.
void sheet_text(std::vector<uint8_t>& rgb, int x, int y, const char* text) {
    for (int i = 0; text[i] != '\0'; ++i) {
        const uint8_t* rows = char_rom_rows(static_cast<uint8_t>(text[i]));
        const int left = x + i * (glyph_columns + 1) * sheet_text_scale;
        for (int r = 0; r < glyph_rows; ++r) {
            for (int c = 0; c < glyph_columns; ++c) {
                if (!(rows[r] & (1u << (glyph_columns - 1 - c)))) continue;
                for (int dy = 0; dy < sheet_text_scale; ++dy) {
                    for (int dx = 0; dx < sheet_text_scale; ++dx) {
                        const int px = left + c * sheet_text_scale + dx;
                        const int py = y + r * sheet_text_scale + dy;
                        if (px < 0 || px >= sheet_width || py < 0 || py >= sheet_height) continue;
                        uint8_t* at = &rgb[(static_cast<size_t>(py) * sheet_width + px) * 3];
                        at[0] = sheet_ink.r;
                        at[1] = sheet_ink.g;
                        at[2] = sheet_ink.b;
                    }
                }
            }
        }
    }
}

void sheet_place_tile(std::vector<uint8_t>& rgb, const std::vector<uint8_t>& tile, int x, int y) {
    for (int row = 0; row < sheet_tile_height; ++row) {
        std::memcpy(&rgb[(static_cast<size_t>(y + row) * sheet_width + x) * 3],
                    &tile[static_cast<size_t>(row) * sheet_tile_width * 3], sheet_tile_width * 3);
    }
}

}  // namespace

void sheet_start(ContactSheet& sheet, const PicturePalette& palette) {
    sheet.palette = &palette;
    for (int w = 0; w < sheet_windows; ++w) {
        sheet.taken[w] = false;
        sheet.clock_ms[w] = 0;
        sheet.tiles[w].clear();
    }
}

void sheet_take(ContactSheet& sheet, int row, uint32_t clock_ms, const LcdModel& model) {
    if (row < 1 || row > sheet_windows || sheet.taken[row - 1]) return;
    std::vector<uint8_t>& tile = sheet.tiles[row - 1];
    tile.resize(picture_rgb_bytes(sheet_scale));
    picture_rgb(model, *sheet.palette, sheet_scale, false, tile.data());
    sheet.taken[row - 1] = true;
    sheet.clock_ms[row - 1] = clock_ms;
}

bool sheet_write(const ContactSheet& sheet, const char* path, std::string& error) {
    std::vector<uint8_t> rgb(static_cast<size_t>(sheet_width) * sheet_height * 3);
    sheet_fill(rgb, sheet_background);
    for (int w = 0; w < sheet_windows; ++w) {
        const int x = sheet_gap + (w % sheet_columns) * sheet_cell_width;
        const int y = sheet_gap + (w / sheet_columns) * sheet_cell_height;
        char label[64];
        const char* name = scene_name(show_timeline[w].update);
        if (sheet.taken[w]) {
            const uint32_t ms = sheet.clock_ms[w];
            std::snprintf(label, sizeof label, "%s  %u:%02u.%03u", name, ms / 60000, ms / 1000 % 60,
                          ms % 1000);
            sheet_place_tile(rgb, sheet.tiles[w], x, y + sheet_label_height);
        } else {
            std::snprintf(label, sizeof label, "%s  not reached", name);
        }
        sheet_text(rgb, x, y + 2, label);
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = sheet_width;
    image.height = sheet_height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr)) {
        error = std::string(path) + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}
