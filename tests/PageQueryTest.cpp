// The web page's address options: what is taken, with its defaults, and
// what is refused, with the message the page shows.
#include "app/PageQuery.h"
#include "fx/PBall.h"

#include <gtest/gtest.h>

namespace {

using Sorva::PageQuery;

TEST(PageQuery, TakesTheShowsOptions) {
    EXPECT_EQ(PageQuery::parse("").particles, 0);
    const PageQuery show = PageQuery::parse("?from=12.5&utm_source=x&overlay=1&lead=off&verbose");
    EXPECT_FALSE(show.still) << "no row: the show plays";
    EXPECT_EQ(show.from, 12.5);
    EXPECT_TRUE(show.overlay);
    EXPECT_TRUE(show.leadOff);
    EXPECT_TRUE(show.verbose);
    EXPECT_NO_THROW(show.checkFromWithin(12.6));
    const PageQuery plainShow = PageQuery::parse("?lead=on&overlay=0&verbose=0");
    EXPECT_FALSE(plainShow.overlay || plainShow.leadOff || plainShow.verbose);
    EXPECT_EQ(plainShow.from, 0.0);
    EXPECT_EQ(PageQuery::parse("?particles=65536").particles, 65536);
    EXPECT_EQ(PageQuery::parse("particles=1&particles=9").particles, 1) << "the first one counts";

    const PageQuery still = PageQuery::parse("?row=600.5&fps=5&size=320x180&effect=tunnel&from=2");
    ASSERT_TRUE(still.still);
    EXPECT_EQ(still.still->row, 600.5);
    EXPECT_EQ(still.still->fps, 5);
    EXPECT_EQ(still.still->width, 320);
    EXPECT_EQ(still.still->height, 180);
    EXPECT_EQ(still.still->effect, "tunnel");
    EXPECT_EQ(still.still->from, 2.0);

    const PageQuery plain = PageQuery::parse("?row=%31%36");
    ASSERT_TRUE(plain.still);
    EXPECT_EQ(plain.still->row, 16.0) << "escapes decoded";
    EXPECT_EQ(plain.still->fps, 30);
    EXPECT_EQ(plain.still->width, 640);
    EXPECT_EQ(plain.still->height, 360);
    EXPECT_EQ(plain.still->effect, "") << "the show, not one effect";
}

TEST(PageQuery, RefusesBadValuesNamingThem) {
    struct Case {
        std::string query;
        std::string message;
    };
    const Case cases[] = {
        {"?particles=0", "?particles=0: not a whole number from 1 to 1048576"},
        {"?from=180", "?from=180: past the end of the tune (180 s)"},
        {"?particles=2000000", "?particles=2000000: not a whole number from 1 to 1048576"},
        {"?particles=12abc", "?particles=12abc: not a whole number from 1 to 1048576"},
        {"?row=", "?row=: not a number from 0 to 1e+06"},
        {"?row=-1", "?row=-1: not a number from 0 to 1e+06"},
        {"?row=1e400", "?row=1e400: not a number from 0 to 1e+06"},
        {"?row=nan", "?row=nan: not a number from 0 to 1e+06"},
        {"?row=0x10", "?row=0x10: not a number from 0 to 1e+06"},
        {"?row=1&fps=0", "?fps=0: not a whole number from 1 to 240"},
        {"?row=1&size=640", "?size=640: not WIDTHxHEIGHT"},
        {"?row=1&size=99999x9", "?size=99999: not a whole number from 16 to 4096"},
        {"?row=1&effect=../x",
         "?effect=../x: no such effect (pball, pattern, feedback, tunnel, pattern2, hands)"},
        // The show's own start and switches, by the same rules.
        {"?from=abc", "?from=abc: not a number from 0 to 100000"},
        {"?from=-5", "?from=-5: not a number from 0 to 100000"},
        {"?from=1e308", "?from=1e308: not a number from 0 to 100000"},
        {"?overlay=2", "?overlay=2: not 0 or 1"},
        {"?verbose=yes", "?verbose=yes: not 0 or 1"},
        {"?lead=of", "?lead=of: not on or off"},
        // A still frame's options are no use to the show.
        {"?size=320x180", "?size=320x180: only for a still frame, with ?row=N"},
        {"?effect=tunnel", "?effect=tunnel: only for a still frame, with ?row=N"},
        {"?fps=5", "?fps=5: only for a still frame, with ?row=N"},
        // Values are shown escaped and cut short.
        {"?row=1%00abc", "?row=1\\x00abc: not a number from 0 to 1e+06"},
        {"?row=%E9t%C3%A9%0A", "?row=\\xE9t\xC3\xA9\\x0A: not a number from 0 to 1e+06"},
        {std::string("?row=").append(8000, '9'),
         std::string("?row=").append(40, '9').append("...: not a number from 0 to 1e+06")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        try {
            PageQuery::parse(c.query).checkFromWithin(180.0);
            ADD_FAILURE() << "taken";
        } catch (const PageQuery::BadValue& e) {
            EXPECT_EQ(e.what(), c.message);
        }
    }
}

} // namespace
