// Transport keys and the phrase loop.
#include "tools/edit/Transport.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace Sorva {

bool Transport::keyPressed(int key, int mods) {
    const double bar = (mods & GLFW_MOD_SHIFT) ? barRows : beatRows;
    switch (key) {
    case GLFW_KEY_P:
        setPaused(!paused());
        return true;
    case GLFW_KEY_LEFT:
        seek(row() - bar);
        return true;
    case GLFW_KEY_RIGHT:
        seek(row() + bar);
        return true;
    case GLFW_KEY_PAGE_UP:
        seek(row() - phraseRows);
        return true;
    case GLFW_KEY_PAGE_DOWN:
        seek(row() + phraseRows);
        return true;
    case GLFW_KEY_HOME:
        seek(0.0);
        return true;
    case GLFW_KEY_L:
        setLooping(!looping_);
        return true;
    default:
        return false;
    }
}

void Transport::update() {
    // The last phrase may end after the tune, where the row holds.
    if (looping_ && (row() >= loopStart_ + phraseRows || clock_.finished()))
        clock_.seek(loopStart_);
}

void Transport::seek(double row) {
    const double to = std::clamp(row, 0.0, clock_.tuneRows());
    clock_.seek(to);
    if (looping_)
        loopStart_ = phraseOf(to);
}

void Transport::setLooping(bool looping) {
    looping_ = looping;
    if (looping)
        loopStart_ = phraseOf(row());
}

double Transport::phraseOf(double row) {
    return std::floor(row / phraseRows) * phraseRows;
}

void Transport::describe(char* out, std::size_t size) const {
    const double r = row();
    const int whole = static_cast<int>(std::floor(r));
    char loop[48] = "";
    if (looping_)
        std::snprintf(loop, sizeof loop, ", looping rows %d-%d", static_cast<int>(loopStart_),
                      static_cast<int>(loopStart_ + phraseRows));
    std::snprintf(out, size, "row %.2f (bar %d beat %d), %s%s", r, whole / 32, whole / 8 % 4,
                  paused() ? "paused" : "playing", loop);
}

} // namespace Sorva
