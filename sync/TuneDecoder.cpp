// MP3 decoding with libmpg123: whatever it decodes with its defaults (tags
// skipped, junk between frames resynced over), unless the tune is cut short.
#include "sync/TuneDecoder.h"

#include "sync/AudioOutput.h"
#include "sync/RegularFile.h"

#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace Sorva {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct HandleDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Where the MPEG frames of the file should end: its size, less the tags that
// may follow the audio (ID3v1 and APEv2, in either order).
std::int64_t audioEnd(const char* path) {
    std::error_code error;
    auto end = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error)
        return -1;
    std::ifstream file(path, std::ios::binary);
    const auto startsWith = [&](std::int64_t at, const char* magic, unsigned char* rest,
                                std::size_t restBytes) {
        const std::size_t n = std::strlen(magic);
        char head[8] = {};
        if (at < 0 || !file.seekg(at) || !file.read(head, static_cast<std::streamsize>(n)) ||
            std::memcmp(head, magic, n) != 0)
            return false;
        return restBytes == 0 ||
               static_cast<bool>(file.read(reinterpret_cast<char*>(rest),
                                           static_cast<std::streamsize>(restBytes)));
    };
    for (bool stripped = true; stripped;) {
        stripped = false;
        if (startsWith(end - 128, "TAG", nullptr, 0)) {
            end -= 128;
            stripped = true;
        }
        // APEv2 footer: magic, version, size of items and footer, item
        // count, flags (bit 31: a header precedes the items), reserved.
        unsigned char footer[24];
        if (startsWith(end - 32, "APETAGEX", footer, sizeof footer)) {
            const std::int64_t size =
                le32(footer + 4) + ((le32(footer + 12) & 0x80000000u) ? 32 : 0);
            if (size >= 32 && size <= end) {
                end -= size;
                stripped = true;
            }
        }
        file.clear();
    }
    return end;
}

// Whether the first MPEG frame, after an ID3v2 tag, is a Xing/Info frame
// carrying an encoder's extension (LAME's, with the delay and padding that
// make gapless lengths exact). Read here rather than asked of libmpg123,
// whose older releases, as built for Windows, do not report it.
bool hasLameTag(const char* path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char head[10] = {};
    std::int64_t at = 0;
    if (!file.read(reinterpret_cast<char*>(head), sizeof head))
        return false;
    if (std::memcmp(head, "ID3", 3) == 0) {
        const std::int64_t size = (head[6] & 0x7f) << 21 | (head[7] & 0x7f) << 14 |
                                  (head[8] & 0x7f) << 7 | (head[9] & 0x7f);
        at = 10 + size + ((head[5] & 0x10) ? 10 : 0);
    }
    unsigned char frame[256] = {};
    if (!file.seekg(at) || !file.read(reinterpret_cast<char*>(frame), sizeof frame))
        return false;
    if (frame[0] != 0xff || (frame[1] & 0xe0) != 0xe0 || (frame[1] & 0x06) != 0x02)
        return false; // not a layer III frame header
    const bool mpeg1 = (frame[1] & 0x18) == 0x18;
    const bool mono = (frame[3] & 0xc0) == 0xc0;
    const bool crc = (frame[1] & 0x01) == 0;
    const int sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const unsigned char* xing = frame + 4 + (crc ? 2 : 0) + sideInfo;
    if (std::memcmp(xing, "Xing", 4) != 0 && std::memcmp(xing, "Info", 4) != 0)
        return false;
    // Frame count, byte count, table of contents and quality, as flagged.
    const std::uint32_t flags = xing[4] << 24 | xing[5] << 16 | xing[6] << 8 | xing[7];
    const int offset = 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) +
                       ((flags & 8) ? 4 : 0);
    const unsigned char* encoder = xing + offset;
    if (encoder + 24 > frame + sizeof frame)
        return false;
    return std::all_of(encoder, encoder + 4, [](unsigned char c) { return c >= 0x20 && c < 0x7f; });
}

} // namespace

std::optional<std::vector<std::int16_t>> decodeTune(const char* path, std::string* why) {
    const auto refuse = [why](std::string reason) {
        if (why)
            *why = std::move(reason);
        return std::optional<std::vector<std::int16_t>>();
    };
    // Only a regular file: a FIFO in its place would keep the show from starting.
    const RegularFile opened = openRegularFile(path);
    if (!opened.file)
        return refuse(opened.problem);
    const std::unique_ptr<std::FILE, FileCloser> file(opened.file);
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0)
        return refuse(std::strerror(errno));
    const auto fileBytes = static_cast<std::int64_t>(info.st_size);
    if (fileBytes == 0)
        return refuse("an empty file");

    // A no-op in current libmpg123, required by the older one built for Windows.
    static const int initialised = mpg123_init();
    int error = initialised;
    Handle handle(initialised == MPG123_OK ? mpg123_new(nullptr, &error) : nullptr);
    if (!handle)
        return refuse(std::string("no MP3 decoder: ") + mpg123_plain_strerror(error));
    mpg123_handle* h = handle.get();
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
    mpg123_format_none(h);
    mpg123_format(h, AudioOutput::sampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_fd(h, fileno(file.get())) != MPG123_OK)
        return refuse(std::string("not MP3 audio: ") + mpg123_strerror(h));

    // With a LAME/Info tag the length is exact: its frame count describes the
    // whole file, so a cut shows as missing samples. Without one it is only
    // an estimate from the file's size.
    const std::int64_t length = mpg123_length(h);
    const bool tagged = hasLameTag(path);

    // The length is only trusted for the initial allocation as far as the
    // file's size can back it: even 8 kbit/s comes to fewer than 64 output
    // frames per byte.
    std::vector<std::int16_t> samples;
    if (length > 0)
        samples.reserve(static_cast<std::size_t>(std::min(length, fileBytes * 64)) *
                        AudioOutput::channels);
    std::vector<std::int16_t> chunk(32 * 1024);
    for (;;) {
        std::size_t done = 0;
        const int rc = mpg123_read(h, reinterpret_cast<unsigned char*>(chunk.data()),
                                   chunk.size() * sizeof(std::int16_t), &done);
        samples.insert(samples.end(), chunk.begin(),
                       chunk.begin() + static_cast<std::ptrdiff_t>(done / sizeof(std::int16_t)));
        if (rc == MPG123_DONE)
            break;
        if (rc == MPG123_OK || rc == MPG123_NEW_FORMAT)
            continue;
        // The older libmpg123 built for Windows reports a file that ends
        // inside a frame as a read error rather than its end; what was
        // decoded is then checked below, as any cut at the end is.
        if (mpg123_errcode(h) == MPG123_ERR_READER && !samples.empty())
            break;
        return refuse(samples.empty() ? "not MP3 audio"
                                      : std::string("damaged MP3 data: ") + mpg123_strerror(h));
    }
    const auto frames = static_cast<std::int64_t>(samples.size() / AudioOutput::channels);
    if (frames == 0)
        return refuse("not MP3 audio");
    if (tagged) {
        if (frames == length)
            return samples;
        char reason[128];
        std::snprintf(reason, sizeof reason, "%s: %.3f s decoded, its LAME tag says %.3f s",
                      frames < length ? "cut short" : "damaged",
                      double(frames) / AudioOutput::sampleRate,
                      double(length) / AudioOutput::sampleRate);
        return refuse(reason);
    }

    // Without a tag a cut at the end leaves whole frames that decode fine:
    // the last one must end where the file's audio ends.
    mpg123_frameinfo frame{};
    if (mpg123_info(h, &frame) != MPG123_OK ||
        mpg123_framepos(h) + frame.framesize != audioEnd(path))
        return refuse("cut short: its last MP3 frame is incomplete");
    return samples;
}

} // namespace Sorva
