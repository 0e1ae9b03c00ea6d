#include "render/picture_outputs.h"

#include <cstring>
#include <vector>

#include "audio/music_player.h"
#include "display_model/gif_movie.h"
#include "display_model/png_picture.h"
#include "driver/frame_loop.h"
#include "render/contact_sheet.h"
#include "render/output_file.h"
#include "render/video_frame.h"
#include "render/video_pipe.h"
#include "render/virtual_clock.h"

namespace {

constexpr double gif_sample_ms = 20.0;  // the shortest frame viewers keep to time
constexpr int gif_centiseconds_per_sample = 2;
constexpr int gif_last_frame_cs = 200;          // the blank end stays two seconds
constexpr double video_last_frame_ms = 1000.0;  // and a second in the video, or to the music's end

// Takes the display as it stands at instants step_ms apart.
struct Sampler {
    bool on;
    double step_ms;
    int64_t next;  // index of the next instant to take
};

struct Pictures {
    const RenderOptions* options;
    const PicturePalette* palette;
    LcdModel model;

    OutputFile png_dir;
    OutputFile gif_file;
    OutputFile video_file;
    OutputFile sheet_file;

    Sampler gif_sampler;
    GifMovie gif;
    LcdModel gif_pending;  // the state on screen since the last change
    uint8_t gif_pending_dots[picture_dot_count];
    int gif_pending_cs;

    Sampler video_sampler;
    VideoPipe video;
    VideoFrame video_frame;

    ContactSheet sheet;
    double last_visible_ms;
    bool failed;
    std::string failure;
};

Pictures pictures;

void pictures_fail(const std::string& why) {
    if (!pictures.failed) pictures.failure = why;
    pictures.failed = true;
}

bool sampler_due(const Sampler& s, double visible_ms) {
    return s.on && static_cast<double>(s.next) * s.step_ms < visible_ms;
}

// The GIF holds a state until it changes: equal samples lengthen the
// frame on screen instead of adding one.
void gif_sample() {
    uint8_t dots[picture_dot_count];
    picture_dots(pictures.model, false, dots);
    if (pictures.gif_pending_cs > 0 &&
        std::memcmp(dots, pictures.gif_pending_dots, sizeof dots) == 0) {
        pictures.gif_pending_cs += gif_centiseconds_per_sample;
        return;
    }
    if (pictures.gif_pending_cs > 0 &&
        !gif_movie_add(&pictures.gif, pictures.gif_pending, pictures.gif_pending_cs))
        pictures_fail(pictures.gif.error);
    pictures.gif_pending = pictures.model;
    std::memcpy(pictures.gif_pending_dots, dots, sizeof dots);
    pictures.gif_pending_cs = gif_centiseconds_per_sample;
}

// A state held on screen is encoded again as it stands: only changes are
// drawn anew.
void video_sample() {
    if (pictures.failed) return;
    video_frame_draw(pictures.video_frame, pictures.model, *pictures.palette);
    if (!video_pipe_add(pictures.video, pictures.video_frame.planes.data()))
        pictures_fail("ffmpeg stopped taking frames");
}

// Every instant before `visible_ms` sees the display as it stands now.
void pictures_take_samples_before(double visible_ms) {
    while (sampler_due(pictures.gif_sampler, visible_ms)) {
        gif_sample();
        ++pictures.gif_sampler.next;
    }
    while (sampler_due(pictures.video_sampler, visible_ms)) {
        video_sample();
        ++pictures.video_sampler.next;
    }
}

int pictures_window_end_ms(int row) {
    return row < show_scene_rows ? show_timeline[row].start_ms
                                 : static_cast<int>(show_end_position_ms);
}

}  // namespace

bool pictures_wanted() {
    const RenderOptions* o = pictures.options;
    return o != nullptr && (!o->png_dir.empty() || !o->gif_path.empty() || !o->video_path.empty() ||
                            !o->sheet_path.empty());
}

bool pictures_open(const RenderOptions& options, std::string& error) {
    pictures.options = &options;
    pictures.failed = false;
    pictures.failure.clear();
    pictures.last_visible_ms = 0;
    pictures.palette = picture_palette_named(options.palette.c_str());
    if (pictures.palette == nullptr) {
        error = "no palette named " + options.palette + " (blue, green, white, amber)";
        return false;
    }
    lcd_model_init(&pictures.model);
    pictures.gif_sampler = {!options.gif_path.empty(), gif_sample_ms, 0};
    pictures.video_sampler = {!options.video_path.empty(), 1000.0 / options.video_fps, 0};
    pictures.video = {-1, -1, 0, 0};
    pictures.gif_pending_cs = 0;
    VideoSize video_size = VideoSize::native;
    if (!video_size_named(options.video_size.c_str(), &video_size)) {
        error = "no video size named " + options.video_size + " (native, 720p, 1080p)";
        return false;
    }

    if (!options.video_path.empty() && !ffmpeg_available()) {
        error =
            "--video needs the ffmpeg command, which is not installed (on Debian: apt install "
            "ffmpeg)";
        return false;
    }
    if (!options.png_dir.empty() &&
        !open_output_directory(pictures.png_dir, options.png_dir, error))
        return false;
    if (!options.sheet_path.empty()) {
        reserve_output(pictures.sheet_file, options.sheet_path);
        sheet_start(pictures.sheet, *pictures.palette);
    }
    if (!options.gif_path.empty()) {
        reserve_output(pictures.gif_file, options.gif_path);
        if (!gif_movie_open(&pictures.gif, pictures.gif_file.temporary.c_str(), *pictures.palette,
                            options.scale)) {
            error = options.gif_path + ": " + pictures.gif.error;
            return false;
        }
    }
    if (!options.video_path.empty()) {
        reserve_output(pictures.video_file, options.video_path);
        video_frame_start(pictures.video_frame, video_size);
        const VideoLayout& layout = pictures.video_frame.layout;
        const std::string music = options.silent ? "" : options.music_path;
        if (!video_pipe_open(pictures.video, pictures.video_file.temporary, music,
                             options.video_fps, layout.width, layout.height, error))
            return false;
    }
    return true;
}

void pictures_bytes(const uint8_t* bytes, uint32_t count, uint64_t bytes_before, bool paced,
                    uint32_t turn_clock_ms) {
    if (!pictures_wanted()) return;
    if (!pictures.gif_sampler.on && !pictures.video_sampler.on) {
        lcd_model_feed(&pictures.model, bytes, count);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const double visible_ms = paced ? static_cast<double>(bytes_before + i + 1) *
                                              link_ms_numerator / link_ms_denominator
                                        : static_cast<double>(turn_clock_ms);
        pictures_take_samples_before(visible_ms);
        lcd_model_feed(&pictures.model, bytes + i, 1);
        pictures.last_visible_ms = visible_ms;
    }
}

void pictures_turn_done(const TurnRecord& record) {
    if (!pictures_wanted()) return;
    const RenderOptions& o = *pictures.options;
    if (!o.png_dir.empty() && record.turn % o.png_every == 0) {
        char name[48];
        std::snprintf(name, sizeof name, "/turn_%06lld.png", static_cast<long long>(record.turn));
        char why[200];
        if (!png_picture_write(pictures.model, *pictures.palette, o.scale,
                               (pictures.png_dir.temporary + name).c_str(), why, sizeof why))
            pictures_fail(why);
    }
    if (!o.sheet_path.empty() && record.row >= 1) {
        const int row = record.row - 1;
        const int start = show_timeline[row].start_ms;
        const int middle = start + (pictures_window_end_ms(row + 1) - start) / 2;
        if (static_cast<int64_t>(record.clock_ms) >= middle)
            sheet_take(pictures.sheet, record.row, record.clock_ms, pictures.model);
    }
}

bool pictures_finish(std::string& error) {
    if (!pictures_wanted()) return true;
    const RenderOptions& o = *pictures.options;
    // Up to the moment the blank frame is complete, then that frame for a
    // second, and on to the end of the music so that none of it is cut.
    pictures_take_samples_before(pictures.last_visible_ms + 1e-9);
    if (pictures.video_sampler.on) {
        double end_ms = pictures.last_visible_ms + video_last_frame_ms;
        if (!o.silent && end_ms < music_length_ms) end_ms = music_length_ms;
        Sampler& s = pictures.video_sampler;
        for (; static_cast<double>(s.next) * s.step_ms < end_ms; ++s.next) video_sample();
    }
    if (pictures.gif_sampler.on) {
        if (pictures.gif_pending_cs > 0 &&
            !gif_movie_add(&pictures.gif, pictures.gif_pending, pictures.gif_pending_cs))
            pictures_fail(pictures.gif.error);
        if (!gif_movie_add(&pictures.gif, pictures.model, gif_last_frame_cs))
            pictures_fail(pictures.gif.error);
        if (!gif_movie_close(&pictures.gif)) pictures_fail(o.gif_path + ": " + pictures.gif.error);
    }
    std::string why;
    if (pictures.video_sampler.on && !video_pipe_close(pictures.video, why)) pictures_fail(why);
    if (!o.sheet_path.empty() &&
        !sheet_write(pictures.sheet, pictures.sheet_file.temporary.c_str(), why))
        pictures_fail(why);
    if (pictures.failed) {
        error = pictures.failure;
        pictures_abandon();
        return false;
    }
    bool ok = true;
    if (!o.png_dir.empty()) ok = commit_output_directory(pictures.png_dir, error) && ok;
    if (!o.gif_path.empty()) ok = commit_output(pictures.gif_file, error) && ok;
    if (!o.video_path.empty()) ok = commit_output(pictures.video_file, error) && ok;
    if (!o.sheet_path.empty()) ok = commit_output(pictures.sheet_file, error) && ok;
    return ok;
}

void pictures_abandon() {
    if (pictures.gif_sampler.on && pictures.gif.file != nullptr) gif_movie_close(&pictures.gif);
    std::string ignored;
    if (pictures.video.pid > 0) video_pipe_close(pictures.video, ignored);
    abandon_output(pictures.png_dir);
    abandon_output(pictures.gif_file);
    abandon_output(pictures.video_file);
    abandon_output(pictures.sheet_file);
}
