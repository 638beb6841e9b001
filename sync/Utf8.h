// UTF-8 as the tools check the text they show or write: one well-formed
// character at a time.
#pragma once

#include <cstddef>
#include <string_view>

namespace Sorva {

// Length of the well-formed UTF-8 character that starts s (no overlong
// form, no surrogate, nothing past U+10FFFF), else 0; its code point goes to
// `code` when given.
std::size_t utf8Length(std::string_view s, char32_t* code = nullptr);

} // namespace Sorva
