// Writes 16-bit PCM stereo WAV files from float frames.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace Sorva::Tune {

class WavWriter {
public:
    // Opens path for writing; throws std::runtime_error naming the file on failure.
    WavWriter(const std::string& path, int sampleRate);

    // Appends interleaved stereo frames, rounded to 16 bits and clamped to full scale.
    void write(const float* interleaved, int64_t frames);
    // Fills in the sizes and closes the file; throws std::runtime_error on a write error.
    void close();

    // The 16-bit value written for a sample.
    static int16_t toPcm(float sample);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    void writeHeader(uint32_t dataBytes);
    void fail(const char* what);

    std::string path_;
    int sampleRate_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    uint64_t frames_ = 0;
};

} // namespace Sorva::Tune
