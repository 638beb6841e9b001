// The setup dialog's resolution list: which display modes it offers, which
// line starts selected, and how the viewer's choice lands in the settings.
#pragma once

#include "app/DemoSettings.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace Sorva {

// One display mode as the window system enumerates it.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// What the viewer did in the dialog.
struct SetupChoice {
    bool accepted = false;   // "Demo" (or Enter); false for cancel or close
    int selectedLine = -1;   // line of the resolution list, -1 when none
    bool fullscreen = false; // the "Fullscreen:" box is ticked
};

// Bits per pixel of a mode from its bits per colour channel: X11 reports
// 8/8/8 for the usual 24-bit visual, which counts as a 32-bit mode.
int colourDepth(int redBits, int greenBits, int blueBits);

// Applies the mode rules to the modes in enumeration order.
class ModeList {
public:
    static constexpr std::size_t capacity = 4096;

    struct Size {
        int width;
        int height;
        bool operator==(const Size&) const = default;
    };

    // screen is the monitor's current size; {0, 0} when unknown. A windowed
    // record that does not fit it starts on the largest listed line that
    // does, and a line of the largest 16:9 size that fits is added when no
    // listed line fits or nothing 16:9 is offered at all.
    ModeList(std::span<const DisplayMode> modes, const DemoSettings& settings, Size screen = {});

    // Entry i is line i of the list.
    const std::vector<Size>& table() const { return table_; }
    const std::vector<std::string>& lines() const { return lines_; }
    // The last line equal to the settings' resolution (or the fitting line
    // above), or -1.
    int selectedLine() const { return selectedLine_; }
    // The box starts ticked only for a record that asks for fullscreen.
    bool fullscreen() const { return fullscreen_; }

    // Writes an accepted choice into the settings and returns 1; returns 0
    // and leaves the settings alone for a cancelled one. Accepted without a
    // valid line, the settings keep their resolution.
    int apply(const SetupChoice& choice, DemoSettings& settings) const;

    // Height equals width * 9 / 16 on unsigned 32-bit arithmetic.
    static bool isWide(int width, int height);

    // The largest size that is wide and fits within the screen.
    static Size largestWideWithin(Size screen);

private:
    void add(Size size);

    std::vector<Size> table_;
    std::vector<std::string> lines_;
    int selectedLine_ = -1;
    bool fullscreen_ = false;
};

} // namespace Sorva
