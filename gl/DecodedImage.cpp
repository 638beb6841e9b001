// Image decoding through stb_image, the size checked from the header first.
#include "gl/DecodedImage.h"

#include "sync/RegularFile.h"

#include <stb_image.h>

#include <algorithm>
#include <cstdio>

namespace Sorva::Gl {

DecodedImage::DecodedImage(const std::string& path) {
    // Only a regular file is read: opening a FIFO would wait for a writer.
    const RegularFile opened = openRegularFile(path);
    problem_ = opened.problem;
    if (!opened.file)
        return;
    int width = 0;
    int height = 0;
    int channels = 0;
    // The header alone gives the size; the file is rewound after it.
    const bool known = stbi_info_from_file(opened.file, &width, &height, &channels);
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (known && std::int64_t(width) * height > maxPixels)
        problem_ = size + " pixels, more than the " + std::to_string(maxPixels) + " allowed";
    else if (known && std::max(width, height) > maxSide)
        problem_ = size + " pixels, a side longer than the " + std::to_string(maxSide) + " allowed";
    else if ((pixels_ = stbi_load_from_file(opened.file, &width, &height, &channels, 4)))
        width_ = width, height_ = height;
    else
        problem_ = stbi_failure_reason();
    std::fclose(opened.file);
}

DecodedImage::~DecodedImage() {
    stbi_image_free(pixels_);
}

} // namespace Sorva::Gl
