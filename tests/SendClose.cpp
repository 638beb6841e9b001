// halvo-send-close: asks a window to close the way a window manager's close
// box does (WM_DELETE_WINDOW), for tests on an X server without one.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct DisplayClose {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halvo-send-close WINDOW-ID\n");
        return 2;
    }
    const std::unique_ptr<Display, DisplayClose> display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "halvo-send-close: cannot open the display\n");
        return 1;
    }
    const Window window = std::strtoul(argv[1], nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] =
        static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    if (!XSendEvent(display.get(), window, False, NoEventMask, &event)) {
        std::fprintf(stderr, "halvo-send-close: cannot send to window %s\n", argv[1]);
        return 1;
    }
    XSync(display.get(), False);
    return 0;
}
