#include "display_model/gif_movie.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int gif_movie_map_entries = 4;  // a power of two, as the format needs
constexpr int gif_movie_colour_bits = 8;
constexpr uint8_t gif_movie_loop_forever[3] = {1, 0, 0};  // sub-block 1: loop count 0
constexpr char gif_movie_loop_application[] = "NETSCAPE2.0";
constexpr int gif_movie_application_bytes = sizeof gif_movie_loop_application - 1;
constexpr mode_t gif_movie_file_mode = 0666;  // less the umask, as for the other outputs

bool gif_movie_fail(GifMovie* gif, const char* what, int code) {
    std::snprintf(gif->error, sizeof gif->error, "%s: %s", what, GifErrorString(code));
    return false;
}

ColorMapObject* gif_movie_colour_map(const Rgb colours[picture_dot_kinds]) {
    ColorMapObject* map = GifMakeMapObject(gif_movie_map_entries, nullptr);
    if (map == nullptr) return nullptr;
    for (int k = 0; k < gif_movie_map_entries; ++k) {
        const Rgb c = colours[k < picture_dot_kinds ? k : 0];
        map->Colors[k] = GifColorType{c.r, c.g, c.b};
    }
    return map;
}

}  // namespace

bool gif_movie_open(GifMovie* gif, const char* path, const PicturePalette& palette, int scale) {
    std::memset(gif, 0, sizeof *gif);
    if (scale < 1 || scale > gif_movie_max_scale) {
        std::snprintf(gif->error, sizeof gif->error, "scale %d is outside 1 to %d", scale,
                      gif_movie_max_scale);
        return false;
    }
    gif->palette = &palette;
    gif->scale = scale;
    gif->width = picture_columns * scale;
    gif->height = picture_rows * scale;
    for (int k = 0; k < picture_dot_kinds; ++k) gif->global_colours[k] = palette.lit[k];

    // Opened here rather than by the library, which would make it private.
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, gif_movie_file_mode);
    if (fd < 0) {
        std::snprintf(gif->error, sizeof gif->error, "cannot create %s: %s", path,
                      std::strerror(errno));
        return false;
    }
    int code = 0;
    gif->file = EGifOpenFileHandle(fd, &code);
    if (gif->file == nullptr) {
        close(fd);
        std::snprintf(gif->error, sizeof gif->error, "cannot create %s: %s", path,
                      GifErrorString(code));
        return false;
    }
    const size_t pixels = static_cast<size_t>(gif->width) * gif->height;
    gif->current = static_cast<uint8_t*>(std::malloc(pixels));
    gif->previous = static_cast<uint8_t*>(std::malloc(pixels));
    ColorMapObject* map = gif_movie_colour_map(gif->global_colours);
    EGifSetGifVersion(gif->file, true);
    bool ok = gif->current != nullptr && gif->previous != nullptr && map != nullptr &&
              EGifPutScreenDesc(gif->file, gif->width, gif->height, gif_movie_colour_bits,
                                picture_glass, map) == GIF_OK;
    GifFreeMapObject(map);
    // Loop forever.
    ok = ok && EGifPutExtensionLeader(gif->file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif->file, gif_movie_application_bytes,
                               gif_movie_loop_application) == GIF_OK &&
         EGifPutExtensionBlock(gif->file, sizeof gif_movie_loop_forever, gif_movie_loop_forever) ==
             GIF_OK &&
         EGifPutExtensionTrailer(gif->file) == GIF_OK;
    if (!ok) {
        gif_movie_fail(gif, "cannot start the GIF", gif->file->Error);
        gif_movie_close(gif);
        return false;
    }
    return true;
}

bool gif_movie_add(GifMovie* gif, const LcdModel& model, int delay_cs) {
    if (gif->file == nullptr) return false;
    uint8_t dots[picture_dot_count];
    picture_dots(model, true, dots);
    picture_scaled_dots(dots, gif->scale, gif->current);

    // A frame whose backlight differs from full on carries its own colours.
    Rgb colours[picture_dot_kinds];
    picture_colours(model, *gif->palette, colours);
    ColorMapObject* local = nullptr;
    if (std::memcmp(colours, gif->global_colours, sizeof colours) != 0)
        local = gif_movie_colour_map(colours);
    // New light redraws everything: the pixels of earlier frames that stay
    // on the canvas would show the old colours beside the new.
    const bool relit = std::memcmp(colours, gif->previous_colours, sizeof colours) != 0 ||
                       model.contrast != gif->previous_contrast;

    // The rectangle that changed since the last frame (all of the first);
    // an unchanged frame still needs one pixel to carry its delay.
    int left = 0, top = 0, right = gif->width - 1, bottom = gif->height - 1;
    if (gif->frames > 0 && !relit) {
        left = gif->width;
        top = gif->height;
        right = -1;
        bottom = -1;
        for (int y = 0; y < gif->height; ++y) {
            const uint8_t* a = gif->current + y * gif->width;
            const uint8_t* b = gif->previous + y * gif->width;
            if (std::memcmp(a, b, static_cast<size_t>(gif->width)) == 0) continue;
            if (y < top) top = y;
            bottom = y;
            for (int x = 0; x < gif->width; ++x) {
                if (a[x] == b[x]) continue;
                if (x < left) left = x;
                if (x > right) right = x;
            }
        }
        if (right < 0) left = right = top = bottom = 0;
    }

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay_cs < gif_movie_min_delay_cs ? gif_movie_min_delay_cs : delay_cs;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t extension_bytes = EGifGCBToExtension(&control, extension);

    // The library keeps its own copy of a frame's colours and lets go of it,
    // without freeing it, when the next frame has none: free it here.
    if (local == nullptr && gif->file->Image.ColorMap != nullptr) {
        GifFreeMapObject(gif->file->Image.ColorMap);
        gif->file->Image.ColorMap = nullptr;
    }
    const int width = right - left + 1;
    bool ok =
        EGifPutExtension(gif->file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extension_bytes),
                         extension) == GIF_OK &&
        EGifPutImageDesc(gif->file, left, top, width, bottom - top + 1, false, local) == GIF_OK;
    for (int y = top; ok && y <= bottom; ++y)
        ok = EGifPutLine(gif->file, gif->current + y * gif->width + left, width) == GIF_OK;
    GifFreeMapObject(local);
    if (!ok) return gif_movie_fail(gif, "cannot write a GIF frame", gif->file->Error);

    uint8_t* swap = gif->previous;
    gif->previous = gif->current;
    gif->current = swap;
    std::memcpy(gif->previous_colours, colours, sizeof colours);
    gif->previous_contrast = model.contrast;
    ++gif->frames;
    return true;
}

bool gif_movie_close(GifMovie* gif) {
    bool ok = gif->error[0] == '\0';
    if (gif->file != nullptr) {
        int code = 0;
        if (EGifCloseFile(gif->file, &code) != GIF_OK)
            ok = gif_movie_fail(gif, "cannot finish the GIF", code);
        gif->file = nullptr;
    }
    std::free(gif->current);
    std::free(gif->previous);
    gif->current = gif->previous = nullptr;
    return ok;
}
