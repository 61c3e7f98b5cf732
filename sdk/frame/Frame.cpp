// Frame construction, the trailing header of both packet formats and the stored packet.
#include "mvsdk/Frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "frame/ByteReader.h"
#include "frame/FrameLayout.h"
#include "frame/FrameSettings.h"
#include "frame/PlanePool.h"

namespace Movoda {

namespace fl = frame_layout;

Frame::Frame(uint16_t dataType, uint64_t frameNumber, uint16_t width, uint16_t height,
             uint16_t dataOffset)
    : dataOffset_(dataOffset),
      frameId_(frameNumber),
      dataType_(dataType),
      width_(width),
      height_(height),
      sensorWidth_(width),
      sensorHeight_(height),
      name_(std::to_string(frameNumber)) {
    const uint16_t bx = frame_settings::sdkBinningX();
    const uint16_t by = frame_settings::sdkBinningY();
    if (bx > 1) binX_ = bx;
    if (by > 1) binY_ = by;
}

namespace {
// Not zeroed here: parse() writes every plane it decodes and zeroes only the others, so
// that a frame costs one pass over its planes, not two. `allZero`, where given, follows
// the plane: true while its elements are known to be zero.
template <typename T>
void takePlane(std::vector<T>& plane, size_t n, bool* allZero = nullptr) {
    static_assert(std::is_arithmetic<T>::value, "planes hold plain numbers");
    if (plane.capacity() < n) {
        PlanePool<T>::instance().give(plane, allZero != nullptr && *allZero);
        plane = PlanePool<T>::instance().take(n, false, allZero);
    }
    plane.resize(n);  // growing within the capacity adds zeros
}
template <typename T>
void givePlane(std::vector<T>& plane, bool allZero = false) {
    PlanePool<T>::instance().give(plane, allZero);
}
}  // namespace

Frame::~Frame() {
    const uint8_t zero = zeroPlanes_.load(std::memory_order_relaxed);
    givePlane(distance_);
    givePlane(rawDistance_);
    givePlane(amplitude_);
    givePlane(grayscale_, (zero & kZeroGrayscale) != 0);
    givePlane(reflectivity_);
    givePlane(hdrIndex_, (zero & kZeroHdrIndex) != 0);
    givePlane(freqIndex_, (zero & kZeroFreqIndex) != 0);
    givePlane(intTime_);
    givePlane(pixelMark_, (zero & kZeroPixelMark) != 0);
    givePlane(rawPhase_);
    givePlane(cloud_);
}

void Frame::allocatePlanes() {
    const size_t n = static_cast<size_t>(sensorWidth_) * sensorHeight_;
    takePlane(distance_, n);
    takePlane(rawDistance_, n);
    takePlane(amplitude_, n);
    takeTrackedPlane(grayscale_, n, kZeroGrayscale);
    takePlane(reflectivity_, n);
    takeTrackedPlane(hdrIndex_, n, kZeroHdrIndex);
    takeTrackedPlane(freqIndex_, n, kZeroFreqIndex);
    takePlane(intTime_, n);
    takeTrackedPlane(pixelMark_, n, kZeroPixelMark);
    sampleSize_ = 2;
}

template <typename T>
void Frame::takeTrackedPlane(std::vector<T>& plane, size_t n, uint8_t zeroBit) {
    bool allZero = (zeroPlanes_.load(std::memory_order_relaxed) & zeroBit) != 0;
    takePlane(plane, n, &allZero);
    if (allZero) {
        zeroPlanes_.fetch_or(zeroBit, std::memory_order_relaxed);
    } else {
        zeroPlanes_.fetch_and(static_cast<uint8_t>(~zeroBit), std::memory_order_relaxed);
    }
}

void Frame::setPixelMark(const Index& i, uint8_t value) {
    if (i < amplitude_.size() && i < pixelMark_.size()) {
        if (value != 0) zeroPlanes_.fetch_and(static_cast<uint8_t>(~kZeroPixelMark));
        pixelMark_[static_cast<size_t>(i)] = value;
    }
}

float Frame::maxAmplitude() const {
    const size_t n = std::min(amplitude_.size(), static_cast<size_t>(width_) * height_);
    uint16_t best = 0;
    bool found = false;
    for (size_t i = 0; i < n; ++i) {
        const uint16_t a = amplitude_[i];
        if (a < kRawCodeFrom && (!found || a > best)) {
            best = a;
            found = true;
        }
    }
    return found ? static_cast<float>(best) : static_cast<float>(kRawCodeFrom);
}

bool Frame::loadHeader(const uint8_t* inner, size_t size) {
    if (inner == nullptr || size == 0) return false;
    const uint8_t format = inner[size - 1];
    if (format == fl::kFormatInfoBlock) {
        if (size < fl::kPayloadHeaderSize + fl::kInfoBlockSize) {
            std::printf("size error: packet of %zu bytes cannot hold the %zu-byte block\n", size,
                        fl::kInfoBlockSize);
            return false;
        }
        const uint16_t length = bytes::le16(inner + size - fl::kInfoLengthFromEnd);
        if (length != fl::kInfoBlockSize) {
            std::printf("size error: %u  %zu\n", static_cast<unsigned>(length), fl::kInfoBlockSize);
            return false;
        }
        loadInfoBlock(inner, size);
        return true;
    }
    version_ = format;
    if (format == fl::kFormatShortTrailer) loadFormat2Trailer(inner, size);
    return true;
}

void Frame::loadInfoBlock(const uint8_t* inner, size_t size) {
    const uint8_t* block = inner + size - fl::kInfoBlockSize;
    std::copy(block, block + fl::kInfoBlockSize, infoBlock_.begin());
    hasInfoBlock_ = true;
    version_ = block[fl::kInfoVersionAt];

    modelText_.clear();
    for (size_t k = 0; k < fl::kInfoModelSize; ++k) {
        const char c = static_cast<char>(block[fl::kInfoModelAt + k]);
        if (c != '\0') modelText_.push_back(c);
    }
    name_ = modelText_ + "_" + std::to_string(frameId_);

    roiX0_ = bytes::le16(block + fl::kInfoRoiX0At);
    roiY0_ = bytes::le16(block + fl::kInfoRoiY0At);
    binningFlags_ = block[fl::kInfoBinningAt];
    temperature1_ = static_cast<int16_t>(bytes::le16(block + fl::kInfoTemperature1At));
    temperature2_ = static_cast<int16_t>(bytes::le16(block + fl::kInfoTemperature2At));
    timeSource_ = block[fl::kInfoTimeSourceAt];
    timeLocked_ = block[fl::kInfoTimeLockedAt];
    const uint64_t ms = bytes::le64(block + fl::kInfoCaptureTimesAt);
    timeSec_ = ms / 1000;
    timeNsec_ = static_cast<uint32_t>((ms % 1000) * 1000000);

    imuBlock_.fill(0);
    hasImuBlock_ = block[fl::kInfoImuMarkerAt] == fl::kImuMarker &&
                   size >= fl::kPayloadHeaderSize + fl::kInfoBlockSize + fl::kImuBlockSize;
    if (hasImuBlock_) {
        const uint8_t* imu = block - fl::kImuBlockSize;
        std::copy(imu, imu + fl::kImuBlockSize, imuBlock_.begin());
        if (bytes::le16(imu) != fl::kImuValidWord) {
            imuBlock_[2] = 0;
            imuBlock_[3] = 0;
        }
    }
}

void Frame::loadFormat2Trailer(const uint8_t* inner, size_t size) {
    // The trailer must not reach back into the payload header.
    if (size < fl::kPayloadHeaderSize + fl::kF2Temperature1Back) return;
    const uint8_t* end = inner + size;
    temperature1_ = static_cast<int16_t>(bytes::be16(end - fl::kF2Temperature1Back));
    roiX0_ = bytes::be16(end - fl::kF2RoiX0Back);
    if (roiX0_ > fl::kF2RoiX0Max) roiX0_ = 0;
    roiY0_ = bytes::be16(end - fl::kF2RoiY0Back);
    if (roiY0_ > fl::kF2RoiY0Max) roiY0_ = 0;
    const uint8_t bin = *(end - fl::kF2BinningBack);
    binningFlags_ = 0;
    if ((bin & 0x0F) != 0) binningFlags_ |= fl::kBinRows;
    if (bin > 15) binningFlags_ |= fl::kBinColumns;
    temperature2_ = static_cast<int16_t>(bytes::be16(end - fl::kF2Temperature2Back));
    // The seconds field would overlap the nanoseconds as a full 64-bit number; only the
    // six bytes in front of the nanoseconds belong to it.
    timeSec_ = 0;
    for (size_t k = fl::kF2SecondsBack; k > fl::kF2NanosecondsBack; --k) {
        timeSec_ = (timeSec_ << 8) | *(end - k);
    }
    timeNsec_ = bytes::be32(end - fl::kF2NanosecondsBack);
    timeLocked_ = *(end - fl::kF2TimeLockedBack);
    timeSource_ = *(end - fl::kF2TimeSourceBack);
}

void Frame::setPacket(const uint8_t* inner, size_t size, bool bigEndianLength) {
    // Appended into reserved room: resizing first would zero the whole packet only to
    // overwrite it.
    packet_.clear();
    packet_.reserve(fl::kWireHeaderSize + size + fl::kWireTrailerSize);
    packet_.insert(packet_.end(), std::begin(fl::kStartMark), std::end(fl::kStartMark));
    const uint32_t length = static_cast<uint32_t>(size);
    for (int k = 0; k < 4; ++k) {
        const int shift = bigEndianLength ? 8 * (3 - k) : 8 * k;
        packet_.push_back(static_cast<uint8_t>(length >> shift));
    }
    if (size > 0) packet_.insert(packet_.end(), inner, inner + size);
    packet_.insert(packet_.end(), std::begin(fl::kEndMark), std::end(fl::kEndMark));
}

bool Frame::hasValidMagic() const {
    return hasInfoBlock_ && bytes::le32(infoBlock_.data() + fl::kInfoMagicAt) == fl::kInfoMagic;
}

LensParams Frame::lensParams() const {
    LensParams p;
    if (!hasInfoBlock_) return p;
    const uint8_t* b = infoBlock_.data() + fl::kInfoLensAt;
    p.fx = bytes::leFloat(b);
    p.fy = bytes::leFloat(b + 4);
    p.cx = bytes::leFloat(b + 8);
    p.cy = bytes::leFloat(b + 12);
    p.k1 = bytes::leFloat(b + 16);
    p.k2 = bytes::leFloat(b + 20);
    p.k3 = bytes::leFloat(b + 24);
    p.p1 = bytes::leFloat(b + 28);
    p.p2 = bytes::leFloat(b + 32);
    return p;
}

uint16_t Frame::blockIntTime(size_t k) const {
    if (!hasInfoBlock_ || k >= fl::kIntTimeCount) return 0;
    return bytes::le16(infoBlock_.data() + fl::kInfoIntTimesAt + 2 * k);
}

uint8_t Frame::freqCode(size_t k) const {
    if (!hasInfoBlock_ || k >= fl::kIntTimeCount) return 0;
    return infoBlock_[fl::kInfoFreqCodesAt + k];
}

uint8_t Frame::distanceScale() const {
    return hasInfoBlock_ ? infoBlock_[fl::kInfoDistanceScaleAt] : 0;
}
uint8_t Frame::hdrMode() const { return hasInfoBlock_ ? infoBlock_[fl::kInfoHdrModeAt] : 0; }
uint16_t Frame::grayIntTime() const {
    return hasInfoBlock_ ? bytes::le16(infoBlock_.data() + fl::kInfoGrayIntTimeAt) : 0;
}
uint16_t Frame::minAmplitude() const {
    return hasInfoBlock_ ? bytes::le16(infoBlock_.data() + fl::kInfoMinAmplitudeAt) : 0;
}
uint64_t Frame::captureTimeMs(size_t k) const {
    if (!hasInfoBlock_ || k >= fl::kIntTimeCount) return 0;
    return bytes::le64(infoBlock_.data() + fl::kInfoCaptureTimesAt + 8 * k);
}
uint32_t Frame::ptpOffsetUs() const {
    return hasInfoBlock_ ? bytes::le32(infoBlock_.data() + fl::kInfoPtpOffsetAt) : 0;
}

void Frame::resizeCloud(size_t points) {
    const size_t n = points * kCloudStride;
    if (cloud_.capacity() < n) {
        PlanePool<float>::instance().give(cloud_);
        cloud_ = PlanePool<float>::instance().take(n, false);
    }
    cloud_.resize(n);
}

}  // namespace Movoda
