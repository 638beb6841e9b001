// The setup dialog's mode rules without a display: which modes become lines,
// which line starts selected, and what "Demo" and cancel leave in the settings.
#include "app/ModeList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Sorva::colourDepth;
using Sorva::DemoSettings;
using Sorva::DisplayMode;
using Sorva::ModeList;
using Sorva::SetupChoice;

namespace {

std::vector<std::string> linesOf(const std::vector<DisplayMode>& modes,
                                 const DemoSettings& settings = {}) {
    return ModeList(modes, settings).lines();
}

} // namespace

TEST(ModeList, KeepsOnlyExactSixteenByNineOnUnsigned32Bit) {
    const struct {
        int width, height;
        bool listed;
    } rows[] = {
        {1280, 720, true},
        {1366, 768, true},
        {1920, 1080, true},
        {854, 480, true},
        {3840, 2160, true},
        {1360, 768, false},
        {1024, 768, false},
        {1280, 800, false},
        {1280, 721, false},
        {1366, 769, false},
        {1600, 900, true},
        {0, 0, true},
        // 500000000 * 9 wraps at 2^32 to 205032704, and 205032704 / 16 = 12814544.
        {500000000, 12814544, true},
        {500000000, 281250000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
        EXPECT_EQ(ModeList::isWide(row.width, row.height), row.listed);
        EXPECT_EQ(linesOf({{row.width, row.height, 32}}).size(), row.listed ? 1u : 0u);
    }
}

TEST(ModeList, ListsInEnumerationOrderWithoutRepeatsOfThePreviousEntry) {
    const struct {
        const char* name;
        std::vector<DisplayMode> modes;
        std::vector<std::string> lines;
    } rows[] = {
        {"enumeration order, not sorted",
         {{1920, 1080, 32}, {1280, 720, 32}, {1366, 768, 32}},
         {"1920 x 1080", "1280 x 720", "1366 x 768"}},
        {"refresh-rate repeats back to back",
         {{1280, 720, 32}, {1280, 720, 32}, {1280, 720, 32}, {1920, 1080, 32}},
         {"1280 x 720", "1920 x 1080"}},
        {"a repeat after another size is listed again",
         {{1280, 720, 32}, {1920, 1080, 32}, {1280, 720, 32}},
         {"1280 x 720", "1920 x 1080", "1280 x 720"}},
        {"rejected modes between repeats do not separate them",
         {{1280, 720, 32}, {1024, 768, 32}, {1280, 720, 16}, {1280, 720, 32}},
         {"1280 x 720"}},
        {"other colour depths are left out",
         {{1280, 720, 16}, {1920, 1080, 24}, {1366, 768, 32}},
         {"1366 x 768"}},
        {"nothing offered", {}, {}},
        {"no 16:9 mode", {{1024, 768, 32}, {1280, 1024, 32}}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(linesOf(row.modes), row.lines);
    }
}

TEST(ModeList, ColourDepthFollowsTheSettings) {
    const std::vector<DisplayMode> modes = {
        {1280, 720, 16}, {1366, 768, 32}, {1920, 1080, 16}, {1600, 900, 30}};
    DemoSettings settings;
    settings.bitsPerPixel = 16;
    EXPECT_EQ(linesOf(modes, settings), (std::vector<std::string>{"1280 x 720", "1920 x 1080"}));
    settings.bitsPerPixel = 32;
    EXPECT_EQ(linesOf(modes, settings), (std::vector<std::string>{"1366 x 768"}));
}

TEST(ModeList, ChannelBitsGiveBitsPerPixel) {
    const struct {
        int red, green, blue, bitsPerPixel;
    } rows[] = {{8, 8, 8, 32}, {5, 6, 5, 16}, {5, 5, 5, 15}, {10, 10, 10, 30}, {8, 8, 0, 16}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.red) + "/" + std::to_string(row.green) + "/" +
                     std::to_string(row.blue));
        EXPECT_EQ(colourDepth(row.red, row.green, row.blue), row.bitsPerPixel);
    }
}

TEST(ModeList, StopsAt4096Entries) {
    std::vector<DisplayMode> modes;
    for (int k = 1; k <= 5000; ++k)
        modes.push_back({16 * k, 9 * k, 32});
    DemoSettings settings;
    settings.width = 16 * 4097; // would be entry 4097
    settings.height = 9 * 4097;
    const ModeList list(modes, settings);
    ASSERT_EQ(list.lines().size(), ModeList::capacity);
    EXPECT_EQ(list.table().size(), ModeList::capacity);
    EXPECT_EQ(list.lines().back(), "65536 x 36864");
    EXPECT_EQ(list.selectedLine(), -1);
}

TEST(ModeList, SelectsTheLastLineOfTheSettingsResolution) {
    const std::vector<DisplayMode> modes = {
        {1280, 720, 32}, {1920, 1080, 32}, {1280, 720, 32}, {1366, 768, 32}};
    const struct {
        int width, height, selected;
    } rows[] = {{1280, 720, 2}, {1920, 1080, 1}, {1366, 768, 3}, {1600, 900, -1}, {720, 1280, -1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.width) + " x " + std::to_string(row.height));
        DemoSettings settings;
        settings.width = row.width;
        settings.height = row.height;
        EXPECT_EQ(ModeList(modes, settings).selectedLine(), row.selected);
    }
    EXPECT_EQ(ModeList({}, DemoSettings{}).selectedLine(), -1);
}

TEST(ModeList, FullscreenBoxIsTickedOnlyForWindowedZero) {
    const struct {
        int windowed;
        bool ticked;
    } rows[] = {{1, false}, {0, true}, {2, false}, {-1, false}};
    for (const auto& row : rows) {
        DemoSettings settings;
        settings.windowed = row.windowed;
        EXPECT_EQ(ModeList({}, settings).fullscreen(), row.ticked) << "windowed " << row.windowed;
    }
}

TEST(ModeList, WritesTheChoiceBackForDemoAndNothingForCancel) {
    const std::vector<DisplayMode> modes = {
        {854, 480, 32}, {1280, 720, 32}, {1920, 1080, 32}, {1280, 720, 32}};
    const ModeList list(modes, DemoSettings{});
    const struct {
        const char* name;
        SetupChoice choice;
        int result, width, height, windowed;
    } rows[] = {
        {"Demo with a line, windowed", {true, 2, false}, 1, 1920, 1080, 1},
        {"Demo with a line, fullscreen", {true, 0, true}, 1, 854, 480, 0},
        {"Demo on a repeated line", {true, 3, false}, 1, 1280, 720, 1},
        {"Demo with no line keeps the size", {true, -1, true}, 1, 1000, 600, 0},
        {"Demo with a line past the table keeps the size", {true, 4, false}, 1, 1000, 600, 1},
        {"cancel", {false, 2, true}, 0, 1000, 600, 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DemoSettings settings;
        settings.width = 1000;
        settings.height = 600;
        settings.windowed = 7;
        EXPECT_EQ(list.apply(row.choice, settings), row.result);
        EXPECT_EQ(settings.width, row.width);
        EXPECT_EQ(settings.height, row.height);
        EXPECT_EQ(settings.windowed, row.windowed);
        EXPECT_EQ(settings.bitsPerPixel, 32);
    }
}

TEST(ModeList, SmallScreensStartOnTheLargestSizeThatFits) {
    const std::vector<DisplayMode> fourByThree = {{1024, 768, 32}, {800, 600, 32}};
    const std::vector<DisplayMode> larger = {
        {1920, 1080, 32}, {1280, 720, 32}, {1024, 768, 32}, {854, 480, 32}};
    const struct {
        ModeList::Size screen;
        std::vector<DisplayMode> modes;
        std::vector<std::string> lines;
        std::string selected; // "": none, "Demo" keeps 1280 x 720
    } rows[] = {
        {{1024, 768}, fourByThree, {"1024 x 576"}, "1024 x 576"},
        {{1024, 768}, larger, {"1920 x 1080", "1280 x 720", "854 x 480"}, "854 x 480"},
        {{1024, 768}, {{1920, 1080, 32}}, {"1920 x 1080", "1024 x 576"}, "1024 x 576"},
        {{320, 180}, {{320, 180, 32}}, {"320 x 180"}, "320 x 180"},
        {{320, 180}, {}, {"320 x 180"}, "320 x 180"},
        {{1280, 1024}, fourByThree, {"1280 x 720"}, "1280 x 720"},
        {{768, 1024}, {}, {"768 x 432"}, "768 x 432"},
        {{1920, 1080}, {{1920, 1080, 32}}, {"1920 x 1080"}, ""},
        {{0, 0}, {}, {}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.screen.width) + " x " + std::to_string(row.screen.height));
        const ModeList list(row.modes, DemoSettings{}, row.screen);
        EXPECT_EQ(list.lines(), row.lines);
        EXPECT_EQ(list.selectedLine() < 0 ? "" : list.lines().at(list.selectedLine()),
                  row.selected);
    }
    // A fullscreen record changes the screen's mode; it keeps the classic choice.
    DemoSettings fullscreen;
    fullscreen.windowed = 0;
    EXPECT_EQ(ModeList(larger, fullscreen, {1024, 768}).selectedLine(), 1);
}

TEST(ModeList, DefaultsAreTheClassicOnes) {
    const DemoSettings settings;
    EXPECT_EQ(settings.width, 1280);
    EXPECT_EQ(settings.height, 720);
    EXPECT_EQ(settings.bitsPerPixel, 32);
    EXPECT_EQ(settings.windowed, 1);
    const ModeList list(std::vector<DisplayMode>{{1280, 720, 32}}, settings);
    EXPECT_EQ(list.selectedLine(), 0);
    EXPECT_FALSE(list.fullscreen());
}
