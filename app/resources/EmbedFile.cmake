# Writes a C++ source that returns the bytes of INPUT from FUNCTION (in Sorva).
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DHEADER=app/X.h -DFUNCTION=name -P EmbedFile.cmake
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
  "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.
#include \"${HEADER}\"

namespace Sorva {

namespace {
const unsigned char bytes[] = {
${bytes}
};
} // namespace

std::span<const unsigned char> ${FUNCTION}() {
    return bytes;
}

} // namespace Sorva
")
