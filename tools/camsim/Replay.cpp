#include "Replay.h"

#include <algorithm>
#include <sstream>

#include "frame/FramePacket.h"
#include "records/RecordFormat.h"
#include "records/RecordNaming.h"

namespace camsim {
namespace {

namespace mr = Movoda::records;
namespace fp = Movoda::frame_packet;

// Data type of frames that carry only the grayscale plane.
constexpr uint16_t kGrayscaleDataType = 3;
// Pauses between time stamps beyond this are gaps in the recording, not its pace.
constexpr double kLongestPauseSeconds = 5.0;
constexpr double kDefaultSeconds = 0.1;  // 10 frames a second without usable time stamps

struct Checked {
    std::shared_ptr<Movoda::Frame> frame;  // nullptr when unusable
    std::string why;
};

Checked readFrame(const std::string& path) {
    Checked out;
    const mr::RecordReadResult read = mr::readRecordFile(path);
    if (read.status != mr::ReadStatus::Ok) {
        out.why = read.message.empty() ? "cannot be read" : read.message;
        return out;
    }
    const std::vector<uint8_t>& inner = read.content.payload;
    out.frame = fp::frameFromPacket(inner.data(), inner.size(), std::string());
    if (!out.frame) out.why = "no frame of this camera";
    return out;
}

// Capture time in seconds from the information block, or the older trailer's clock.
double captureSeconds(const Movoda::Frame& frame) {
    if (frame.hasInfoBlock()) return static_cast<double>(frame.captureTimeMs(0)) / 1000.0;
    return static_cast<double>(frame.timeSec()) + frame.timeNsec() / 1e9;
}

}  // namespace

std::shared_ptr<const Recording> Recording::load(const std::string& dir, bool legacy, double fps,
                                                 std::string& error) {
    std::string why;
    const std::vector<std::string> files = mr::recordFilesIn(dir, why);
    if (!why.empty()) {
        error = "replay folder " + why;
        return nullptr;
    }
    if (files.empty()) {
        error = "replay folder " + dir + " holds no record files (.xbin)";
        return nullptr;
    }

    auto recording = std::shared_ptr<Recording>(new Recording());
    std::vector<double> stamps;
    std::size_t unreadable = 0, otherLayout = 0;
    std::string firstProblem;
    for (const std::string& path : files) {
        const Checked checked = readFrame(path);
        if (!checked.frame) {
            ++unreadable;
            if (firstProblem.empty()) firstProblem = path + ": " + checked.why;
            continue;
        }
        const bool current = checked.frame->version() == fp::kTrailerLittleEndian;
        if (current == legacy) {
            ++otherLayout;
            continue;
        }
        Entry entry;
        entry.path = path;
        entry.grayscale = checked.frame->dataType() == kGrayscaleDataType;
        recording->frames_.push_back(entry);
        stamps.push_back(captureSeconds(*checked.frame));
    }
    if (recording->frames_.empty()) {
        std::ostringstream o;
        o << "replay folder " << dir << ": none of its " << files.size()
          << " record files holds a frame this camera can send";
        if (otherLayout > 0) o << " (" << otherLayout << " of the other frame layout)";
        if (!firstProblem.empty()) o << "; first problem: " << firstProblem;
        error = o.str();
        return nullptr;
    }

    // Pace: the recorded pauses, each gap or missing stamp replaced by the median pause.
    std::vector<double> pauses;
    for (std::size_t i = 0; i + 1 < stamps.size(); ++i) {
        const double pause = stamps[i + 1] - stamps[i];
        if (pause > 0 && pause <= kLongestPauseSeconds) pauses.push_back(pause);
    }
    double typical = kDefaultSeconds;
    if (!pauses.empty()) {
        std::vector<double> sorted = pauses;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        typical = sorted[sorted.size() / 2];
    }
    for (std::size_t i = 0; i < recording->frames_.size(); ++i) {
        double pause = i + 1 < stamps.size() ? stamps[i + 1] - stamps[i] : typical;
        if (!(pause > 0 && pause <= kLongestPauseSeconds)) pause = typical;
        recording->frames_[i].secondsToNext = fps > 0 ? 1.0 / fps : pause;
    }

    std::size_t grayscale = 0;
    for (const Entry& e : recording->frames_) grayscale += e.grayscale;
    std::ostringstream o;
    o << "replaying " << recording->frames_.size() << " frames of " << dir << " ("
      << recording->frames_.size() - grayscale << " depth, " << grayscale << " grayscale), ";
    if (fps > 0) {
        o << "at " << fps << " frames a second";
    } else {
        o << "at the recorded pace (typically " << 1.0 / typical << " frames a second)";
    }
    if (unreadable > 0) o << "; " << unreadable << " unreadable files skipped";
    if (otherLayout > 0) o << "; " << otherLayout << " frames of the other layout skipped";
    recording->summary_ = o.str();
    return recording;
}

bool Recording::hasFramesFor(bool grayscale) const {
    return std::any_of(frames_.begin(), frames_.end(),
                       [grayscale](const Entry& e) { return e.grayscale == grayscale; });
}

bool Recording::next(bool grayscale, std::size_t& cursor, std::vector<uint8_t>& packet,
                     double& seconds) const {
    for (std::size_t tried = 0; tried < frames_.size(); ++tried) {
        const Entry& entry = frames_[cursor % frames_.size()];
        cursor = (cursor + 1) % frames_.size();
        if (entry.grayscale != grayscale) continue;
        const Checked checked = readFrame(entry.path);
        if (!checked.frame) continue;  // changed since start-up
        packet = checked.frame->packet();
        seconds = entry.secondsToNext;
        return true;
    }
    return false;
}

}  // namespace camsim
