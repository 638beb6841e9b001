// The setup dialog's banner picture, a PNG compiled into the program.
#pragma once

#include <span>

namespace Sorva {

// The bytes of app/resources/banner.png (315 x 157, drawn by halvo-banner).
std::span<const unsigned char> bannerPng();

} // namespace Sorva
