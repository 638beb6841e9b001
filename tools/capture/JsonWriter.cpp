// Escaping, number formatting and the commas of the report's JSON.
#include "tools/capture/JsonWriter.h"

#include "sync/Utf8.h"

#include <charconv>
#include <cmath>

namespace Sorva {

std::string JsonWriter::quoted(std::string_view text) {
    constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(text.substr(i));
            out += length ? text.substr(i, length) : std::string_view("\\ufffd");
            i += length ? length : 1;
            continue;
        }
        if (c == '"' || c == '\\')
            out += {'\\', static_cast<char>(c)};
        else if (c < 0x20 || c == 0x7F)
            out += {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 15]};
        else
            out += static_cast<char>(c);
        ++i;
    }
    return out + '"';
}

void JsonWriter::item() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    Level& level = levels_.back();
    if (!level.empty)
        out_ += ',';
    if (level.layout == Layout::Lines)
        out_ += '\n' + std::string(2 * levels_.size(), ' ');
    else if (!level.empty)
        out_ += ' ';
    level.empty = false;
}

JsonWriter& JsonWriter::open(char bracket, Layout layout) {
    item();
    out_ += bracket;
    levels_.push_back({layout});
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.layout == Layout::Lines && !level.empty)
        out_ += '\n' + std::string(2 * levels_.size(), ' ');
    out_ += bracket;
    if (levels_.empty())
        out_ += '\n';
    return *this;
}

JsonWriter& JsonWriter::beginObject(Layout layout) {
    return open('{', layout);
}

JsonWriter& JsonWriter::endObject() {
    return close('}');
}

JsonWriter& JsonWriter::beginArray(Layout layout) {
    return open('[', layout);
}

JsonWriter& JsonWriter::endArray() {
    return close(']');
}

JsonWriter& JsonWriter::key(std::string_view name) {
    item();
    out_ += quoted(name) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    item();
    out_ += quoted(text);
    return *this;
}

JsonWriter& JsonWriter::value(double number) {
    if (!std::isfinite(number))
        return null();
    item();
    // Room for the longest double in fixed notation: 309 digits, sign, point
    // and decimals.
    std::string text(320, '\0');
    const auto [end, ec] =
        std::to_chars(text.data(), text.data() + text.size(), number, std::chars_format::fixed, 4);
    text.resize(static_cast<std::size_t>(end - text.data()));
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    out_ += text == "-0" ? "0" : text;
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number) {
    item();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::null() {
    item();
    out_ += "null";
    return *this;
}

} // namespace Sorva
