// A recording played back in place of the rendered scene: the record files of one folder
// in the recorder's numbering order, looping, paced by their time stamps or a fixed rate.
// Only the frame planes come from the recording; the camera's answers stay the simulator's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace camsim {

class Recording {
public:
    // Reads every record file of `dir` once to check it and take its time stamp; only
    // frames of this simulator's frame layout (current, or the older one with `legacy`)
    // are kept. `fps` > 0 paces the frames at that rate instead of their time stamps.
    // nullptr, with the reason, when the folder cannot be read or holds no usable frame.
    static std::shared_ptr<const Recording> load(const std::string& dir, bool legacy, double fps,
                                                 std::string& error);

    // What was loaded, for the start-up message.
    const std::string& summary() const { return summary_; }
    std::size_t size() const { return frames_.size(); }
    // Whether the recording holds frames for a depth stream (distance and amplitude) or
    // for a grayscale stream.
    bool hasFramesFor(bool grayscale) const;

    // The wire packet of the next frame for the stream kind, from position `cursor` on
    // (advanced past it); false when the recording holds none of that kind or the file
    // can no longer be read. `seconds` is the pause until the frame after it.
    bool next(bool grayscale, std::size_t& cursor, std::vector<std::uint8_t>& packet,
              double& seconds) const;

private:
    struct Entry {
        std::string path;
        bool grayscale = false;
        double secondsToNext = 0;
    };
    std::vector<Entry> frames_;
    std::string summary_;
};

}  // namespace camsim
