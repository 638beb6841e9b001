// Building and filling the effects' parameter record from its tracks.
#include "scene/FxParams.h"

namespace Sorva {

const std::array<const char*, 8> fxParamSuffixes = {
    "-lightpos-x", "-lightpos-y", "-lightpos-z",  "-iMouseX",
    "-iMouseY",    "-iMouseZ",    "-iGlobalTime", "-focus",
};

namespace {

// The value fields, in the order of the suffixes.
constexpr std::array<float FxParams::*, 8> valueFields = {
    &FxParams::lightposX, &FxParams::lightposY, &FxParams::lightposZ,   &FxParams::iMouseX,
    &FxParams::iMouseY,   &FxParams::iMouseZ,   &FxParams::iGlobalTime, &FxParams::focus,
};

} // namespace

FxParams makeFxParams(const std::string& prefix) {
    const auto track = [&prefix](int k) { return Track("fx-" + prefix + fxParamSuffixes[k]); };
    // A braced list is evaluated left to right: the tracks are obtained in order.
    return FxParams{
        .tracks = {track(0), track(1), track(2), track(3), track(4), track(5), track(6), track(7)}};
}

void fillFxParams(FxParams& params) {
    for (std::size_t k = 0; k < valueFields.size(); ++k)
        params.*valueFields[k] = static_cast<float>(params.tracks[k].value());
}

} // namespace Sorva
