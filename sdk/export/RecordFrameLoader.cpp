#include "export/RecordFrameLoader.h"

#include "cloud/PointCloudProcessor.h"
#include "frame/FramePacket.h"
#include "records/RecordFormat.h"

namespace Movoda::exporters {

namespace {

LoadedFrame failure(const std::string& why) {
    LoadedFrame result;
    result.error = why;
    return result;
}

}  // namespace

std::string baseNameOf(const std::string& path, const std::string& suffix) {
    const size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!suffix.empty() && name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.erase(name.size() - suffix.size());
    }
    return name;
}

RecordFrameLoader::RecordFrameLoader() : cloud_(std::make_unique<PointCloudProcessor>()) {}

RecordFrameLoader::~RecordFrameLoader() = default;

LoadedFrame RecordFrameLoader::load(const std::string& path) {
    return fromRead(records::readRecordFile(path), baseNameOf(path, records::kRecordFileSuffix));
}

LoadedFrame RecordFrameLoader::loadBytes(const std::vector<uint8_t>& bytes,
                                         const std::string& name) {
    return fromRead(records::parseRecordFile(bytes), name);
}

LoadedFrame RecordFrameLoader::fromRead(const records::RecordReadResult& read,
                                        const std::string& name) {
    if (read.status != records::ReadStatus::Ok) {
        return failure(read.message.empty() ? "cannot read the record file" : read.message);
    }
    const records::RecordFileContent& content = read.content;
    const std::vector<uint8_t>& inner = content.payload;
    if (frame_packet::tooShort(inner.data(), inner.size())) return failure("record file holds no frame");
    // Taken apart as the live frame path does.
    std::shared_ptr<Frame> frame = frame_packet::frameFromPacket(inner.data(), inner.size(), name);
    if (!frame) return failure("frame size or frame header damaged: not an image of this camera");
    frame->allocatePlanes();
    try {
        frame->decode();
    } catch (const std::exception& e) {
        return failure(std::string("frame cannot be decoded: ") + e.what());
    }

    // The lens the frame carries wins over an older file's lens; the default otherwise.
    if (frame->version() == frame_packet::kTrailerLittleEndian && frame->hasValidMagic())
        cloud_->setLensParams(frame->lensParams());
    else if (content.lens)
        cloud_->setLensParams(*content.lens);
    else
        cloud_->setLensParams(LensParams{});
    cloud_->generateCloud(*frame);

    LoadedFrame result;
    result.frame = std::move(frame);
    return result;
}

}  // namespace Movoda::exporters
