// An image file decoded to 8-bit RGBA within the show's image limit: what
// loadTexture uploads, and what the tools read of the show's pictures.
#pragma once

#include <cstdint>
#include <string>

namespace Sorva::Gl {

class DecodedImage {
public:
    // The show's largest image is 1024 x 512 pixels; eight times that, 2048 x
    // 2048 (16 MiB decoded), is plenty, and a file declaring more is refused
    // before it is decoded: a small PNG can declare gigabytes of pixels.
    static constexpr std::int64_t maxPixels = 2048 * 2048;
    // A long thin picture within that would decode and then fail the upload:
    // no side may pass twice the show's longest either.
    static constexpr int maxSide = 2048;

    // Decodes the file at path, rows in file order. A file that is not a
    // regular file (a FIFO is never waited on), declares more than the limit
    // or cannot be decoded leaves no pixels and says why in problem().
    explicit DecodedImage(const std::string& path);
    ~DecodedImage();
    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    // Width x height x 4 bytes; null when the file was refused.
    const std::uint8_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& problem() const { return problem_; }

private:
    std::uint8_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::string problem_;
};

} // namespace Sorva::Gl
