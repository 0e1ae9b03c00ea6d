#include "peer_screens.h"

#include <png.h>

#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "display/commands.h"
#include "display_model/char_rom.h"
#include "display_model/picture.h"

namespace {

// Where a frame and the decoding differ, in words; "" when they agree.
std::string frame_difference(const std::string& cells, const std::string& glyphs, bool backlight,
                             int brightness, const DecodedDisplay& d) {
    std::ostringstream out;
    if (cells.size() != 80 || std::memcmp(cells.data(), d.cells, 80) != 0) {
        uint8_t shown[80] = {};
        std::memcpy(shown, cells.data(), cells.size() < 80 ? cells.size() : 80);
        out << "cells differ; lcdemu showed\n"
            << decoded_picture(shown) << "the client's bytes say\n"
            << decoded_picture(d.cells);
    }
    for (int g = 0; g < 8; ++g) {
        if (glyphs.size() != 64 ||
            std::memcmp(glyphs.data() + 8 * g, d.glyphs[g], sizeof d.glyphs[g]) != 0) {
            out << "glyph " << g << " differs\n";
        }
    }
    if (backlight != d.backlight) out << "backlight " << backlight << " against " << d.backlight;
    if (brightness != d.brightness)
        out << "brightness " << brightness << " against " << d.brightness;
    return out.str();
}

}  // namespace

ProgramOptions peer_lcdemu_options(const std::string& dir) {
    ProgramOptions emu;
    emu.argv = {EMU_LCDEMU,
                "--headless",
                "--once",
                "--link",
                dir + "/lcd",
                "--stats",
                dir + "/stats.json",
                "--wire",
                dir + "/wire.bin",
                "--log",
                dir + "/frames.log",
                "--png",
                dir + "/end.png",
                "--scale",
                "1"};
    emu.output = dir + "/lcdemu.out";
    return emu;
}

::testing::AssertionResult frames_match_wire(const std::string& wire, const FrameLog& log,
                                             DecodedDisplay* decoded) {
    decoder_init(decoded);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(wire.data());
    size_t fed = 0;
    for (size_t i = 0; i < log.screens.size(); ++i) {
        const size_t upto = static_cast<size_t>(log.bytes[i]);
        if (upto < fed || upto > wire.size())
            return ::testing::AssertionFailure()
                   << "frame " << i << " claims " << upto << " bytes of a wire of " << wire.size()
                   << ", after " << fed;
        decoder_feed(decoded, bytes + fed, upto - fed);
        fed = upto;
        const std::string difference = frame_difference(
            log.screens[i], log.glyphs[i], log.backlight[i], log.brightness[i], *decoded);
        if (!difference.empty())
            return ::testing::AssertionFailure()
                   << "frame " << i << " of " << log.screens.size() << " (" << log.ends[i]
                   << ", after " << upto << " bytes): " << difference;
    }
    decoder_feed(decoded, bytes + fed, wire.size() - fed);
    if (log.screens.empty()) return ::testing::AssertionFailure() << "no frames in the log";
    const size_t last = log.screens.size() - 1;
    const std::string difference = frame_difference(
        log.screens[last], log.glyphs[last], log.backlight[last], log.brightness[last], *decoded);
    if (!difference.empty())
        return ::testing::AssertionFailure()
               << "the display at the end is not the last frame: " << difference;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult picture_matches(const std::string& png_path,
                                           const DecodedDisplay& decoded) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, png_path.c_str()))
        return ::testing::AssertionFailure() << "cannot read " << png_path;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return ::testing::AssertionFailure() << "cannot decode " << png_path;
    if (image.width != static_cast<png_uint_32>(picture_columns) ||
        image.height != static_cast<png_uint_32>(picture_rows))
        return ::testing::AssertionFailure() << "not a picture at scale 1";

    // Each dot's colour, and whether the client's bytes light it. Which of
    // the two colours inside the cells is "lit" depends on the palette and
    // the light; the dots must split between them exactly as the bytes say.
    std::map<uint32_t, std::pair<long, long>> colours;  // colour: (dots lit, dots unlit)
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 20; ++column) {
            const uint8_t code = decoded.cells[row * 20 + column];
            if (code >= 8 && code < ' ')
                return ::testing::AssertionFailure() << "a control code in a cell: not compared";
            const uint8_t* rows = code < 8 ? decoded.glyphs[code] : char_rom_rows(code);
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 5; ++x) {
                    const int px = picture_margin_dots + column * (5 + picture_cell_gap_dots) + x;
                    const int py = picture_margin_dots + row * (8 + picture_cell_gap_dots) + y;
                    const uint8_t* p = &rgb[static_cast<size_t>(3 * (py * picture_columns + px))];
                    const uint32_t colour = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
                    const bool lit = (rows[y] >> (4 - x)) & 1;
                    (lit ? colours[colour].first : colours[colour].second) += 1;
                }
            }
        }
    }
    if (colours.size() > 2)
        return ::testing::AssertionFailure() << colours.size() << " colours inside the cells";
    for (const auto& [colour, counts] : colours) {
        if (counts.first > 0 && counts.second > 0)
            return ::testing::AssertionFailure()
                   << "one colour for " << counts.first << " dots the bytes light and "
                   << counts.second << " they do not";
    }
    if (colours.size() == 2 &&
        (colours.begin()->second.first > 0) == (std::next(colours.begin())->second.first > 0))
        return ::testing::AssertionFailure() << "lit and unlit dots in the same colour";
    return ::testing::AssertionSuccess();
}

bool wire_has_bare_output_command(const std::string& wire) {
    for (size_t at = 0; at + 2 < wire.size(); ++at) {
        if (static_cast<uint8_t>(wire[at]) != cmd::prefix) continue;
        const uint8_t command = static_cast<uint8_t>(wire[at + 1]);
        const uint8_t next = static_cast<uint8_t>(wire[at + 2]);
        if ((command == cmd::gpo_off || command == cmd::gpo_on) &&
            (next == cmd::prefix || next == cmd::form_feed))
            return true;
        ++at;  // the command byte is not a prefix
    }
    return false;
}
