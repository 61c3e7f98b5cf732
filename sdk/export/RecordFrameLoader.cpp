#include "export/RecordFrameLoader.h"

#include "cloud/PointCloudProcessor.h"
#include "records/RecordFormat.h"

namespace Movoda::exporters {

namespace {

// Inner packet: command id, data type, frame number, width, height; the last byte says
// the byte order (3: little-endian with the information block).
constexpr size_t kFrameNumberAt = 2;
constexpr size_t kWidthAt = 4;
constexpr size_t kHeightAt = 6;
constexpr size_t kHeaderBytes = 8;
constexpr uint8_t kTrailerLittleEndian = 3;
constexpr uint16_t kMaxWidth = 320;
constexpr uint16_t kMaxHeight = 240;

uint16_t read16(const uint8_t* at, bool bigEndian) {
    return bigEndian ? static_cast<uint16_t>(at[0] << 8 | at[1])
                     : static_cast<uint16_t>(at[1] << 8 | at[0]);
}

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
    const size_t size = inner.size();
    if (size < kHeaderBytes + 1) return failure("record file holds no frame");

    const bool bigEndian = inner[size - 1] != kTrailerLittleEndian;
    const uint16_t width = read16(inner.data() + kWidthAt, bigEndian);
    const uint16_t height = read16(inner.data() + kHeightAt, bigEndian);
    if (width < 1 || width > kMaxWidth || height < 1 || height > kMaxHeight) {
        return failure("frame size " + std::to_string(width) + " x " + std::to_string(height) +
                       " is not an image of this camera");
    }
    auto frame = std::make_shared<Frame>(inner[1], read16(inner.data() + kFrameNumberAt, bigEndian),
                                         width, height);
    if (!frame->loadHeader(inner.data(), size)) return failure("frame header damaged");
    frame->setPacket(inner.data(), size, bigEndian);
    frame->setName(name);
    frame->allocatePlanes();
    try {
        frame->decode();
    } catch (const std::exception& e) {
        return failure(std::string("frame cannot be decoded: ") + e.what());
    }

    // The lens the frame carries wins over an older file's lens; the default otherwise.
    if (frame->version() == kTrailerLittleEndian && frame->hasValidMagic())
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
