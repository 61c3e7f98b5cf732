// Per-frame point-cloud computation.
#include <cmath>
#include <limits>

#include "cloud/CloudConstants.h"
#include "cloud/CloudRowKernel.h"
#include "cloud/PointCloudProcessor.h"

namespace Movoda {

namespace cc = cloud_constants;

namespace {
constexpr uint8_t kCameraBinRows = 1;
constexpr uint8_t kCameraBinColumns = 2;
}  // namespace

void PointCloudProcessor::generateCloud(Frame& frame) {
    const uint32_t n = static_cast<uint32_t>(frame.width()) * frame.height();
    const uint8_t camBin = frame.binningFlags();
    uint32_t threshold =
        (camBin & kCameraBinColumns) ? cc::kSmallSensorPixelsColumnBinned : cc::kSmallSensorPixels;
    if (camBin & kCameraBinRows) threshold /= 2;
    // The size the camera sent, not the size after SDK binning: a 3 x 3 binned frame of
    // the large sensor is smaller than the small sensor but still walks the large grid.
    const uint32_t sensorPixels = static_cast<uint32_t>(frame.sensorWidth()) * frame.sensorHeight();
    const bool small = sensorPixels < threshold;

    std::lock_guard<std::mutex> lock(mutex_);
    if (!ready_) return;
    if (small != smallSensor_) {
        smallSensor_ = small;
        rebuildLocked(lens_, true);
    }

    const uint32_t W = gridWidth();
    const size_t last = static_cast<size_t>(W) * gridHeight() - 1;
    const uint32_t width = frame.width();
    const uint32_t height = frame.height();
    const uint32_t rowStep = frame.binY() * ((camBin & kCameraBinRows) ? 2u : 1u);
    const uint32_t colStep = frame.binX() * ((camBin & kCameraBinColumns) ? 2u : 1u);
    const uint32_t roiX0 = frame.roiX0();
    const uint32_t roiY0 = frame.roiY0();
    const bool distAmpType = frame.dataType() == cc::kDataTypeDistanceAmplitude;
    const bool floorOn = distAmpType && amplitudeFloor_ != 0;
    const uint16_t floor = amplitudeFloor_;
    const float flipX = horizontalSwitch_ ? -1.0f : 1.0f;
    const float flipY = verticalSwitch_ ? 1.0f : -1.0f;
    const bool swapAxes = coordType_ == 1;
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

    frame.resizeCloud(n);
    float* out = frame.cloudData();
    uint32_t* dist = frame.distanceData();
    const uint16_t* amp = frame.amplitudePlane();
    const float* refl = frame.reflectivityPlane();
    const size_t planeSize = frame.pixelCount();
    if (n > planeSize || dist == nullptr) return;  // planes never allocated

    const bool cutOn = cornerCutOn_;
    const uint8_t* mask = cornerMask_.data();
    const float* rayX = rayX_.data();
    const float* rayY = rayY_.data();
    const float* rayZ = rayZ_.data();

    // The tables are in stored (mirrored) order, so the unmirrored sensor index s of a
    // pixel indexes them directly.
    auto emit = [&](size_t p, size_t s, float* o) {
        if (floorOn && (amp[p] < floor || amp[p] == cc::kAmplitudeFloorCode)) {
            o[0] = o[1] = o[2] = kNaN;
            o[3] = 0.0f;
            dist[p] = kDistanceBelowAmplitudeFloor;
            return;
        }
        if (cutOn && mask[s]) {
            o[0] = o[1] = o[2] = kNaN;
            o[3] = 0.0f;
            dist[p] = 0;
            return;
        }
        const uint32_t d = dist[p];
        o[3] = distAmpType ? refl[p] : kNaN;
        if (d >= kDistanceInvalidFrom) {
            o[0] = o[1] = o[2] = kNaN;
            return;
        }
        const float z = static_cast<float>(d) * rayZ[s];
        const float px = rayX[s] * z * flipX;
        const float py = rayY[s] * z * flipY;
        if (swapAxes) {
            o[0] = z;
            o[1] = px;
            o[2] = py;
        } else {
            o[0] = px;
            o[1] = py;
            o[2] = z;
        }
    };

    const size_t span = static_cast<size_t>(colStep) * (width ? width - 1 : 0);
    const bool plain = !swapAxes && colStep == 1;
    const bool fixUps = floorOn || cutOn;
    size_t p = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const size_t rowStart = static_cast<size_t>(roiY0 + rowStep * y) * W + roiX0;
        if (plain && rowStart + span <= last) {
            // The common case: the row kernel, free of per-point choices, then the few
            // points removed by the amplitude floor or the corner cut are overwritten.
            const cloud_kernel::RowRays rays{rayX + rowStart, rayY + rowStart, rayZ + rowStart};
            const cloud_kernel::RowSetup setup{flipX, flipY, distAmpType ? refl + p : nullptr};
            cloud_kernel::plainRow(dist + p, rays, setup, width, out, !fixUps);
            if (fixUps) {
                for (uint32_t x = 0; x < width; ++x) {
                    const uint16_t a = amp[p + x];
                    const bool floored = floorOn && (a < floor || a == cc::kAmplitudeFloorCode);
                    if (floored || (cutOn && mask[rowStart + x])) {
                        float* o = out + static_cast<size_t>(x) * Frame::kCloudStride;
                        o[0] = o[1] = o[2] = kNaN;
                        o[3] = 0.0f;
                        dist[p + x] = floored ? kDistanceBelowAmplitudeFloor : 0;
                    }
                }
            }
            out += static_cast<size_t>(width) * Frame::kCloudStride;
            p += width;
            continue;
        }
        for (uint32_t x = 0; x < width; ++x, ++p, out += Frame::kCloudStride) {
            size_t s = rowStart + static_cast<size_t>(colStep) * x;
            if (s > last) s = last;
            emit(p, s, out);
        }
    }
    cloud_kernel::finishRows();
    frame.setHasCloud(true);
}

}  // namespace Movoda
