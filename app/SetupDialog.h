// The seam between the setup dialog's rules and the platform's toolkit: one
// implementation per platform, chosen at build time.
#pragma once

#include "app/ModeList.h"

#include <memory>
#include <string>

namespace Sorva {

// Where the link buttons lead.
inline constexpr const char* socialPageAddress = "https://social.example/@halvo";
inline constexpr const char* webSiteAddress = "https://halvo.example/";

class SetupDialog {
public:
    struct Outcome {
        bool shown = false; // false: the dialog could not be shown at all
        SetupChoice choice;
        std::string failure; // why it could not be shown
    };

    virtual ~SetupDialog() = default;

    // Shows the list modally with its initial selection and box state, and
    // returns when the viewer accepts or cancels.
    virtual Outcome run(const ModeList& modes) = 0;

    // The platform's dialog; instance is the module holding its resources
    // (DemoSettings::instance), where the platform has such a thing.
    static std::unique_ptr<SetupDialog> create(void* instance);
};

} // namespace Sorva
