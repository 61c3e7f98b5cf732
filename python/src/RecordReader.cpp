#include "RecordReader.h"

#include <filesystem>
#include <mutex>
#include <optional>

#include "cloud/PointCloudProcessor.h"
#include "frame/FramePacket.h"
#include "records/RecordFormat.h"

namespace vantory_py {

namespace mr = Movoda::records;

namespace {

// The file name without its folder and without the record suffix, as playback names
// recorded frames.
std::string frameName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string suffix = mr::kRecordFileSuffix;
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.resize(name.size() - suffix.size());
    }
    return name;
}

// One processor for every reader: its undistortion table is rebuilt only when the lens
// changes, which for the files of one recording is never.
void computeCloud(Movoda::Frame& frame, const Movoda::LensParams& lens) {
    static std::mutex mutex;
    static Movoda::PointCloudProcessor processor;
    std::lock_guard<std::mutex> lock(mutex);
    processor.setLensParams(lens);
    processor.generateCloud(frame);
}

RecordedFrame refused(RecordError error, std::string message) {
    RecordedFrame r;
    r.error = error;
    r.message = std::move(message);
    return r;
}

}  // namespace

RecordedFrame readRecordedFrame(const std::string& path, bool withPoints) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return refused(RecordError::CannotOpen, path + " is a folder");
    }
    const mr::RecordReadResult read = mr::readRecordFile(path);
    switch (read.status) {
        case mr::ReadStatus::Ok:
            break;
        case mr::ReadStatus::CannotOpen:
            return refused(RecordError::CannotOpen, "cannot open " + path);
        default:
            return refused(RecordError::Invalid, path + ": " + read.message);
    }
    // A current file holds a frame with its information block; without one the file is
    // cut short or damaged, and its planes would be read from the wrong bytes.
    if (read.content.version == mr::kFileVersionCurrent && !read.content.hasInfoBlock) {
        return refused(RecordError::Invalid, path + ": " + read.message);
    }
    const std::vector<uint8_t>& payload = read.content.payload;
    auto frame =
        Movoda::frame_packet::frameFromPacket(payload.data(), payload.size(), frameName(path));
    if (!frame) return refused(RecordError::Invalid, path + ": not a frame of this camera");
    frame->decode();
    // The decoder keeps no plane of a packet too short for the planes it announces.
    if (frame->dataFlags() == 0) {
        return refused(RecordError::Invalid, path + ": the frame's pixel planes are cut short");
    }

    if (withPoints) {
        std::optional<Movoda::LensParams> lens;
        if (frame->version() == Movoda::frame_packet::kTrailerLittleEndian &&
            frame->hasValidMagic()) {
            lens = frame->lensParams();
        } else if (read.content.lens) {
            lens = *read.content.lens;
        }
        if (lens) computeCloud(*frame, *lens);
    }
    RecordedFrame r;
    r.frame = std::move(frame);
    return r;
}

}  // namespace vantory_py
