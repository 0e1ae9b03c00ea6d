// The texts of the layer's result codes, and the rule that ends the show
// on any failed call.
#include <cstdio>
#include <cstdlib>

#include "audio/music_calls.h"

namespace {

// One row per code, in code order. Each failure text ends with one blank,
// which stands before the newline of the failure line.
constexpr const char* results_texts[] = {
    "No errors.",                                           // music_ok
    "The file could not be found or read. ",                // music_err_file_not_found
    "Not an MP3 file, or no audio in it. ",                 // music_err_format
    "The MP3 data is corrupt. ",                            // music_err_corrupt
    "No sound output could be opened. ",                    // music_err_output
    "An invalid argument was passed to the music layer. ",  // music_err_invalid_arg
    "Not enough memory for the music. ",                    // music_err_memory
    "An invalid music handle was used. ",                   // music_err_invalid_handle
};
constexpr unsigned results_count = sizeof results_texts / sizeof results_texts[0];
static_assert(results_count == music_err_invalid_handle + 1);

constexpr int results_failure_status = -1;

}  // namespace

const char* result_text(MusicResult result) {
    const unsigned code = static_cast<unsigned>(result);
    return code < results_count ? results_texts[code] : "Unknown error.";
}

void check_result(MusicResult result) {
    if (result == music_ok) return;
    std::printf("FMOD error! (%d) %s\n", result, result_text(result));
    // exit() flushes standard output, also when it is a pipe or a file.
    std::exit(results_failure_status);
}
