// The tune decoded by the browser (decodeAudioData) into 44.1 kHz stereo
// 16-bit PCM; the browser trims the encoder's delay and padding itself.
#include "sync/TuneDecoder.h"

#include "sync/AudioOutput.h"
#include "sync/RegularFile.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Decodes size bytes at data; on success the interleaved samples are left at
// *samples (malloc'ed, for the caller to free) and their count returned; on
// failure -1, with the browser's reason written to why (at most whySize).
EM_ASYNC_JS(int, halvoDecodeMp3,
            (const unsigned char* data, int size, short** samples, char* why, int whySize), {
                try {
                    if (!Module.halvoAudioContext)
                        Module.halvoAudioContext = new AudioContext({sampleRate : 44100});
                    const bytes = HEAPU8.slice(data, data + size).buffer;
                    const buffer = await Module.halvoAudioContext.decodeAudioData(bytes);
                    const frames = buffer.length;
                    const left = buffer.getChannelData(0);
                    const right = buffer.getChannelData(buffer.numberOfChannels > 1 ? 1 : 0);
                    const out = _malloc(frames * 4);
                    const view = HEAP16.subarray(out >> 1, (out >> 1) + frames * 2);
                    for (let i = 0; i < frames; ++i) {
                        view[2 * i] =
                            Math.max(-32768, Math.min(32767, Math.round(left[i] * 32768)));
                        view[2 * i + 1] =
                            Math.max(-32768, Math.min(32767, Math.round(right[i] * 32768)));
                    }
                    HEAP32[samples >> 2] = out;
                    return frames * 2;
                } catch (e) {
                    stringToUTF8("not MP3 audio the browser can decode (" + e + ")", why, whySize);
                    return -1;
                }
            });

} // namespace

namespace Sorva {

std::optional<std::vector<std::int16_t>> decodeTune(const char* path, std::string* why) {
    RegularFile opened = openRegularFile(path);
    if (!opened.file) {
        if (why)
            *why = opened.problem;
        return std::nullopt;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    while (const std::size_t n = std::fread(chunk, 1, sizeof chunk, opened.file))
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(opened.file);

    short* decoded = nullptr;
    char reason[256] = "";
    const int count = halvoDecodeMp3(bytes.data(), static_cast<int>(bytes.size()), &decoded, reason,
                                     sizeof reason);
    if (count <= 0) {
        if (why)
            *why = count < 0 ? reason : "no audio";
        return std::nullopt;
    }
    std::vector<std::int16_t> samples(decoded, decoded + count);
    std::free(decoded);
    return samples;
}

} // namespace Sorva
