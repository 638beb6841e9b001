// Writes the audio test files the clock tests decode: a raw PCM tone for lame
// to encode, deterministic junk, damaged copies of an encoded file, and copies
// with an APEv2 tag or junk between two frames.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<char> readAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeAll(const char* path, const std::vector<char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<char> junk(std::size_t count) {
    std::mt19937 random(1234);
    std::vector<char> bytes(count);
    for (char& b : bytes)
        b = static_cast<char>(random());
    return bytes;
}

// Interleaved 16-bit little-endian stereo at 44.1 kHz: a silent lead-in, then
// 440 Hz left and 660 Hz right at amplitude 8000. The sharp onset shows where
// the decoder puts the first real sample.
constexpr long leadIn = 4410;

std::vector<char> tone(long frames) {
    std::vector<char> bytes;
    bytes.reserve(static_cast<std::size_t>(frames) * 4);
    for (long i = 0; i < frames; ++i) {
        for (double hz : {440.0, 660.0}) {
            const double t = i < leadIn ? 0.0 : (i - leadIn) / 44100.0;
            const auto s = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * M_PI * hz * t));
            bytes.push_back(static_cast<char>(s & 0xff));
            bytes.push_back(static_cast<char>((s >> 8) & 0xff));
        }
    }
    return bytes;
}

void putLe32(std::vector<char>& bytes, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// An APEv2 tag with header, one "Title" item and footer. It goes before a
// trailing ID3v1 tag, where taggers put it.
void insertApeTag(std::vector<char>& bytes) {
    const std::string key = "Title", value = "Halvo test tone";
    std::vector<char> item;
    putLe32(item, static_cast<std::uint32_t>(value.size()));
    putLe32(item, 0);
    item.insert(item.end(), key.begin(), key.end());
    item.push_back('\0');
    item.insert(item.end(), value.begin(), value.end());
    const auto tagSize = static_cast<std::uint32_t>(item.size() + 32); // items + footer
    const auto block = [&](std::uint32_t flags) {
        std::vector<char> b = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
        putLe32(b, 2000);
        putLe32(b, tagSize);
        putLe32(b, 1);
        putLe32(b, flags);
        b.resize(32, '\0');
        return b;
    };
    constexpr std::uint32_t hasHeader = 1u << 31, isHeader = 1u << 29;
    std::vector<char> tag = block(hasHeader | isHeader);
    tag.insert(tag.end(), item.begin(), item.end());
    const std::vector<char> footer = block(hasHeader);
    tag.insert(tag.end(), footer.begin(), footer.end());

    std::size_t at = bytes.size();
    if (at >= 128 && std::string(bytes.end() - 128, bytes.end() - 125) == "TAG")
        at -= 128;
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), tag.begin(), tag.end());
}

// Byte offset of MPEG-1 Layer III frame `index` (0 is the first frame, after
// any ID3v2 tag), or the file's size when there is no such frame.
std::size_t frameOffset(const std::vector<char>& bytes, long index) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t at = 0;
    if (bytes.size() >= 10 && std::string(bytes.begin(), bytes.begin() + 3) == "ID3")
        at = 10 + (byte(6) << 21 | byte(7) << 14 | byte(8) << 7 | byte(9));
    static const int kbps[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int hz[] = {44100, 48000, 32000};
    for (long n = 0;; ++n) {
        if (at + 4 > bytes.size())
            return bytes.size();
        const int bitrate = (byte(at + 2) >> 4) & 0xf, rate = (byte(at + 2) >> 2) & 3;
        if (byte(at) != 0xff || (byte(at + 1) & 0xfe) != 0xfa || bitrate == 0 || bitrate == 15 ||
            rate == 3)
            return bytes.size();
        if (n == index)
            return at;
        at += 144000 * kbps[bitrate] / hz[rate] + ((byte(at + 2) >> 1) & 1);
    }
}

int usage() {
    std::fprintf(stderr, "usage: halvo-audio-fixture tone FRAMES OUT | junk BYTES OUT |\n"
                         "       cut IN OUT (half|-BYTES) | splice IN OUT OFFSET BYTES |\n"
                         "       ape IN OUT | gap IN OUT FRAME BYTES\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    std::vector<char> bytes;
    const char* out = nullptr;
    if (mode == "tone" && argc == 4) {
        bytes = tone(std::atol(argv[2]));
        out = argv[3];
    } else if (mode == "junk" && argc == 4) {
        bytes = junk(static_cast<std::size_t>(std::atol(argv[2])));
        out = argv[3];
    } else if (mode == "cut" && argc == 5) {
        bytes = readAll(argv[2]);
        const std::string keep = argv[4];
        const std::size_t drop =
            keep == "half" ? bytes.size() / 2 : std::strtoul(keep.c_str() + 1, nullptr, 10);
        bytes.resize(bytes.size() - std::min(drop, bytes.size()));
        out = argv[3];
    } else if (mode == "splice" && argc == 6) {
        bytes = readAll(argv[2]);
        const auto offset = std::min<std::size_t>(std::strtoul(argv[4], nullptr, 10), bytes.size());
        const std::vector<char> inserted = junk(std::strtoul(argv[5], nullptr, 10));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(offset), inserted.begin(),
                     inserted.end());
        out = argv[3];
    } else if (mode == "ape" && argc == 4) {
        bytes = readAll(argv[2]);
        insertApeTag(bytes);
        out = argv[3];
    } else if (mode == "gap" && argc == 6) {
        bytes = readAll(argv[2]);
        const std::size_t offset = frameOffset(bytes, std::atol(argv[4]));
        if (offset == bytes.size()) {
            std::fprintf(stderr, "halvo-audio-fixture: %s has no frame %s\n", argv[2], argv[4]);
            return 1;
        }
        const std::vector<char> inserted = junk(std::strtoul(argv[5], nullptr, 10));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(offset), inserted.begin(),
                     inserted.end());
        out = argv[3];
    } else {
        return usage();
    }
    if (bytes.empty() || !writeAll(out, bytes)) {
        std::fprintf(stderr, "halvo-audio-fixture: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
