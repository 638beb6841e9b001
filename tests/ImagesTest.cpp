// Tests of halvo-images (no GL), run as the build runs it: picture sizes,
// transparency around the text and the sprites, seamless tiles, the soft
// particle, the same bytes on every run, and its failures.
#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;

    int at(int x, int y, int channel) const {
        return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + channel];
    }
};

Picture load(const fs::path& path) {
    Picture p;
    int channels = 0;
    std::uint8_t* pixels = stbi_load(path.c_str(), &p.width, &p.height, &channels, 4);
    if (!pixels) {
        ADD_FAILURE() << "cannot decode " << path;
        return p;
    }
    p.rgba.assign(pixels, pixels + static_cast<std::size_t>(p.width) * p.height * 4);
    stbi_image_free(pixels);
    return p;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const fs::path scratch =
    fs::temp_directory_path() / ("halvo-images-test-" + std::to_string(getpid()));

// Runs the tool on `outDir` (no argument when empty) after an `env`
// assignment; its exit code (124 if it hangs) and standard error.
struct ToolRun {
    int code;
    std::string err;
};
ToolRun runTool(const fs::path& outDir, const std::string& env = "") {
    fs::create_directories(scratch);
    const fs::path err = scratch / "stderr";
    std::string command = "timeout 20 env ";
    command += env;
    command += " '" HALVO_IMAGES_TOOL "' ";
    if (!outDir.empty()) {
        command += '\'';
        command += outDir.string();
        command += '\'';
    }
    command += " 2>";
    command += err.string();
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(err)};
}

// Mean absolute difference over all channels between column a and column b
// (or rows, when `rows`).
double lineDifference(const Picture& p, int a, int b, bool rows) {
    const int n = rows ? p.width : p.height;
    double sum = 0;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 4; ++c)
            sum += rows ? std::abs(p.at(i, a, c) - p.at(i, b, c))
                        : std::abs(p.at(a, i, c) - p.at(b, i, c));
    return sum / (n * 4);
}

// Mean absolute difference of horizontally neighbouring pixels in one channel.
double roughness(const Picture& p, int channel) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x + 1 < p.width; ++x)
            sum += std::abs(p.at(x + 1, y, channel) - p.at(x, y, channel));
    return sum / (p.height * (p.width - 1));
}

const char* const names[] = {"noisetex.png", "tunnel.png", "title1.png",  "title2.png",
                             "title3.png",   "greets.png", "partikle.png"};

// The particle ball's sprites, in the order its texture-id tracks pick them.
// clang-format off
const char* const sprites[] = {
    "accuse.png", "broken.png", "bust.png", "pebble2.png", "cristo.png", "culdesac.png",
    "daisies.png", "death.png", "fathers.png", "head.png", "hostile.png", "wxzq.png", "l_baby.png",
    "l_pebble.png", "l_face.png", "l_face1.png", "l_face2.png", "l_face4.png", "l_fistup.png",
    "lantern_preview.png", "nokia.png", "pride.png", "prop1.png", "s_frame.png", "sanity.png",
    "some.png", "stop.png", "title1.png", "title2.png", "title3.png", "meadow3_preview.png",
    "turned.png", "enkeli.png", "broughtitdown.png", "breakfree.png", "eye.png", "eye2.png",
    "girl.png", "lookup.png", "open.png", "tsun.png", "aavikko-lost.png", "kukkavaasi.png",
    "kyltti-risteys.png", "memories.png", "pistooli.png", "rauniot.png", "stopsign.png",
    "vihainennyrkki.png",
};
// clang-format on

class ImagesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        const ToolRun run = runTool(scratch / "a");
        ASSERT_EQ(run.code, 0) << run.err;
    }
    static void TearDownTestSuite() { fs::remove_all(scratch); }
    static fs::path file(const char* name) { return scratch / "a" / name; }
};

TEST_F(ImagesTest, PicturesHaveTheirSizes) {
    const struct {
        const char* name;
        int width, height;
    } cases[] = {{"noisetex.png", 256, 256}, {"tunnel.png", 512, 512},  {"title1.png", 1024, 256},
                 {"title2.png", 1024, 256},  {"title3.png", 1024, 256}, {"greets.png", 1024, 512},
                 {"partikle.png", 64, 64}};
    for (const auto& c : cases) {
        const Picture p = load(file(c.name));
        EXPECT_EQ(p.width, c.width) << c.name;
        EXPECT_EQ(p.height, c.height) << c.name;
    }
}

// Text and sprites are opaque on a transparent ground (particles land on
// the opaque part), and fade out before the edges, so clamped or repeated
// sampling shows no stripes.
TEST_F(ImagesTest, TextIsOpaqueOnTransparencyWithClearEdges) {
    std::vector<const char*> pictures(std::begin(sprites), std::end(sprites));
    pictures.push_back("greets.png");
    for (const char* name : pictures) {
        const Picture p = load(file(name));
        int clear = 0, opaque = 0, edge = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const int a = p.at(x, y, 3);
                clear += a == 0;
                opaque += a >= 250;
                if (x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1)
                    edge = std::max(edge, a);
            }
        const int pixels = p.width * p.height;
        EXPECT_GT(clear, pixels / 3) << name;
        EXPECT_GT(opaque, pixels / 50) << name;
        EXPECT_EQ(edge, 0) << name;
    }
}

// Tiles wrap: the last column (row) continues into the first about as
// smoothly as neighbouring columns (rows) do on average; a picture that does
// not wrap differs there by several times as much.
TEST_F(ImagesTest, TexturesTileSeamlessly) {
    for (const char* name : {"noisetex.png", "tunnel.png"})
        for (bool rows : {false, true}) {
            const Picture p = load(file(name));
            const int n = rows ? p.height : p.width;
            double neighbours = 0;
            for (int i = 0; i + 1 < n; ++i)
                neighbours += lineDifference(p, i, i + 1, rows);
            neighbours /= n - 1;
            EXPECT_LE(lineDifference(p, n - 1, 0, rows), 1.5 * neighbours)
                << name << (rows ? " rows" : " columns");
        }
}

// R and G hold a swirl that neither gathers nor thins the ink: its
// divergence is rounding noise beside its turning, and it is centred on 0.5
// so that the picture does not drift. B is fine noise, A cells.
TEST_F(ImagesTest, NoiseHoldsADivergenceFreeFlowAndFinerBands) {
    const Picture p = load(file("noisetex.png"));
    const auto at = [&](int x, int y, int c) {
        return p.at((x + p.width) % p.width, (y + p.height) % p.height, c) - 127.5;
    };
    double divergence = 0, turning = 0, meanU = 0, meanV = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            divergence +=
                std::abs(at(x + 1, y, 0) - at(x - 1, y, 0) + at(x, y + 1, 1) - at(x, y - 1, 1));
            turning +=
                std::abs(at(x + 1, y, 1) - at(x - 1, y, 1) - at(x, y + 1, 0) + at(x, y - 1, 0));
            meanU += at(x, y, 0);
            meanV += at(x, y, 1);
        }
    const double texels = static_cast<double>(p.width) * p.height;
    EXPECT_LT(divergence, 0.1 * turning);
    EXPECT_LT(std::abs(meanU / texels), 1.0);
    EXPECT_LT(std::abs(meanV / texels), 1.0);
    EXPECT_LT(2 * roughness(p, 0), roughness(p, 2));
}

// A round dot: full at the centre, fading steadily through many levels to
// nothing at the rim, the same along the row and the column.
TEST_F(ImagesTest, ParticleIsASoftRoundDot) {
    const Picture p = load(file("partikle.png"));
    const int c = p.width / 2;
    EXPECT_GE(p.at(c, c, 3), 250);
    EXPECT_EQ(p.at(c, c, 0), 255);
    int levels = 0;
    for (int x = c + 1; x < p.width; ++x) {
        EXPECT_LE(p.at(x, c, 3), p.at(x - 1, c, 3)) << x;
        EXPECT_NEAR(p.at(x, c, 3), p.at(c, x, 3), 1) << x;
        levels += p.at(x, c, 3) != p.at(x - 1, c, 3);
    }
    EXPECT_EQ(p.at(p.width - 1, c, 3), 0);
    EXPECT_EQ(p.at(0, 0, 3), 0);
    EXPECT_GT(levels, 20);
}

TEST_F(ImagesTest, SecondRunWritesTheSameBytes) {
    const ToolRun run = runTool(scratch / "b");
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<const char*> written(std::begin(names), std::end(names));
    written.insert(written.end(), std::begin(sprites), std::end(sprites));
    for (const char* name : written) {
        EXPECT_TRUE(fs::is_regular_file(file(name))) << name;
        EXPECT_EQ(readFile(file(name)), readFile(scratch / "b" / name)) << name;
    }
}

TEST_F(ImagesTest, FailuresEndInOneLineOnStandardError) {
    fs::create_directories(scratch / "blocked" / "noisetex.png");
    fs::create_directories(scratch / "fifo");
    mkfifo((scratch / "fifo" / "noisetex.png").c_str(), 0600);
    std::ofstream(scratch / "plain-file") << "x";
    const struct {
        fs::path args;
        std::string env;
        int code;
        std::string message;
    } cases[] = {
        {"", "", 2, "usage: halvo-images OUTDIR\n"},
        {scratch / "c", "HALVO_FONT_DIR=/nonexistent", 1,
         "halvo-images: cannot read font /nonexistent/LeagueSpartan-Bold.otf\n"},
        {scratch / "plain-file" / "out", "", 1,
         "halvo-images: cannot create " + (scratch / "plain-file" / "out").string()},
        {scratch / "blocked", "", 1,
         "halvo-images: cannot write " + (scratch / "blocked" / "noisetex.png").string() +
             ": a directory, not a regular file\n"},
        {scratch / "fifo", "", 1,
         "halvo-images: cannot write " + (scratch / "fifo" / "noisetex.png").string() +
             ": a FIFO, not a regular file\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = runTool(c.args, c.env);
        EXPECT_EQ(run.code, c.code) << c.args;
        EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(fs::exists(scratch / "c"));
}

} // namespace
