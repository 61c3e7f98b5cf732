#include "FrameCloudBuilder.h"

#include <limits>

#include "mvsdk/Frame.h"

namespace vantory::cloudview {

namespace {
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr std::uint64_t kMicrosPerSecond = 1000000;
constexpr std::uint32_t kNanosPerMicro = 1000;
}  // namespace

std::uint64_t captureStampUs(const Movoda::Frame& frame) {
    return frame.timeSec() * kMicrosPerSecond + frame.timeNsec() / kNanosPerMicro;
}

int buildFrameCloud(const Movoda::Frame& frame, const DisplayValues& display, Cloud& cloud) {
    const std::uint32_t width = frame.width();
    const std::uint32_t height = frame.height();
    const std::size_t n = static_cast<std::size_t>(width) * height;
    cloud.width = width;
    cloud.height = height;
    cloud.is_dense = false;
    cloud.header.frame_id = kFrameId;
    cloud.header.stamp = captureStampUs(frame);
    cloud.points.resize(n);

    const float* source = frame.cloudData();
    if (source == nullptr || frame.cloudPointCount() < n) {
        for (pcl::PointXYZI& p : cloud.points) {
            p.x = p.y = p.z = kNaN;
            p.intensity = 0.0f;
        }
        return kReflectAutoStart;
    }

    const float minForward = static_cast<float>(display.minDistanceMm / 1000.0);
    const float maxForward = static_cast<float>(display.maxDistanceMm / 1000.0);
    const std::size_t forward = display.coordType == kCoordCar ? 0 : 2;
    const std::uint16_t* amplitude =
        display.renderType == kRenderAmplitude ? frame.amplitudePlane() : nullptr;
    const bool amplitudeIntensity = display.renderType == kRenderAmplitude;
    const bool trackPeak = display.reflectivityAuto && display.renderType == kRenderReflectivity;
    float peak = static_cast<float>(kReflectAutoStart);

    pcl::PointXYZI* out = cloud.points.data();
    for (std::size_t i = 0; i < n; ++i, source += Movoda::Frame::kCloudStride) {
        pcl::PointXYZI& p = out[i];
        const float f = source[forward];
        if (f < minForward || f > maxForward) {
            p.x = p.y = p.z = kNaN;
            p.intensity = 0.0f;
            continue;
        }
        p.x = source[0];
        p.y = source[1];
        p.z = source[2];
        const float intensity =
            amplitudeIntensity ? (amplitude != nullptr ? static_cast<float>(amplitude[i]) : 0.0f)
                               : source[3];
        p.intensity = intensity;
        if (trackPeak && intensity < kReflectAutoCeiling && intensity > peak) peak = intensity;
    }
    return static_cast<int>(peak);
}

int reflectivityAutoMax(int r, int m) {
    if (r > m * 17 / 10 || r < m * 9 / 10) r = m * 13 / 10;
    if (r > kReflectAutoCap) r = kReflectAutoCap;
    return r;
}

std::int32_t pickedPointIndex(int column, int row, int width, int height) {
    if (column > width - 1 || column < 0) column = 0;
    if (row > height - 1 || row < 0) row = 0;
    return static_cast<std::int32_t>(row) * width + column;
}

}  // namespace vantory::cloudview
