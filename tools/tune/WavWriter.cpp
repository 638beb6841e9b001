// RIFF/WAVE writer: a 44-byte header, then little-endian 16-bit samples.
#include "tools/tune/WavWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace Sorva::Tune {

namespace {

constexpr int channels = 2;
constexpr int bytesPerSample = 2;

void put16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v & 0xff));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
}

void put32(std::vector<unsigned char>& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

} // namespace

WavWriter::WavWriter(const std::string& path, int sampleRate)
    : path_(path), sampleRate_(sampleRate), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_)
        fail("cannot create");
    writeHeader(0);
}

int16_t WavWriter::toPcm(float sample) {
    const float scaled = std::round(std::clamp(sample, -1.0f, 1.0f) * 32767.0f);
    return static_cast<int16_t>(scaled);
}

void WavWriter::write(const float* interleaved, int64_t frames) {
    if (!file_)
        throw std::runtime_error(path_ + ": write after close");
    std::vector<unsigned char> bytes;
    bytes.reserve(static_cast<size_t>(frames) * channels * bytesPerSample);
    for (int64_t i = 0; i < frames * channels; ++i)
        put16(bytes, static_cast<uint16_t>(toPcm(interleaved[i])));
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())
        fail("cannot write");
    frames_ += static_cast<uint64_t>(frames);
}

void WavWriter::close() {
    if (!file_)
        return;
    const uint64_t dataBytes = frames_ * channels * bytesPerSample;
    if (dataBytes > 0xffffffffull - 36)
        throw std::runtime_error(path_ + ": too long for a WAV file");
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0)
        fail("cannot seek in");
    writeHeader(static_cast<uint32_t>(dataBytes));
    std::FILE* f = file_.release();
    if (std::fclose(f) != 0)
        fail("cannot finish");
}

void WavWriter::writeHeader(uint32_t dataBytes) {
    std::vector<unsigned char> h;
    const auto tag = [&h](const char* s) { h.insert(h.end(), s, s + 4); };
    tag("RIFF");
    put32(h, 36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(h, 16);
    put16(h, 1); // PCM
    put16(h, channels);
    put32(h, static_cast<uint32_t>(sampleRate_));
    put32(h, static_cast<uint32_t>(sampleRate_ * channels * bytesPerSample));
    put16(h, channels * bytesPerSample);
    put16(h, 8 * bytesPerSample);
    tag("data");
    put32(h, dataBytes);
    if (std::fwrite(h.data(), 1, h.size(), file_.get()) != h.size())
        fail("cannot write");
}

void WavWriter::fail(const char* what) {
    const std::string reason = errno ? std::strerror(errno) : "unknown error";
    file_.reset();
    throw std::runtime_error(std::string(what) + " " + path_ + ": " + reason);
}

} // namespace Sorva::Tune
