// Reading and writing the binary track file.
#include "sync/TrackFile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Sorva {

namespace {

// std::bit_cast, which the web build's C++ library lacks.
template <class To, class From> To bitsAs(const From& from) {
    static_assert(sizeof(To) == sizeof(From));
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}

constexpr std::size_t keyBytes = 9;
// Keys decoded per read call; the raw bytes live on the stack.
constexpr std::int32_t chunkKeys = 256;

std::uint32_t loadU32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void storeU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

SyncKey decodeKey(const unsigned char* p) {
    return SyncKey{static_cast<std::int32_t>(loadU32(p)), bitsAs<float>(loadU32(p + 4)),
                   static_cast<std::int8_t>(p[8])};
}

std::size_t standardRead(void* buffer, std::size_t size, std::size_t count, std::FILE* file) {
    return std::fread(buffer, size, count, file);
}

// Bytes from the current position to the end, or -1 when the stream cannot
// tell (a pipe). The position is left where it was.
long long bytesLeft(std::FILE* file) {
    const long pos = std::ftell(file);
    if (pos < 0 || std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long end = std::ftell(file);
    if (std::fseek(file, pos, SEEK_SET) != 0)
        return 0; // position lost: read nothing rather than guess
    return end > pos ? end - pos : 0;
}

// Reads up to limit whole keys in chunks, handing each to store; returns how
// many were read. Stops at the first short read.
template <class Store>
std::int32_t readKeys(std::FILE* file, TrackReadFunction read, std::int32_t limit, Store store) {
    unsigned char bytes[chunkKeys * keyBytes];
    std::int32_t done = 0;
    while (done < limit) {
        const std::int32_t want = std::min(chunkKeys, limit - done);
        const std::size_t got = read(bytes, 1, std::size_t(want) * keyBytes, file);
        const auto whole = std::int32_t(got / keyBytes);
        for (std::int32_t i = 0; i < whole; ++i)
            store(decodeKey(bytes + std::size_t(i) * keyBytes));
        done += whole;
        if (whole < want)
            break;
    }
    return done;
}

} // namespace

TrackFileReport readTrackKeys(std::FILE* file, SyncTrack& track, TrackReadFunction read) {
    TrackFileReport report;
    track.keys.reset();
    track.keyCount = 0;

    unsigned char countBytes[4];
    if (read(countBytes, 1, sizeof countBytes, file) != sizeof countBytes) {
        report.readError = std::ferror(file) != 0;
        return report;
    }
    report.hasCount = true;
    report.announcedCount = static_cast<std::int32_t>(loadU32(countBytes));
    if (report.announcedCount <= 0)
        return report;

    try {
        const long long left = bytesLeft(file);
        if (left >= 0) {
            const auto limit =
                std::int32_t(std::min<long long>(report.announcedCount, left / keyBytes));
            if (limit > 0) {
                auto keys = std::unique_ptr<SyncKey[]>(new SyncKey[std::size_t(limit)]);
                SyncKey* out = keys.get();
                track.keyCount = readKeys(file, read, limit, [&](SyncKey k) { *out++ = k; });
                track.keys = std::move(keys);
            }
        } else {
            std::vector<SyncKey> grown;
            readKeys(file, read, report.announcedCount, [&](SyncKey k) { grown.push_back(k); });
            if (!grown.empty()) {
                track.keys = std::unique_ptr<SyncKey[]>(new SyncKey[grown.size()]);
                std::copy(grown.begin(), grown.end(), track.keys.get());
                track.keyCount = std::int32_t(grown.size());
            }
        }
    } catch (const std::bad_alloc&) {
        // No room for the keys: the track stays empty and evaluates to 0.
        track.keys.reset();
        track.keyCount = 0;
    }
    report.readError = std::ferror(file) != 0;
    return report;
}

TrackFileReport readTrackKeys(std::FILE* file, SyncTrack& track) {
    return readTrackKeys(file, track, standardRead);
}

std::string trackFileBytes(const SyncKey* keys, std::int32_t count) {
    std::string out;
    out.reserve(4 + std::size_t(std::max(count, 0)) * keyBytes);
    storeU32(out, static_cast<std::uint32_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        storeU32(out, static_cast<std::uint32_t>(keys[i].row));
        storeU32(out, bitsAs<std::uint32_t>(keys[i].value));
        out += char(keys[i].type & 0xFF);
    }
    return out;
}

} // namespace Sorva
