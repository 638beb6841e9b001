// RGBA pictures written with stb_image_write.
#include "tools/images/RgbaImage.h"

#include "sync/RegularFile.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Sorva::Images {

namespace {

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

void append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), std::size_t(size));
}

} // namespace

RgbaImage::RgbaImage(int width, int height)
    : width_(width), height_(height), bytes_(static_cast<std::size_t>(width) * height * 4, 0) {}

void RgbaImage::set(int x, int y, Rgba colour) {
    std::uint8_t* p = &bytes_[(static_cast<std::size_t>(y) * width_ + x) * 4];
    p[0] = toByte(colour.r);
    p[1] = toByte(colour.g);
    p[2] = toByte(colour.b);
    p[3] = toByte(colour.a);
}

void RgbaImage::save(const std::filesystem::path& path) const {
    std::string png;
    if (!stbi_write_png_to_func(append, &png, width_, height_, 4, bytes_.data(), width_ * 4))
        throw std::runtime_error("cannot encode " + path.string());
    // Only a regular file or a new name is written: a FIFO there would wait
    // for a reader, and a device is no place for a picture.
    const Sorva::RegularFile out = Sorva::createRegularFile(path.string());
    if (!out.file)
        throw std::runtime_error("cannot write " + path.string() + ": " + out.problem);
    const bool complete = std::fwrite(png.data(), 1, png.size(), out.file) == png.size();
    const int writeError = errno;
    const bool closed = std::fclose(out.file) == 0;
    if (!complete || !closed) {
        const int error = complete ? errno : writeError;
        std::error_code ignored;
        std::filesystem::remove(path, ignored); // a partly written picture
        throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
    }
}

} // namespace Sorva::Images
