// Opening a data file (track, tune, image, shader) for reading, or an output
// file for writing, without ever waiting on it: only a regular file is opened.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace Sorva {

// A data file opened for reading, or why it is not.
struct RegularFile {
    std::FILE* file = nullptr; // binary mode; the caller closes it
    bool missing = false;      // nothing at the path (or a dangling link)
    std::string problem;       // when file is null, e.g. "No such file or directory"
                               // or "a FIFO, not a regular file"
};

inline constexpr std::uintmax_t anySize = std::numeric_limits<std::uintmax_t>::max();

// Opens path, links followed, if it is a regular file of at most maxBytes. A
// FIFO, directory, device or socket is refused without being read: opening a
// FIFO would block until a writer appears, and a directory or device is no
// data. A larger file is refused too ("N bytes, more than the M allowed").
RegularFile openRegularFile(const std::string& path, std::uintmax_t maxBytes = anySize);

// Opens path, links followed, for writing from its start ("wb"): an existing
// regular file is emptied, a new name is created; anything else is refused as
// openRegularFile refuses it.
RegularFile createRegularFile(const std::string& path);

// Appends the rest of an opened file to text and closes the file; false on a
// read error, or once more than maxBytes have come (a file growing while read).
bool readToEnd(std::FILE* file, std::string& text, std::uintmax_t maxBytes = anySize);

} // namespace Sorva
