// The process-wide store of sync tracks and the naming of their files.
#include "sync/SyncDevice.h"

#include "sync/Rexception.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace Sorva {

namespace {

constexpr std::size_t maxPathLength = 259;

bool keptAsIs(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_';
}

// Appends as much of text as fits below the path limit.
void appendTruncated(std::string& path, const std::string& text) {
    const std::size_t room = maxPathLength - std::min(path.size(), maxPathLength);
    path.append(text, 0, std::min(room, text.size()));
}

// The file functions the device reads through.
RegularFile openTrackFile(const std::string& path) {
    return openRegularFile(path, maxTrackFileBytes);
}
std::size_t readFile(void* buffer, std::size_t size, std::size_t count, std::FILE* file) {
    return std::fread(buffer, size, count, file);
}
int closeFile(std::FILE* file) {
    return std::fclose(file);
}

} // namespace

std::string encodeSyncName(const std::string& name) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            if (out.size() >= 259)
                break;
            out += ch;
        } else {
            if (out.size() >= 257)
                break;
            out += '-';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

SyncDevice& SyncDevice::instance() {
    // A throwing constructor leaves the static uninitialised, so the next
    // call tries again.
    static SyncDevice device(syncBasePath);
    return device;
}

SyncDevice::SyncDevice(const std::string& basePath) : io_{openTrackFile, readFile, closeFile} {
    try {
        base_ = encodeSyncName(basePath);
    } catch (const std::bad_alloc&) {
        throw Rexception("Failed to create GNU Rocket sync device.");
    }
}

std::string SyncDevice::trackPath(const std::string& name) const {
    std::string path = base_.substr(0, maxPathLength);
    appendTruncated(path, "_");
    appendTruncated(path, encodeSyncName(name));
    appendTruncated(path, ".track");
    return path;
}

std::ptrdiff_t SyncDevice::findTrack(const std::string& name) const {
    for (std::size_t i = 0; i < tracks_.size(); ++i)
        if (tracks_[i]->name == name)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

void SyncDevice::replaceKeys(std::size_t index, const SyncKey* keys, std::int32_t count) {
    SyncTrack& track = *tracks_.at(index);
    auto copy = std::make_unique<SyncKey[]>(static_cast<std::size_t>(std::max(count, 0)));
    std::copy(keys, keys + std::max(count, 0), copy.get());
    track.keys = std::move(copy);
    track.keyCount = std::max(count, 0);
}

void SyncDevice::setKey(std::size_t index, const SyncKey& key) {
    SyncTrack& track = *tracks_.at(index);
    const SyncKey* begin = track.keys.get();
    const SyncKey* end = begin + track.keyCount;
    const SyncKey* at = std::lower_bound(
        begin, end, key.row, [](const SyncKey& k, std::int32_t row) { return k.row < row; });
    if (at != end && at->row == key.row) {
        track.keys[static_cast<std::size_t>(at - begin)] = key;
        return;
    }
    const auto before = static_cast<std::size_t>(at - begin);
    auto keys = std::make_unique<SyncKey[]>(static_cast<std::size_t>(track.keyCount) + 1);
    std::copy(begin, at, keys.get());
    keys[before] = key;
    std::copy(at, end, keys.get() + before + 1);
    track.keys = std::move(keys);
    ++track.keyCount;
}

void SyncDevice::deleteKey(std::size_t index, std::int32_t row) {
    SyncTrack& track = *tracks_.at(index);
    SyncKey* begin = track.keys.get();
    SyncKey* end = begin + track.keyCount;
    SyncKey* at = std::lower_bound(begin, end, row,
                                   [](const SyncKey& k, std::int32_t r) { return k.row < r; });
    if (at == end || at->row != row)
        return;
    // The array keeps its size; the count says how much of it is keys.
    std::copy(at + 1, end, at);
    --track.keyCount;
}

const SyncTrack& SyncDevice::getTrack(const std::string& name) {
    for (const auto& track : tracks_) {
        if (track->name == name)
            return *track;
    }

    SyncTrack* track = nullptr;
    std::string path;
    try {
        tracks_.reserve(tracks_.size() + 1);
        auto created = std::make_unique<SyncTrack>();
        created->name = name;
        path = trackPath(name);
        track = created.get();
        tracks_.push_back(std::move(created));
    } catch (const std::bad_alloc&) {
        static const SyncTrack noTrack;
        return noTrack;
    }

    const RegularFile opened = io_.open(path);
    if (!opened.file) {
        // A track without a file is the usual way to say 0; anything else
        // in its place is a mistake worth a line.
        if (!opened.missing)
            std::fprintf(stderr, "Cannot read track %s from %s: %s; it stays 0\n", name.c_str(),
                         path.c_str(), opened.problem.c_str());
        return *track;
    }
    readTrackKeys(opened.file, *track, io_.read);
    io_.close(opened.file);
    return *track;
}

} // namespace Sorva
