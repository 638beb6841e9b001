// MP3 decoding with libmpg123, strict about damaged and truncated files.
#include "sync/TuneDecoder.h"

#include "sync/AudioOutput.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace Sorva {

namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// Where the MPEG frames of the file should end: its size, less a trailing
// ID3v1 tag.
std::int64_t audioEnd(const char* path) {
    std::error_code error;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error)
        return -1;
    if (size >= 128) {
        std::ifstream file(path, std::ios::binary);
        char tag[3] = {};
        file.seekg(size - 128);
        if (file.read(tag, 3) && std::memcmp(tag, "TAG", 3) == 0)
            return size - 128;
    }
    return size;
}

} // namespace

std::optional<std::vector<std::int16_t>> decodeTune(const char* path) {
    int error = MPG123_OK;
    Handle handle(mpg123_new(nullptr, &error));
    if (!handle)
        return std::nullopt;
    mpg123_handle* h = handle.get();
    // Without resync, junk inside the stream is an error instead of being
    // skipped in silence.
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_NO_RESYNC, 0);
    mpg123_format_none(h);
    mpg123_format(h, AudioOutput::sampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(h, path) != MPG123_OK)
        return std::nullopt;

    // The length: exact from the LAME/Info tag when there is one (its frame
    // count describes the whole file, so any truncation shows as missing
    // samples); otherwise counted by a scan of the frames that are there.
    std::int64_t expected = mpg123_length(h);
    if (expected <= 0)
        return std::nullopt;
    long delay = -1;
    double unused = 0.0;
    const bool tagged =
        mpg123_getstate(h, MPG123_ENC_DELAY, &delay, &unused) == MPG123_OK && delay >= 0;
    if (!tagged) {
        if (mpg123_scan(h) != MPG123_OK)
            return std::nullopt;
        expected = mpg123_length(h);
        if (expected <= 0)
            return std::nullopt;
    }

    // The tag's count is only trusted for the initial allocation as far as
    // the file's size can back it: even 8 kbit/s comes to fewer than 64
    // output frames per byte.
    std::vector<std::int16_t> samples;
    std::error_code sizeError;
    const auto fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(path, sizeError));
    if (!sizeError)
        samples.reserve(static_cast<std::size_t>(std::min(expected, fileBytes * 64)) *
                        AudioOutput::channels);
    std::vector<std::int16_t> chunk(32 * 1024);
    for (;;) {
        std::size_t done = 0;
        const int rc = mpg123_read(h, reinterpret_cast<unsigned char*>(chunk.data()),
                                   chunk.size() * sizeof(std::int16_t), &done);
        if (done % sizeof(std::int16_t) != 0)
            return std::nullopt;
        samples.insert(samples.end(), chunk.begin(),
                       chunk.begin() + static_cast<std::ptrdiff_t>(done / sizeof(std::int16_t)));
        if (static_cast<std::int64_t>(samples.size()) > expected * AudioOutput::channels)
            return std::nullopt;
        if (rc == MPG123_DONE)
            break;
        if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT)
            return std::nullopt;
    }
    if (static_cast<std::int64_t>(samples.size()) != expected * AudioOutput::channels)
        return std::nullopt;

    // Without a tag a frame cut short at the end goes unnoticed by the count:
    // the last frame decoded must end where the file's audio ends.
    if (!tagged) {
        mpg123_frameinfo info{};
        if (mpg123_info(h, &info) != MPG123_OK ||
            mpg123_framepos(h) + info.framesize != audioEnd(path))
            return std::nullopt;
    }

    return samples;
}

} // namespace Sorva
