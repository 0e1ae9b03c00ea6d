// MP3 files for the programs under test, made once per build and reused.
#pragma once

#include <cstdint>
#include <string>

// A silent stereo 44.1 kHz MP3 that decodes to exactly `length_ms`
// (frames * 1000 / 44100, truncated), cached in the build's fixture folder.
std::string silent_music(uint32_t length_ms);

// Copies (or links) `source` into `directory` as starglow.mp3.
void place_music(const std::string& source, const std::string& directory);
