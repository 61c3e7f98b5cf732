// Read and change access to one decoded depth frame. Applications and filter libraries
// work on frames only through this interface; Frame is its implementation.
#pragma once

#include <cstdint>
#include <vector>

namespace Movoda {

// Distances of this value and above carry no measurement.
constexpr uint32_t kDistanceInvalidFrom = 964000;
// Offset added to a camera code (received distance of 64000 and above).
constexpr uint32_t kDistanceCodeOffset = 900000;
// Pixel removed by the point cloud's amplitude floor.
constexpr uint32_t kDistanceBelowAmplitudeFloor = 964001;
// Pixel removed by the process-wide reflectivity limit.
constexpr uint32_t kDistanceAboveReflectivityLimit = 964010;
// Received distances and amplitudes of this value and above are camera codes.
constexpr uint32_t kRawCodeFrom = 64000;

// dataFlags bits: which pixel planes a frame carries.
constexpr uint8_t kPlaneDistance = 1;
constexpr uint8_t kPlaneAmplitude = 2;
constexpr uint8_t kPlaneHdrIndex = 4;
constexpr uint8_t kPlaneGrayscale = 8;
constexpr uint8_t kPlaneRawPhase = 16;

// Pixel indices are passed as constant references to a 64-bit index; an index outside
// the plane reads as 0 and is ignored by the setters.
class IFrame {
public:
    using Index = uint64_t;

    virtual ~IFrame() = default;

    virtual uint8_t dataFlags() const = 0;
    virtual uint64_t pixelCount() const = 0;
    virtual uint32_t distance(const Index& i) const = 0;
    virtual uint16_t amplitude(const Index& i) const = 0;
    // Largest amplitude below 64000; 64000 when there is none.
    virtual float maxAmplitude() const = 0;
    virtual uint32_t rawDistance(const Index& i) const = 0;
    virtual uint16_t grayscale(const Index& i) const = 0;
    virtual float reflectivity(const Index& i) const = 0;
    virtual uint8_t hdrIndex(const Index& i) const = 0;
    virtual uint8_t pixelMark(const Index& i) const = 0;
    virtual uint8_t freqIndex(const Index& i) const = 0;
    virtual uint16_t intTime(const Index& i) const = 0;

    // First element of each plane (nullptr before the planes exist).
    virtual uint32_t* distanceData() = 0;
    virtual uint16_t* amplitudeData() = 0;
    virtual uint32_t* rawDistanceData() = 0;
    virtual uint16_t* grayscaleData() = 0;
    virtual float* reflectivityData() = 0;
    virtual uint8_t* hdrIndexData() = 0;
    virtual uint8_t* pixelMarkData() = 0;
    virtual uint8_t* freqIndexData() = 0;
    virtual uint16_t* intTimeData() = 0;

    virtual uint8_t version() const = 0;
    virtual uint16_t dataOffset() const = 0;
    virtual uint64_t frameId() const = 0;
    virtual uint16_t dataType() const = 0;
    virtual uint16_t width() const = 0;
    virtual uint16_t height() const = 0;
    virtual uint32_t sampleSize() const = 0;
    virtual uint16_t roiX0() const = 0;
    virtual uint16_t roiY0() const = 0;
    virtual uint8_t binningFlags() const = 0;
    virtual uint64_t timeSec() const = 0;
    virtual uint32_t timeNsec() const = 0;
    virtual uint8_t timeLocked() const = 0;
    virtual uint8_t timeSource() const = 0;
    virtual int16_t temperature1() const = 0;
    virtual int16_t temperature2() const = 0;
    virtual int32_t dustValue() const = 0;
    virtual uint8_t binPending() const = 0;
    virtual uint16_t binX() const = 0;
    virtual uint16_t binY() const = 0;
    virtual uint16_t sensorWidth() const = 0;
    virtual uint16_t sensorHeight() const = 0;
    virtual uint8_t hasCloud() const = 0;

    virtual void setFrameId(uint64_t id) = 0;
    virtual void setTimeSec(uint64_t seconds) = 0;
    virtual void setDistance(const Index& i, uint32_t value) = 0;
    virtual void setReflectivity(const Index& i, float value) = 0;
    virtual void setAmplitude(const Index& i, uint16_t value) = 0;
    // Bounded by the amplitude plane.
    virtual void setPixelMark(const Index& i, uint8_t value) = 0;
    virtual void setDustValue(int32_t value) = 0;

    // Decodes the pixel planes from a stored wire packet (start mark, length, payload,
    // end mark). Never reads outside the given bytes.
    virtual void parse(const std::vector<uint8_t>& packet) = 0;
};

}  // namespace Movoda
