#include "music_fixture.h"

#include <filesystem>
#include <vector>

#include "compose/mp3_encoder.h"

std::string silent_music(uint32_t length_ms) {
    const std::string path =
        std::string(FIXTURE_DIR) + "/silence_" + std::to_string(length_ms) + ".mp3";
    if (std::filesystem::exists(path)) return path;
    std::filesystem::create_directories(FIXTURE_DIR);
    const Mp3Settings& s = mp3_show_settings;
    // The middle of the frame window that reads as length_ms.
    const size_t frames = (uint64_t{length_ms} * s.rate + s.rate / 2) / 1000;
    std::vector<int16_t> samples(frames * static_cast<size_t>(s.channels), 0);
    char error[256];
    if (!encode_mp3(path.c_str(), samples.data(), frames, s, nullptr, nullptr, error, sizeof error))
        return "";
    return path;
}

void place_music(const std::string& source, const std::string& directory) {
    std::filesystem::copy_file(source, directory + "/starglow.mp3",
                               std::filesystem::copy_options::overwrite_existing);
}
