// UTF-8 as the tools check the text they show or write: one well-formed
// character at a time.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Sorva {

// Length of the well-formed UTF-8 character that starts s (no overlong
// form, no surrogate, nothing past U+10FFFF), else 0; its code point goes to
// `code` when given.
std::size_t utf8Length(std::string_view s, char32_t* code = nullptr);

// Text from outside (a file's field, a page's address) as a message shows
// it: bytes that would not print (controls, malformed UTF-8, invisible
// marks) and backslashes escaped as \xHH and \\, and cut short with "..."
// after 40 bytes.
std::string escapedField(std::string_view field);

} // namespace Sorva
