// halvo-banner: draws the setup dialog's 315 x 157 banner (title in a built-in
// pixel font over a particle field and a grid floor) and writes it as PNG or,
// for the Windows dialog's resources, as a 24-bit BMP. With --icon, draws the
// program's icon from the same art instead: DIR/halvo.ico (16, 32, 48 and
// 256 px) and each size as DIR/halvo-SIZE.png, for desktop menus.
#include "tools/BannerArt.h"
#include "tools/IconFile.h"

#include <stb_image_write.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <string_view>

namespace {

int writeIcons(const std::string& dir) {
    std::vector<Sorva::IconPicture> pictures;
    for (const int size : {16, 32, 48, 256}) {
        pictures.push_back({size, Sorva::drawIcon(size)});
        const std::string png = dir + "/halvo-" + std::to_string(size) + ".png";
        if (!stbi_write_png(png.c_str(), size, size, 4, pictures.back().rgba.data(), size * 4)) {
            std::fprintf(stderr, "halvo-banner: cannot write %s\n", png.c_str());
            return 1;
        }
    }
    const std::vector<std::uint8_t> ico = Sorva::iconFile(pictures);
    const std::string path = dir + "/halvo.ico";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "halvo-banner: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--icon")
        return writeIcons(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvo-banner OUT.png|OUT.bmp\n"
                             "       halvo-banner --icon DIR\n");
        return 2;
    }
    // A .bmp is the 24-bit bitmap the Windows dialog's resources hold.
    const std::string_view out = argv[1];
    const bool bmp = out.size() > 4 && out.substr(out.size() - 4) == ".bmp";
    const std::vector<std::uint8_t> rgb = Sorva::drawBanner();
    const int w = Sorva::bannerWidth, h = Sorva::bannerHeight;
    const int written = bmp ? stbi_write_bmp(argv[1], w, h, 3, rgb.data())
                            : stbi_write_png(argv[1], w, h, 3, rgb.data(), w * 3);
    if (!written) {
        std::fprintf(stderr, "halvo-banner: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
