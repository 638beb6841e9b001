// Writes the audio test files the clock tests decode: a raw PCM tone for lame
// to encode, deterministic junk, and damaged copies of an encoded file.
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

int usage() {
    std::fprintf(stderr, "usage: halvo-audio-fixture tone FRAMES OUT | junk BYTES OUT |\n"
                         "       cut IN OUT (half|-BYTES) | splice IN OUT OFFSET BYTES\n");
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
    } else {
        return usage();
    }
    if (bytes.empty() || !writeAll(out, bytes)) {
        std::fprintf(stderr, "halvo-audio-fixture: cannot write %s\n", out);
        return 1;
    }
    return 0;
}
