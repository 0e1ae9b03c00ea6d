// Decodes a whole MP3 file into memory as 16-bit samples, gapless: the
// encoder's delay and padding, as the file's info tag gives them, are cut
// off, so the frames kept are exactly the frames that were encoded. Linux
// and Windows decode with libmpg123 (mp3_decoder.cpp); the browser hands
// over what its own decoder made.
#pragma once

#include <cstddef>

#include "audio/decoded_music.h"
#include "audio/music_calls.h"

// Decodes `path` into `music`. The length comes from the samples decoded,
// never from a tag. On failure returns music_err_file_not_found (cannot be
// opened or read), music_err_format (empty, or no MP3 audio in it),
// music_err_corrupt (decoding failed part way) or music_err_memory, leaves
// `music` empty and writes what went wrong to `detail` (size bytes).
MusicResult decode_mp3(const char* path, DecodedMusic* music, char* detail, size_t size);

// Starts decoding `path` on a thread of its own; the next decode_mp3 of the
// same path waits for it and returns what it made, result and detail
// included, as if it had decoded then. Once a process; where no thread can
// be started, decode_mp3 decodes as usual. The show uses it to decode while
// the display starts up.
void decode_mp3_ahead(const char* path);
