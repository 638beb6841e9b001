// One run of halvo-edit: the show in a window through the demo's own frame
// routine, with the transport on the keys, tracks and shaders reloaded on
// save, the heads-up display over the picture and a sync editor connection.
// Unlike the demo it never ends by itself: Escape or the close box ends it.
#pragma once

#include "app/DisplayContext.h"
#include "tools/edit/EditOptions.h"

namespace Sorva {

class Transport;

class EditSession : public DisplayContext::KeyListener {
public:
    explicit EditSession(EditOptions options) : options_(std::move(options)) {}

    // Runs until Escape; throws std::exception with a message for the user
    // when it cannot start.
    void run();

    // The transport and the HUD key.
    void keyPressed(int key, int mods, bool repeat) override;

private:
    void tellTransport() const;

    EditOptions options_;
    // Set while run() runs.
    Transport* transport_ = nullptr;
    bool hudShown_ = true;
};

} // namespace Sorva
