// What an effect may read of the frame besides its surface: the time step of
// the last frame and the keyboard. The display context provides it; offline
// rendering steps it by a fixed amount.
#pragma once

namespace Sorva {

class FrameInput {
public:
    // Seconds between the last two presented frames; 0 before the first.
    virtual double deltaTime() const = 0;
    // Whether the key (a GLFW key code) reads as pressed.
    virtual bool keyDown(int key) const = 0;

protected:
    ~FrameInput() = default;
};

} // namespace Sorva
