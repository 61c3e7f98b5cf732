#include "PlaybackSequence.h"

#include "RecordsConstants.h"

namespace vantory::records {

PlaybackStep advancePlayback(int index, int count, bool backward, bool loop) {
    if (backward) {
        if (index > 0) return {index - 1, PlaybackEnd::None};
        if (loop) return {count - 1, PlaybackEnd::None};
        return {index, PlaybackEnd::Backward};
    }
    if (index + 1 < count) return {index + 1, PlaybackEnd::None};
    if (loop) return {0, PlaybackEnd::None};
    return {count - 1, PlaybackEnd::Forward};
}

int playFpsFromBox(int value) {
    return value <= 0 ? kDefaultPlayFps : value;
}

std::chrono::microseconds playPeriod(int fps) {
    return std::chrono::microseconds(1000000 / playFpsFromBox(fps));
}

}  // namespace vantory::records
