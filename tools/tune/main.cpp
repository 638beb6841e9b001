// halvo-tune: synthesises the show's tune and writes it as a 16-bit stereo
// 44.1 kHz WAV file. The same bytes on every run.
#include "tools/tune/Song.h"
#include "tools/tune/TuneRenderer.h"
#include "tools/tune/WavWriter.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char** argv) {
    using namespace Sorva::Tune;
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvo-tune OUTPUT.wav\n");
        return 2;
    }
    try {
        const Song song;
        TuneRenderer renderer(song);
        WavWriter wav(argv[1], Song::sampleRate);
        const int64_t total = Song::totalFrames();
        std::vector<float> chunk(2 * 8192);
        for (int64_t done = 0; done < total;) {
            const int64_t n = std::min<int64_t>(8192, total - done);
            renderer.render(chunk.data(), n);
            wav.write(chunk.data(), n);
            done += n;
        }
        wav.close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halvo-tune: %s\n", e.what());
        return 1;
    }
    return 0;
}
