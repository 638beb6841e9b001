// RGBA pictures written with stb_image_write.
#include "tools/images/RgbaImage.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Sorva::Images {

namespace {

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
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
    if (!stbi_write_png(path.c_str(), width_, height_, 4, bytes_.data(), width_ * 4)) {
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path, ignored))
            std::filesystem::remove(path, ignored); // a partly written picture
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace Sorva::Images
