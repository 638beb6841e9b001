// One UTF-8 character, checked.
#include "sync/Utf8.h"

#include <cstdint>

namespace Sorva {

std::size_t utf8Length(std::string_view s, char32_t* code) {
    if (s.empty())
        return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80u)
            return 0;
        value = value << 6 | (byte(i) & 0x3Fu);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    if (code)
        *code = static_cast<char32_t>(value);
    return length;
}

namespace {

// Length of the UTF-8 sequence that starts s if it is a well-formed character
// that shows on a terminal (not a C1 control, nor an invisible format or
// direction mark), else 0.
std::size_t printableUtf8(std::string_view s) {
    char32_t code = 0;
    const std::size_t length = utf8Length(s, &code);
    if (length == 0)
        return 0;
    const bool invisible = code <= 0x9F || (code >= 0x200B && code <= 0x200F) ||
                           (code >= 0x2028 && code <= 0x202E) ||
                           (code >= 0x2060 && code <= 0x2069) || code == 0xFEFF;
    return invisible ? 0 : length;
}

} // namespace

std::string escapedField(std::string_view field) {
    constexpr std::size_t limit = 40;
    constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < field.size();) {
        const unsigned char c = static_cast<unsigned char>(field[i]);
        const std::size_t utf8 = c >= 0x80 ? printableUtf8(field.substr(i)) : 0;
        std::string piece;
        if (utf8 > 0)
            piece = field.substr(i, utf8);
        else if (c == '\\')
            piece = "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            piece = char(c);
        else
            piece = {'\\', 'x', hex[c >> 4], hex[c & 15]};
        if (shown + piece.size() > limit) {
            out += "...";
            break;
        }
        out += piece;
        shown += piece.size();
        i += utf8 > 0 ? utf8 : 1;
    }
    return out;
}

} // namespace Sorva
