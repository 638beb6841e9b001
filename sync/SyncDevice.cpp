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

SyncDevice::SyncDevice(const std::string& basePath) : io_{openRegularFile, readFile, closeFile} {
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
