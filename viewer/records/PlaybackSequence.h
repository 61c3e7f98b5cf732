// The order in which playback walks its files, and its pace.
#pragma once

#include <chrono>

namespace vantory::records {

enum class PlaybackEnd {
    None,      // go on with `index`
    Forward,   // past the last file without loop: hold, then pause at the last file
    Backward,  // before the first file without loop: pause
};

struct PlaybackStep {
    int index = 0;
    PlaybackEnd end = PlaybackEnd::None;
};

// The file after `index` of `count`.
PlaybackStep advancePlayback(int index, int count, bool backward, bool loop);

// The play-rate box: 0 means the default rate.
int playFpsFromBox(int value);

// Time between two files at `fps` files per second.
std::chrono::microseconds playPeriod(int fps);

}  // namespace vantory::records
