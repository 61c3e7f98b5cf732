// One depth frame: the pixel planes decoded from a camera packet, the frame information
// block, the stored wire packet for recording and the point cloud.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mvsdk/IFrame.h"
#include "mvsdk/MvTypes.h"

namespace Movoda {

class Frame : public IFrame {
public:
    // Planes start after 8 bytes of wire framing and the 8 payload header bytes.
    static constexpr uint16_t kDefaultDataOffset = 16;
    static constexpr size_t kInfoBlockSize = 206;
    static constexpr size_t kImuBlockSize = 92;
    static constexpr size_t kModelCoefCount = 7;
    // Values per point in the cloud: x, y, z, intensity.
    static constexpr size_t kCloudStride = 4;
    static constexpr size_t kRawPhasePerPixel = 4;

    // width and height are the pixel counts as received (the sensor-order size).
    Frame(uint16_t dataType, uint64_t frameNumber, uint16_t width, uint16_t height,
          uint16_t dataOffset = kDefaultDataOffset);
    // Hands the plane buffers back for reuse by later frames.
    ~Frame() override;

    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // --- IFrame ---
    uint8_t dataFlags() const override { return dataFlags_; }
    uint64_t pixelCount() const override { return distance_.size(); }
    uint32_t distance(const Index& i) const override { return at(distance_, i); }
    uint16_t amplitude(const Index& i) const override { return at(amplitude_, i); }
    float maxAmplitude() const override;
    uint32_t rawDistance(const Index& i) const override { return at(rawDistance_, i); }
    uint16_t grayscale(const Index& i) const override { return at(grayscale_, i); }
    float reflectivity(const Index& i) const override { return at(reflectivity_, i); }
    uint8_t hdrIndex(const Index& i) const override { return at(hdrIndex_, i); }
    uint8_t pixelMark(const Index& i) const override { return at(pixelMark_, i); }
    uint8_t freqIndex(const Index& i) const override { return at(freqIndex_, i); }
    uint16_t intTime(const Index& i) const override { return at(intTime_, i); }

    uint32_t* distanceData() override { return dataOf(distance_); }
    uint16_t* amplitudeData() override { return dataOf(amplitude_); }
    uint32_t* rawDistanceData() override { return dataOf(rawDistance_); }
    uint16_t* grayscaleData() override { return writable(grayscale_, kZeroGrayscale); }
    float* reflectivityData() override { return dataOf(reflectivity_); }
    uint8_t* hdrIndexData() override { return writable(hdrIndex_, kZeroHdrIndex); }
    uint8_t* pixelMarkData() override { return writable(pixelMark_, kZeroPixelMark); }
    uint8_t* freqIndexData() override { return writable(freqIndex_, kZeroFreqIndex); }
    uint16_t* intTimeData() override { return dataOf(intTime_); }

    uint8_t version() const override { return version_; }
    uint16_t dataOffset() const override { return dataOffset_; }
    uint64_t frameId() const override { return frameId_; }
    uint16_t dataType() const override { return dataType_; }
    uint16_t width() const override { return width_; }
    uint16_t height() const override { return height_; }
    uint32_t sampleSize() const override { return sampleSize_; }
    uint16_t roiX0() const override { return roiX0_; }
    uint16_t roiY0() const override { return roiY0_; }
    uint8_t binningFlags() const override { return binningFlags_; }
    uint64_t timeSec() const override { return timeSec_; }
    uint32_t timeNsec() const override { return timeNsec_; }
    uint8_t timeLocked() const override { return timeLocked_; }
    uint8_t timeSource() const override { return timeSource_; }
    int16_t temperature1() const override { return temperature1_; }
    int16_t temperature2() const override { return temperature2_; }
    int32_t dustValue() const override { return dustValue_; }
    uint8_t binPending() const override { return binPending_; }
    uint16_t binX() const override { return binX_; }
    uint16_t binY() const override { return binY_; }
    uint16_t sensorWidth() const override { return sensorWidth_; }
    uint16_t sensorHeight() const override { return sensorHeight_; }
    uint8_t hasCloud() const override { return hasCloud_; }

    void setFrameId(uint64_t id) override { frameId_ = id; }
    void setTimeSec(uint64_t seconds) override { timeSec_ = seconds; }
    void setDistance(const Index& i, uint32_t value) override { put(distance_, i, value); }
    void setReflectivity(const Index& i, float value) override { put(reflectivity_, i, value); }
    void setAmplitude(const Index& i, uint16_t value) override { put(amplitude_, i, value); }
    void setPixelMark(const Index& i, uint8_t value) override;
    void setDustValue(int32_t value) override { dustValue_ = value; }

    void parse(const std::vector<uint8_t>& packet) override;

    // --- Frame path ---
    // Allocates every pixel plane with sensorWidth x sensorHeight entries (the raw phase
    // plane only when a packet carries it); parse() calls it when not yet done. The
    // entries mean nothing until parse(), which writes every plane the packet carries and
    // zeroes every other one.
    void allocatePlanes();
    // Takes the trailing header from the inner packet (command id .. trailer type):
    // format 3 the information block (and IMU block), format 2 the short trailer.
    // False when the information block length is not 206 or does not fit the packet.
    bool loadHeader(const uint8_t* inner, size_t size);
    // Stores the inner packet wrapped as a wire packet (marks and length field).
    void setPacket(const uint8_t* inner, size_t size, bool bigEndianLength);
    const std::vector<uint8_t>& packet() const { return packet_; }
    // Decodes the stored packet.
    void decode() { parse(packet_); }

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }
    // Model text of the information block, zero bytes dropped; empty without a block.
    const std::string& modelText() const { return modelText_; }

    bool hasInfoBlock() const { return hasInfoBlock_; }
    const std::array<uint8_t, kInfoBlockSize>& infoBlock() const { return infoBlock_; }
    bool hasImuBlock() const { return hasImuBlock_; }
    // Raw IMU block; its second word is 0 when the first is not the validity word.
    const std::array<uint8_t, kImuBlockSize>& imuBlock() const { return imuBlock_; }

    // Typed fields of the information block (0, or the default lens, without a block).
    // k counts from 0.
    bool hasValidMagic() const;
    LensParams lensParams() const;
    uint16_t blockIntTime(size_t k) const;   // k < 5
    uint8_t freqCode(size_t k) const;        // k < 5
    uint8_t distanceScale() const;
    uint8_t hdrMode() const;
    uint16_t grayIntTime() const;
    uint16_t minAmplitude() const;
    uint64_t captureTimeMs(size_t k) const;  // k < 5
    uint32_t ptpOffsetUs() const;

    float reflScale() const { return reflScale_; }
    const std::array<float, kModelCoefCount>& modelCoef() const { return modelCoef_; }
    // Pixels whose frequency code had no known modulation frequency in the last parse.
    uint64_t unknownFrequencyPixels() const { return unknownFrequencyPixels_; }

    // Read-only plane access for holders of a constant frame.
    const uint32_t* distancePlane() const { return dataOf(distance_); }
    const uint16_t* amplitudePlane() const { return dataOf(amplitude_); }
    const uint32_t* rawDistancePlane() const { return dataOf(rawDistance_); }
    const uint16_t* grayscalePlane() const { return dataOf(grayscale_); }
    const float* reflectivityPlane() const { return dataOf(reflectivity_); }
    const uint8_t* hdrIndexPlane() const { return dataOf(hdrIndex_); }
    const uint8_t* freqIndexPlane() const { return dataOf(freqIndex_); }
    const uint16_t* intTimePlane() const { return dataOf(intTime_); }
    const uint8_t* pixelMarkPlane() const { return dataOf(pixelMark_); }
    // Four samples per sensor pixel, in received order; empty without the plane.
    const std::vector<uint16_t>& rawPhase() const { return rawPhase_; }

    // Point cloud: kCloudStride floats per point, width() x height() points once computed.
    // Resizing does not clear it: the cloud computation writes every entry.
    void resizeCloud(size_t points);
    float* cloudData() { return dataOf(cloud_); }
    const float* cloudData() const { return dataOf(cloud_); }
    size_t cloudPointCount() const { return cloud_.size() / kCloudStride; }
    void setHasCloud(bool on) { hasCloud_ = on ? 1 : 0; }

private:
    template <typename T>
    static T at(const std::vector<T>& plane, const Index& i) {
        return i < plane.size() ? plane[static_cast<size_t>(i)] : T();
    }
    template <typename T>
    static void put(std::vector<T>& plane, const Index& i, T value) {
        if (i < plane.size()) plane[static_cast<size_t>(i)] = value;
    }
    template <typename T>
    static T* dataOf(std::vector<T>& plane) {
        return plane.empty() ? nullptr : plane.data();
    }
    template <typename T>
    static const T* dataOf(const std::vector<T>& plane) {
        return plane.empty() ? nullptr : plane.data();
    }
    // A plane handed out for writing may no longer hold only zeros.
    template <typename T>
    T* writable(std::vector<T>& plane, uint8_t zeroBit) {
        zeroPlanes_.fetch_and(static_cast<uint8_t>(~zeroBit), std::memory_order_relaxed);
        return dataOf(plane);
    }

    // Takes the model's reflectivity coefficients; true when its rows are stored mirrored.
    bool applyModelConstants();
    void loadInfoBlock(const uint8_t* inner, size_t size);
    void loadFormat2Trailer(const uint8_t* inner, size_t size);
    // Takes a plane whose all-zero state zeroPlanes_ tracks under zeroBit.
    template <typename T>
    void takeTrackedPlane(std::vector<T>& plane, size_t n, uint8_t zeroBit);
    // Zeroes the planes that decoding and its following steps do not write in full.
    void zeroPlanesNotDecoded();
    // With fuseReflectivity (distance + amplitude without HDR index), reflectivity is
    // computed in the same pass as the decoding.
    void decodePlanes(const uint8_t* planes, size_t count, uint32_t scale, bool mirror,
                      bool fuseReflectivity);
    void computeReflectivity(uint32_t scale);
    void applySdkBinning();

    uint8_t dataFlags_ = 0;
    uint8_t version_ = 0;
    uint16_t dataOffset_;
    uint64_t frameId_;
    uint16_t dataType_;
    uint16_t width_;
    uint16_t height_;
    uint32_t sampleSize_ = 2;
    uint16_t roiX0_ = 0;
    uint16_t roiY0_ = 0;
    uint8_t binningFlags_ = 0;
    uint64_t timeSec_ = 0;
    uint32_t timeNsec_ = 0;
    uint8_t timeLocked_ = 0;
    uint8_t timeSource_ = 0;
    int16_t temperature1_ = 0;
    int16_t temperature2_ = 0;
    int32_t dustValue_ = -1;
    uint8_t binPending_ = 1;
    uint16_t binX_ = 1;
    uint16_t binY_ = 1;
    uint16_t sensorWidth_;
    uint16_t sensorHeight_;
    uint8_t hasCloud_ = 0;
    float reflScale_ = 1.0f;
    std::array<float, kModelCoefCount> modelCoef_{};
    std::string name_;
    std::string modelText_;
    bool hasInfoBlock_ = false;
    bool hasImuBlock_ = false;
    std::array<uint8_t, kInfoBlockSize> infoBlock_{};
    std::array<uint8_t, kImuBlockSize> imuBlock_{};
    uint64_t unknownFrequencyPixels_ = 0;
    // Planes that often stay absent from a stream and are known to hold only zeros, so
    // that parse() need not clear them again (they travel with the buffer through the
    // plane pool). Atomic: holders on several threads may ask for writable planes.
    enum : uint8_t {
        kZeroGrayscale = 1,
        kZeroHdrIndex = 2,
        kZeroPixelMark = 4,
        kZeroFreqIndex = 8
    };
    std::atomic<uint8_t> zeroPlanes_{0};

    std::vector<uint8_t> packet_;
    std::vector<uint32_t> distance_;
    std::vector<uint32_t> rawDistance_;
    std::vector<uint16_t> amplitude_;
    std::vector<uint16_t> grayscale_;
    std::vector<float> reflectivity_;
    std::vector<uint8_t> hdrIndex_;
    std::vector<uint8_t> freqIndex_;
    std::vector<uint16_t> intTime_;
    std::vector<uint8_t> pixelMark_;
    std::vector<uint16_t> rawPhase_;
    std::vector<float> cloud_;
};

}  // namespace Movoda
