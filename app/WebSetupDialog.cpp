// The setup dialog as the page's start screen (app/web/index.html draws it):
// the banner, the size list, the fullscreen box, the link buttons and
// "Demo", whose press is the gesture that lets the audio start.
#include "app/SetupDialog.h"

#include <emscripten.h>

namespace Sorva {

namespace {

// Shows the start screen with the lines ('\n' between them) and waits for
// "Demo": returns the line chosen times two, plus one when fullscreen was
// ticked; -1 when the page has no start screen.
EM_ASYNC_JS(int, halvoStartScreen,
            (const char* lines, int selected, int fullscreen, const char* social, const char* web),
            {
                if (!Module.halvoStartScreen)
                    return -1;
                const choice = await Module.halvoStartScreen(
                    UTF8ToString(lines).split('\n'), selected, fullscreen != 0,
                    UTF8ToString(social), UTF8ToString(web));
                return choice.line * 2 + (choice.fullscreen ? 1 : 0);
            });

class WebSetupDialog : public SetupDialog {
public:
    Outcome run(const ModeList& modes) override {
        std::string lines;
        for (const std::string& line : modes.lines())
            lines += (lines.empty() ? "" : "\n") + line;
        const int answer =
            halvoStartScreen(lines.c_str(), modes.selectedLine(), modes.fullscreen() ? 1 : 0,
                             socialPageAddress, webSiteAddress);
        Outcome outcome;
        if (answer < 0) {
            outcome.failure = "the page has no start screen";
            return outcome;
        }
        outcome.shown = true;
        outcome.choice = {true, answer / 2, answer % 2 == 1};
        return outcome;
    }
};

} // namespace

std::unique_ptr<SetupDialog> SetupDialog::create(void*) {
    return std::make_unique<WebSetupDialog>();
}

} // namespace Sorva
