// The .ico layout: a directory of entries, then each picture's bytes.
#include "tools/IconFile.h"

#include <stb_image_write.h>

#include <stdexcept>

namespace Sorva {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

void append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

std::vector<std::uint8_t> png(const IconPicture& p) {
    std::vector<std::uint8_t> out;
    if (!stbi_write_png_to_func(&append, &out, p.size, p.size, 4, p.rgba.data(), p.size * 4))
        throw std::runtime_error("cannot encode a " + std::to_string(p.size) + " px icon");
    return out;
}

// A bitmap as icons hold it: the header with twice the height (colour, then
// mask), BGRA rows bottom first, then a 1-bit mask with nothing masked (the
// alpha channel is what counts).
std::vector<std::uint8_t> bitmap(const IconPicture& p) {
    const int maskRow = (p.size + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, std::uint32_t(p.size));
    put32(out, std::uint32_t(p.size * 2));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, std::uint32_t(p.size * p.size * 4 + maskRow * p.size));
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    for (int y = p.size - 1; y >= 0; --y)
        for (int x = 0; x < p.size; ++x) {
            const std::uint8_t* rgba = &p.rgba[(std::size_t(y) * p.size + x) * 4];
            out.insert(out.end(), {rgba[2], rgba[1], rgba[0], rgba[3]});
        }
    out.resize(out.size() + std::size_t(maskRow) * p.size, 0);
    return out;
}

} // namespace

std::vector<std::uint8_t> iconFile(const std::vector<IconPicture>& pictures) {
    std::vector<std::vector<std::uint8_t>> images;
    for (const IconPicture& p : pictures) {
        if (p.size < 1 || p.size > 256 || p.rgba.size() != std::size_t(p.size) * p.size * 4)
            throw std::invalid_argument("an icon picture must be square, 1 to 256 px, RGBA");
        images.push_back(p.size == 256 ? png(p) : bitmap(p));
    }
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, unsigned(pictures.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int size = pictures[i].size;
        out.push_back(std::uint8_t(size == 256 ? 0 : size));
        out.push_back(std::uint8_t(size == 256 ? 0 : size));
        out.push_back(0);
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, std::uint32_t(images[i].size()));
        put32(out, offset);
        offset += std::uint32_t(images[i].size());
    }
    for (const std::vector<std::uint8_t>& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace Sorva
