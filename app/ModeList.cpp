// The setup dialog's mode rules: 16:9 filter, colour depth, repeat removal,
// the 4096-entry cap and the initial selection, fitted to small screens.
#include "app/ModeList.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace Sorva {

int colourDepth(int redBits, int greenBits, int blueBits) {
    if (redBits == 8 && greenBits == 8 && blueBits == 8)
        return 32;
    return redBits + greenBits + blueBits;
}

bool ModeList::isWide(int width, int height) {
    // Unsigned 32-bit arithmetic, so that the rule is one defined formula on
    // every platform: signed overflow would be undefined. Past 477 million
    // pixels wide, width * 9 wraps; no display comes near, and the tests pin
    // the wrapped answer rather than leave it to the compiler.
    const std::uint32_t w = static_cast<std::uint32_t>(width);
    return static_cast<std::uint32_t>(height) == w * 9u / 16u;
}

ModeList::Size ModeList::largestWideWithin(Size screen) {
    const std::int64_t width = std::min<std::int64_t>(
        std::max(screen.width, 0), std::int64_t(std::max(screen.height, 0)) * 16 / 9);
    return {int(width), int(width * 9 / 16)};
}

void ModeList::add(Size size) {
    table_.push_back(size);
    char line[32];
    std::snprintf(line, sizeof line, "%d x %d", size.width, size.height);
    lines_.emplace_back(line);
}

ModeList::ModeList(std::span<const DisplayMode> modes, const DemoSettings& settings, Size screen) {
    for (const DisplayMode& mode : modes) {
        if (table_.size() >= capacity)
            break;
        if (!isWide(mode.width, mode.height) || mode.bitsPerPixel != settings.bitsPerPixel)
            continue;
        const Size size{mode.width, mode.height};
        // Only the previous entry is compared: modes that differ in refresh
        // rate come one after another.
        if (!table_.empty() && table_.back() == size)
            continue;
        add(size);
    }

    const Size wanted{settings.width, settings.height};
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i] == wanted)
            selectedLine_ = static_cast<int>(i);
    }
    fullscreen_ = settings.windowed == 0;

    if (screen.width <= 0 || screen.height <= 0)
        return;
    const auto fits = [&](Size size) {
        return size.width <= screen.width && size.height <= screen.height;
    };
    const bool windowedTooLarge = !fullscreen_ && !fits(wanted);
    if (!windowedTooLarge && !table_.empty())
        return;
    // A window larger than the screen cannot be seen whole: start on the
    // largest line that fits, by area, the first of equals.
    int best = -1;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const Size size = table_[i];
        if (fits(size) && (best < 0 || std::int64_t(size.width) * size.height >
                                           std::int64_t(table_[best].width) * table_[best].height))
            best = static_cast<int>(i);
    }
    if (best < 0) {
        const Size within = largestWideWithin(screen);
        if (within.width <= 0 || within.height <= 0)
            return;
        add(within);
        best = static_cast<int>(table_.size()) - 1;
    }
    selectedLine_ = best;
}

int ModeList::apply(const SetupChoice& choice, DemoSettings& settings) const {
    if (!choice.accepted)
        return 0;
    if (choice.selectedLine >= 0 && static_cast<std::size_t>(choice.selectedLine) < table_.size()) {
        settings.width = table_[choice.selectedLine].width;
        settings.height = table_[choice.selectedLine].height;
    }
    settings.windowed = choice.fullscreen ? 0 : 1;
    return 1;
}

} // namespace Sorva
