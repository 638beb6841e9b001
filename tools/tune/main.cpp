// halvo-tune: synthesises the show's tune and writes it as a 16-bit stereo
// 44.1 kHz WAV file (the same bytes on every run), and/or writes the table of
// its events for the choreography.
#include "tools/tune/EventTable.h"
#include "tools/tune/Song.h"
#include "tools/tune/TuneRenderer.h"
#include "tools/tune/WavWriter.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace Sorva::Tune;
    std::string wavPath;
    std::string eventsPath;
    bool usage = argc < 2;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--events" && i + 1 < argc && eventsPath.empty())
            eventsPath = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && wavPath.empty())
            wavPath = arg;
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: halvo-tune [OUTPUT.wav] [--events EVENTS.txt]\n");
        return 2;
    }
    try {
        const Song song;
        if (!eventsPath.empty())
            EventTable(song).writeFile(eventsPath);
        if (wavPath.empty())
            return 0;
        TuneRenderer renderer(song);
        WavWriter wav(wavPath, Song::sampleRate);
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
