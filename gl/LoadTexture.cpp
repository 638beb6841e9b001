// Image loading through stb_image.
#include "gl/LoadTexture.h"

#include "gl/StartupObserver.h"
#include "sync/RegularFile.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace Sorva::Gl {

namespace {

// The show's largest image is 1024 x 512 pixels; eight times that, 2048 x
// 2048 (16 MiB decoded), is plenty, and a file declaring more is refused
// before it is decoded: a small PNG can declare gigabytes of pixels.
constexpr std::int64_t maxImagePixels = 2048 * 2048;
// A long thin picture within that would decode and then fail the upload:
// no side may pass twice the show's longest either.
constexpr int maxImageSide = 2048;

} // namespace

void loadTexture(const std::string& path, Texture& texture) {
    StartupObserver::Scope timing(StartupObserver::Work::ImageDecoding);
    int width = 0;
    int height = 0;
    int fileChannels = 0;
    // Only a regular file is read: opening a FIFO would wait for a writer.
    const RegularFile opened = openRegularFile(path);
    std::string problem = opened.problem;
    stbi_uc* pixels = nullptr;
    if (opened.file) {
        // The header alone gives the size; the file is rewound after it.
        const bool known = stbi_info_from_file(opened.file, &width, &height, &fileChannels);
        const std::string size = std::to_string(width) + " x " + std::to_string(height);
        if (known && std::int64_t(width) * height > maxImagePixels)
            problem =
                size + " pixels, more than the " + std::to_string(maxImagePixels) + " allowed";
        else if (known && std::max(width, height) > maxImageSide)
            problem = size + " pixels, a side longer than the " + std::to_string(maxImageSide) +
                      " allowed";
        else if (!(pixels = stbi_load_from_file(opened.file, &width, &height, &fileChannels, 4)))
            problem = stbi_failure_reason();
        std::fclose(opened.file);
    }
    texture.bind();
    if (!pixels) {
        std::fprintf(stderr, "Cannot load image %s: %s\n", path.c_str(), problem.c_str());
        return;
    }
    texture.texImage2D(0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    texture.texParameteri(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.texParameteri(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    stbi_image_free(pixels);
}

} // namespace Sorva::Gl
