// Opening a data file (track, tune, image, shader) for reading without ever
// waiting on it: only a regular file is opened.
#pragma once

#include <cstdio>
#include <string>

namespace Sorva {

// A data file opened for reading, or why it is not.
struct RegularFile {
    std::FILE* file = nullptr; // binary mode; the caller closes it
    bool missing = false;      // nothing at the path (or a dangling link)
    std::string problem;       // when file is null, e.g. "No such file or directory"
                               // or "a FIFO, not a regular file"
};

// Opens path, links followed, if it is a regular file. A FIFO, directory,
// device or socket is refused without being read: opening a FIFO would
// block until a writer appears, and a directory or device is no data.
RegularFile openRegularFile(const std::string& path);

// Appends the rest of an opened file to text and closes the file; false on a
// read error.
bool readToEnd(std::FILE* file, std::string& text);

} // namespace Sorva
