// The text form of sync tracks: parsing, error messages with file and line,
// and the text -> file -> text round trip the track tool relies on.
#include "sync/TrackText.h"
#include "sync/SyncTrack.h"
#include "sync/TrackFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace Sorva;

bool sameKeys(const std::vector<SyncKey>& a, const std::vector<SyncKey>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].row != b[i].row || a[i].type != b[i].type ||
            std::memcmp(&a[i].value, &b[i].value, sizeof(float)) != 0)
            return false;
    }
    return true;
}

// Reads file bytes back the way the demo does.
std::vector<SyncKey> readBack(const std::string& bytes) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    if (!file)
        return {};
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    SyncTrack track;
    readTrackKeys(file, track);
    std::fclose(file);
    return {track.keys.get(), track.keys.get() + track.keyCount};
}

TEST(TrackText, ParsesKeys) {
    struct Case {
        const char* text;
        std::vector<SyncKey> keys;
    } cases[] = {
        {"", {}},
        {"# only a comment\n\n   \n", {}},
        {"0 0\n3120 1\n", {{0, 0.0f, 0}, {3120, 1.0f, 0}}},
        {"-5 -1.5 linear\n7 2.5e-3 smooth\n8 +4 ramp\n9 1 step",
         {{-5, -1.5f, 1}, {7, 2.5e-3f, 2}, {8, 4.0f, 3}, {9, 1.0f, 0}}},
        {"1 1 0\n2 2 1\n3 3 2\n4 4 3\n", {{1, 1, 0}, {2, 2, 1}, {3, 3, 2}, {4, 4, 3}}},
        {"\t10\t0.1   linear # fade in\r\n20 1#end\r\n", {{10, 0.1f, 1}, {20, 1.0f, 0}}},
        {"0 1e-50\n1 -1e-60\n", {{0, 0.0f, 0}, {1, -0.0f, 0}}},
        {"\xEF\xBB\xBF"
         "0 1\n2 3 linear\n",
         {{0, 1.0f, 0}, {2, 3.0f, 1}}},
        {"\xEF\xBB\xBF", {}},
        {"-2147483648 0\n2147483647 3.4028235e38\n",
         {{std::numeric_limits<std::int32_t>::min(), 0.0f, 0},
          {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<float>::max(), 0}}},
    };
    for (const Case& c : cases) {
        const TrackTextResult r = parseTrackText(c.text, "t.txt");
        EXPECT_EQ(r.error, "") << c.text;
        EXPECT_TRUE(sameKeys(r.keys, c.keys)) << c.text;
    }
}

TEST(TrackText, RejectsMalformedLinesWithFileAndLine) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"0 0\n40 1\n12 2\n", "tracks/e.txt:3: rows must ascend (12 after 40)"},
        {"5 0\n5 1\n", "tracks/e.txt:2: rows must ascend (5 after 5)"},
        {"# c\n7\n", "tracks/e.txt:2: expected ROW VALUE [TYPE], got '7'"},
        {"1 2 step extra\n", "tracks/e.txt:1: unexpected 'extra' after the type"},
        {"1.5 0\n", "tracks/e.txt:1: row '1.5' is not an integer"},
        {"x 0\n", "tracks/e.txt:1: row 'x' is not an integer"},
        {"2147483648 0\n", "tracks/e.txt:1: row '2147483648' is outside -2147483648..2147483647"},
        {"0 one\n", "tracks/e.txt:1: value 'one' is not a number"},
        {"0 1e39\n", "tracks/e.txt:1: value '1e39' is not a finite 32-bit float"},
        {"0 nan\n", "tracks/e.txt:1: value 'nan' is not a finite 32-bit float"},
        {"0 -inf\n", "tracks/e.txt:1: value '-inf' is not a finite 32-bit float"},
        {"0 1 cubic\n",
         "tracks/e.txt:1: unknown interpolation 'cubic' (use step, linear, smooth, ramp or 0-3)"},
        {"0 1 4\n",
         "tracks/e.txt:1: unknown interpolation '4' (use step, linear, smooth, ramp or 0-3)"},
    };
    for (const Case& c : cases) {
        const TrackTextResult r = parseTrackText(c.text, "tracks/e.txt");
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_TRUE(r.keys.empty()) << c.text;
    }
}

TEST(TrackText, MessagesEscapeJunkAndCutLongFieldsShort) {
    using namespace std::string_literals;
    const std::string nines(1 << 20, '9');
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"\x7F"
         "ELF\x02\x01\x01\x00 1"s,
         "row '\\x7FELF\\x02\\x01\\x01\\x00' is not an integer"},
        {"0 \x1B[31mred\r\n", "value '\\x1B[31mred' is not a number"},
        {nines + " 0", "row '" + std::string(40, '9') + "...' is outside -2147483648..2147483647"},
        {"0 ein\xE2\x82\xAC", "value 'ein\xE2\x82\xAC' is not a number"},
        {"0 " + std::string(39, '.') + "\xC3\xA9.",
         "value '" + std::string(39, '.') + "...' is not a number"},
        {"0 \xC3(", "value '\\xC3(' is not a number"},
        {"0 \xE2\x80\xAE"
         "abc",
         "value '\\xE2\\x80\\xAEabc' is not a number"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "0 1",
         "row '\\xEF\\xBB\\xBF0' is not an integer"},
    };
    for (const auto& c : cases) {
        const TrackTextResult r = parseTrackText(c.text, "t.txt");
        EXPECT_EQ(r.error, "t.txt:1: " + c.error);
    }
}

TEST(TrackText, CompileDumpRoundTrip) {
    const char* source = "# a fade\n-100 -0 step\n0 0.1 linear\n16 1e-45 smooth\n"
                         "32 3.4028235e38 ramp\n48 -123.456 linear\n2147483647 0.33333334\n";
    const TrackTextResult parsed = parseTrackText(source, "fade.txt");
    ASSERT_EQ(parsed.error, "");
    const std::string bytes = trackFileBytes(parsed.keys.data(), std::int32_t(parsed.keys.size()));
    ASSERT_EQ(bytes.size(), 4u + 9u * parsed.keys.size());

    const std::vector<SyncKey> loaded = readBack(bytes);
    const std::string dumped = formatTrackText(loaded.data(), std::int32_t(loaded.size()));
    const TrackTextResult reparsed = parseTrackText(dumped, "dump");
    ASSERT_EQ(reparsed.error, "") << dumped;
    EXPECT_EQ(trackFileBytes(reparsed.keys.data(), std::int32_t(reparsed.keys.size())), bytes)
        << dumped;
    EXPECT_EQ(dumped.substr(0, dumped.find('\n', dumped.find('\n') + 1) + 1),
              "-100 -0 step\n0 0.1 linear\n");
}

// A save rewrites a source: lines of unchanged keys stay as they were, a
// changed or new key takes the columns of the key line before it and writes
// "step" only if the source does, and no comment is dropped.
TEST(TrackText, RewriteKeepsTheSourcesLayoutAndEveryComment) {
    const struct {
        const char* previous;
        std::vector<SyncKey> keys;
        const char* expected;
    } cases[] = {
        {"# fade\n0 0\n# the drop\n8 1  # hit\n16 0\n",
         {{0, 0, 0}, {16, 0, 0}},
         "# fade\n0 0\n# the drop\n# hit\n16 0\n"},
        {"0 0\n8 1\n16 0.5\n",
         {{0, 0, 0}, {8, 2, 0}, {16, 0.5f, 0}, {24, 1, 1}},
         "0 0\n8 2\n16 0.5\n24 1 linear\n"},
        {"0    1.5   linear  # in\n100  2     step\n",
         {{0, 0.25f, 1}, {100, 2, 0}, {200, 3, 0}},
         "0    0.25  linear  # in\n100  2     step\n200  3     step\n"},
        {"# head\n8\t1\n# drop\n16 1\n# end\n",
         {{0, 2, 0}, {8, 1, 0}, {12, 5, 0}, {16, 1, 0}, {20, 0, 0}},
         "# head\n0\t2\n8\t1\n12\t5\n# drop\n16 1\n20 0\n# end\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewriteTrackText(c.previous, c.keys.data(), std::int32_t(c.keys.size())),
                  c.expected)
            << c.previous;
}

TEST(TrackText, ReportsKeysTheTextCannotHold) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<SyncKey> keys{{0, 1, 0}, {0, 2, 1}, {5, nan, 7}, {-1, 0, -3}};
    const std::vector<std::string> expected{
        "key 1: row 0 is not after row 0", "key 2: value is not finite",
        "key 2: unknown interpolation type 7 (evaluates to 0)", "key 3: row -1 is not after row 5",
        "key 3: unknown interpolation type -3 (evaluates to 0)"};
    EXPECT_EQ(trackKeyProblems(keys.data(), 4), expected);
    EXPECT_TRUE(trackKeyProblems(keys.data(), 1).empty());
}

TEST(TrackText, TrackNameIsTheSourceStem) {
    const std::pair<const char*, const char*> cases[] = {
        {"tracks/letterbox-r.txt", "letterbox-r"},
        {"e.txt", "e"},
        {"/a/b/fog.sun.txt", "fog.sun"},
        {"tracks/e.track", ""},
        {"tracks/e", ""},
        {"tracks/.txt", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(trackNameOfSource(path), name) << path;
}

} // namespace
