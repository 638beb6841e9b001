// The setup dialog's mode rules: 16:9 filter, colour depth, repeat removal,
// the 4096-entry cap and the initial selection.
#include "app/ModeList.h"

#include <cstdint>
#include <cstdio>

namespace Sorva {

int colourDepth(int redBits, int greenBits, int blueBits) {
    if (redBits == 8 && greenBits == 8 && blueBits == 8)
        return 32;
    return redBits + greenBits + blueBits;
}

bool ModeList::isWide(int width, int height) {
    // Wraps like the 32-bit original for absurd widths; kept on purpose.
    const std::uint32_t w = static_cast<std::uint32_t>(width);
    return static_cast<std::uint32_t>(height) == w * 9u / 16u;
}

ModeList::ModeList(std::span<const DisplayMode> modes, const DemoSettings& settings) {
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
        table_.push_back(size);
        char line[32];
        std::snprintf(line, sizeof line, "%d x %d", size.width, size.height);
        lines_.emplace_back(line);
    }

    const Size wanted{settings.width, settings.height};
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_[i] == wanted)
            selectedLine_ = static_cast<int>(i);
    }
    fullscreen_ = settings.windowed == 0;
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
