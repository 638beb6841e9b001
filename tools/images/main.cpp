// halvo-images OUTDIR: draws the show's pictures (noise, tunnel wall, titles,
// greetings, the particle and the particle ball's sprites) into OUTDIR. The
// same bytes on every run.
#include "tools/images/Font.h"
#include "tools/images/NoiseTexture.h"
#include "tools/images/ParticleSprite.h"
#include "tools/images/Sprites.h"
#include "tools/images/TextImages.h"
#include "tools/images/TunnelTexture.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace {

// League Spartan from Debian's fonts-league-spartan; HALVO_FONT_DIR points
// elsewhere (the tests use it to take the fonts away).
std::filesystem::path fontDir() {
    const char* dir = std::getenv("HALVO_FONT_DIR");
    return dir ? dir : "/usr/share/fonts/opentype/league-spartan";
}

// Invented groups, greeted at the end of the blue scene.
constexpr std::array<std::string_view, 10> greeted = {
    "Kuurankukka", "Lumo Systems", "Rasterfrost", "Nollakohta",   "Bitmyrsky",
    "Aamusumu",    "Vaporgrid",    "Tundra Loop", "Pale Cathode", "Northbound Nine",
};

} // namespace

int main(int argc, char** argv) {
    using namespace Sorva::Images;
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvo-images OUTDIR\n");
        return 2;
    }
    try {
        const Font bold(fontDir() / "LeagueSpartan-Bold.otf");
        const Font light(fontDir() / "LeagueSpartan-Light.otf");
        const Font black(fontDir() / "LeagueSpartan-Black.otf");
        const std::filesystem::path out = argv[1];
        std::error_code error;
        std::filesystem::create_directories(out, error);
        if (error)
            throw std::runtime_error("cannot create " + out.string() + ": " + error.message());

        makeNoiseTexture().save(out / "noisetex.png");
        makeTunnelTexture().save(out / "tunnel.png");
        makeTitle(bold, "Halvo").save(out / "title1.png");
        makeTitle(bold, "Sorva").save(out / "title2.png");
        makeTitle(bold, "Below Zero").save(out / "title3.png");
        makeGreets(light, bold, "greetings to", greeted).save(out / "greets.png");
        makeParticleSprite().save(out / "partikle.png");
        for (const SpriteDrawing& sprite : spriteDrawings())
            sprite.draw(black).save(out / sprite.file);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halvo-images: %s\n", e.what());
        return 1;
    }
    return 0;
}
