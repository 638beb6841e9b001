// JSON text written piece by piece for the show report: strings escaped
// (controls as \u00XX, each byte that is not part of well-formed UTF-8 as
// U+FFFD), numbers rounded to what the measures tell, commas and line breaks
// put in their places. Nothing has a fixed size, so no item is ever cut.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Sorva {

class JsonWriter {
public:
    // A container's items on one line, or each on a line of its own.
    enum class Layout { Inline, Lines };

    JsonWriter& beginObject(Layout layout = Layout::Inline);
    JsonWriter& endObject();
    JsonWriter& beginArray(Layout layout = Layout::Inline);
    JsonWriter& endArray();
    // The next value's name inside an object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    // Rounded to 4 decimals, without trailing zeros; null when not finite.
    JsonWriter& value(double number);
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& null();

    // The document so far, ending in a line break once complete.
    const std::string& text() const { return out_; }

    // A string as JSON, quotes included.
    static std::string quoted(std::string_view text);

private:
    struct Level {
        Layout layout;
        bool empty = true;
    };
    void item();
    JsonWriter& open(char bracket, Layout layout);
    JsonWriter& close(char bracket);

    std::vector<Level> levels_;
    std::string out_;
    bool afterKey_ = false;
};

} // namespace Sorva
