// A video's sound: the tune's stretch encoded to AAC ahead of the picture,
// so that its true peak can be measured and held at or below a ceiling. The
// encoder overshoots the peaks it is given (the tune's -1.4 dBTP came out at
// +0.4 at 192 kbit/s), by an amount that does not follow the gain smoothly;
// so it is measured, and encoded again lower, until it is under.
#pragma once

#include <filesystem>

namespace Sorva {

class SoundTrack {
public:
    // dBTP, as ffmpeg's ebur128 filter measures it.
    static constexpr double ceiling = -1.0;

    struct Settings {
        std::filesystem::path ffmpeg;
        std::filesystem::path tune; // the show's MP3
        double start = 0.0;         // seconds into the tune
        double duration = 0.0;      // seconds
        std::filesystem::path file; // the .m4a to write
    };

    // Encodes and measures; throws std::runtime_error when ffmpeg fails or
    // the peak cannot be brought under the ceiling.
    explicit SoundTrack(const Settings& settings);
    // Removes the file.
    ~SoundTrack();
    SoundTrack(const SoundTrack&) = delete;
    SoundTrack& operator=(const SoundTrack&) = delete;

    const std::filesystem::path& file() const { return file_; }
    // Of the encoded sound, dBTP.
    double truePeak() const { return truePeak_; }
    // What was taken off the tune before encoding, dB (0 or less).
    double gain() const { return gain_; }

    // The true peak of the sound in a media file, dBTP; throws
    // std::runtime_error when ffmpeg cannot read it.
    static double truePeakOf(const std::filesystem::path& ffmpeg,
                             const std::filesystem::path& file);

private:
    void encode(const Settings& settings);

    std::filesystem::path file_;
    double truePeak_ = 0.0;
    double gain_ = 0.0;
};

} // namespace Sorva
