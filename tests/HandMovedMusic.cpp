// The music clock on a hand-moved output, for tests.
#include "HandMovedMusic.h"

#include "sync/MusicClock.h"

#include <memory>

namespace Sorva::Test {

ManualAudioOutput& handMovedMusic(const char* tune) {
    static ManualAudioOutput* output = [tune] {
        auto made = std::make_unique<ManualAudioOutput>();
        ManualAudioOutput* kept = made.get();
        MusicClock::instance().open(tune, 131.0, std::move(made));
        MusicClock::instance().start();
        return kept;
    }();
    return *output;
}

void moveMusicToRow(ManualAudioOutput& music, double row) {
    music.setPosition(row * 60.0 / (131.0 * 8.0) * 44100.0);
}

} // namespace Sorva::Test
