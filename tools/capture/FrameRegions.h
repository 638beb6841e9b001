// Where the letterbox pass puts its bars and its picture in a captured
// frame (rows top first), and the 8 x 8 block grid of the DCT passes, which
// starts at the bottom-left corner as GL counts pixels.
#pragma once

namespace Sorva {

class FrameRegions {
public:
    // The picture's aspect between the bars, as the letterbox pass frames it.
    static constexpr double pictureAspect = 2.35;
    static constexpr int block = 8;

    FrameRegions(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Rows [pictureTop, pictureBottom) hold nothing of a bar.
    int pictureTop() const { return pictureTop_; }
    int pictureBottom() const { return pictureBottom_; }
    // The bars' rows that lie in blocks of their own, untouched by what the
    // DCT passes do to the picture's edge: [0, topBarEnd) and
    // [bottomBarBegin, height). Both empty when the bars are thinner than a
    // block or there are none.
    int topBarEnd() const { return topBarEnd_; }
    int bottomBarBegin() const { return bottomBarBegin_; }
    bool hasBars() const { return topBarEnd_ > 0; }

    // The middle third of the picture each way: [left, right) x [top, bottom).
    int centreLeft() const { return width_ / 3; }
    int centreRight() const { return width_ - width_ / 3; }
    int centreTop() const;
    int centreBottom() const;

    // Whole blocks of the grid: columns [8 i, 8 i + 8) for i below
    // blockColumns(), rows [blockTop(k), blockTop(k) + 8) for k below
    // blockRows(), k counted from the bottom. Blocks cut by the right or top
    // edge pass through the DCT untouched and are left out.
    int blockColumns() const { return width_ / block; }
    int blockRows() const { return height_ / block; }
    int blockTop(int k) const { return height_ - block * (k + 1); }

private:
    int width_;
    int height_;
    int pictureTop_;
    int pictureBottom_;
    int topBarEnd_;
    int bottomBarBegin_;
};

} // namespace Sorva
