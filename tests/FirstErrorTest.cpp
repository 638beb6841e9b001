// Picking the first error and its line out of each driver's log format.
#include "gl/FirstError.h"

#include <gtest/gtest.h>

TEST(FirstError, FindsTheFirstErrorAndItsLineInEachDriversFormat) {
    const struct {
        const char* what;
        const char* log;
        int line;
        const char* message;
    } rows[] = {
        {"Mesa", "0:3(24): error: syntax error, unexpected '}'\n", 3,
         "syntax error, unexpected '}'"},
        {"Mesa, warning before the errors",
         "0:2(10): warning: extension `GL_foo' unsupported\n0:7(5): error: `bar' undeclared\n"
         "0:8(1): error: second\n",
         7, "`bar' undeclared"},
        {"NVIDIA", "0(12) : error C1008: undefined variable \"bar\"\n", 12,
         "undefined variable \"bar\""},
        {"reference compiler",
         "ERROR: 0:4: 'bar' : undeclared identifier\nERROR: 1 compilation errors.\n", 4,
         "'bar' : undeclared identifier"},
        {"link error without a line", "error: fragment shader lacks `main'\n", 0,
         "fragment shader lacks `main'"},
        {"no error word, CRLF", "\r\n  something odd happened\r\n", 0, "something odd happened"},
        {"line number out of range", "0:99999999999(1): error: x\n", 0, "x"},
        {"empty log", "", 0, "the driver gives no reason"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Sorva::Gl::FirstError error = Sorva::Gl::firstError(row.log);
        EXPECT_EQ(error.line, row.line);
        EXPECT_EQ(error.message, row.message);
    }
}
