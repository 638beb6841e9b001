// One PNG picture of a whole range: thumbnails of evenly spread frames in a
// grid, each labelled with its time and row.
#pragma once

#include "tools/capture/FrameSink.h"
#include "tools/capture/PendingFile.h"
#include "tools/capture/SheetLayout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sorva {

class ContactSheet : public FrameSink {
public:
    // A note, when given, is written in a strip above the grid. Throws
    // std::runtime_error when the file cannot be written.
    ContactSheet(const std::filesystem::path& path, const SheetLayout& layout,
                 const std::string& note);

    // Frames not on the sheet are ignored.
    void write(const Frame& frame) override;
    void finish() override;
    void abandon() override { file_.discard(); }

    // "12.500 s  row 218.33": what a tile's label says.
    static std::string label(double seconds, double row);

private:
    void drawThumbnail(const Frame& frame, int left, int top);
    void drawText(const std::string& text, int left, int top, int scale);

    PendingFile file_;
    SheetLayout layout_;
    int top_; // height of the note strip, 0 without a note
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_; // RGB
    int next_ = 0;                     // the next tile to fill
};

} // namespace Sorva
