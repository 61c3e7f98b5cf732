// Lens table, corner mask, settings and IMU extrinsic of the point-cloud processor.
#include "cloud/PointCloudProcessor.h"

#include <cmath>
#include <cstdio>

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>

#include "cloud/CloudConstants.h"
#include "mvsdk/MvLog.h"

namespace Movoda {

namespace cc = cloud_constants;

namespace {

constexpr double kMetresPerMillimetre = 0.001;
constexpr const char* kLensTag = "Movoda::PointCloudProcessor::setLensParams";

bool allFinite(const LensParams& p) {
    for (float v : {p.fx, p.fy, p.cx, p.cy, p.k1, p.k2, p.k3, p.p1, p.p2}) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

bool sameLens(const LensParams& a, const LensParams& b) {
    return a.fx == b.fx && a.fy == b.fy && a.cx == b.cx && a.cy == b.cy && a.k1 == b.k1 &&
           a.k2 == b.k2 && a.k3 == b.k3 && a.p1 == b.p1 && a.p2 == b.p2;
}

bool sameExtrinsic(const ImuExtrinsic& a, const ImuExtrinsic& b) {
    return a.qw == b.qw && a.qx == b.qx && a.qy == b.qy && a.qz == b.qz && a.tx == b.tx &&
           a.ty == b.ty && a.tz == b.tz;
}

// The extrinsic for the flipped axes: quaternion (0, 1, 0, 0) * q, translation with y and
// z negated.
ImuExtrinsic convertExtrinsic(const ImuExtrinsic& e) {
    ImuExtrinsic c;
    c.qw = -e.qx;
    c.qx = e.qw;
    c.qy = -e.qz;
    c.qz = e.qy;
    c.tx = e.tx;
    c.ty = -e.ty;
    c.tz = -e.tz;
    return c;
}

}  // namespace

PointCloudProcessor::PointCloudProcessor()
    : extrinsic_(cc::defaultExtrinsic()), convertedExtrinsic_(convertExtrinsic(extrinsic_)) {}

void PointCloudProcessor::setLensParams(const LensParams& params) {
    std::lock_guard<std::mutex> lock(mutex_);
    rebuildLocked(params, false);
}

void PointCloudProcessor::rebuildLocked(const LensParams& given, bool force) {
    // A camera with an erased calibration sends NaN: such a lens never compares equal to
    // itself, so it would rebuild the table with every frame. It counts as no calibration.
    LensParams params = given;
    if (!allFinite(given)) {
        params = cc::defaultLens();
        if (!nonFiniteLensLogged_) {
            nonFiniteLensLogged_ = true;
            std::printf("camparams not finite: used the default lens\n");
            sdkLog(LOG_WARN, kLensTag, "lens parameters hold a non-finite value; the default lens is used");
        }
    }
    // Before the first build there is no table, whatever the lens in use says. Comparing
    // with the last request too keeps a camera that sends empty parameters with every
    // frame from rebuilding the table each time.
    if (!force && ready_ && (sameLens(params, lens_) || (hasRequested_ && sameLens(params, requested_)))) {
        return;
    }
    requested_ = params;
    hasRequested_ = true;
    if (params.fx == 0.0f && params.fy == 0.0f && params.k1 == 0.0f) {
        std::printf("changed camparams is empty:used default\n");
        lens_ = cc::alternateLens();
    } else {
        lens_ = params;
    }
    std::printf("changed camparams fx=%f k1=%f\n", static_cast<double>(params.fx),
                static_cast<double>(params.k1));

    const cv::Matx33d camera(lens_.fx, 0.0, lens_.cx, 0.0, lens_.fy, lens_.cy, 0.0, 0.0, 1.0);
    const cv::Vec<double, 5> distortion(lens_.k1, lens_.k2, lens_.p1, lens_.p2, lens_.k3);

    const uint32_t w = gridWidth();
    const uint32_t h = gridHeight();
    std::vector<cv::Point2f> grid;
    grid.reserve(static_cast<size_t>(w) * h);
    for (uint32_t r = 0; r < h; ++r) {
        for (uint32_t c = 0; c < w; ++c) grid.emplace_back(static_cast<float>(c), static_cast<float>(r));
    }
    cornerMask_.assign(static_cast<size_t>(w) * h, 0);

    std::vector<cv::Point2f> undistorted;
    cv::undistortPoints(grid, undistorted, camera, distortion, cv::noArray(), camera);

    principalX_ = lens_.cx;
    principalY_ = lens_.cy;
    table_.resize(undistorted.size());
    rayX_.resize(undistorted.size());
    rayY_.resize(undistorted.size());
    rayZ_.resize(undistorted.size());
    for (size_t i = 0; i < undistorted.size(); ++i) {
        const double u = undistorted[i].x;
        const double v = undistorted[i].y;
        table_[i] = {undistorted[i].x, undistorted[i].y};
        const double rx = (u - principalX_) / lens_.fx;
        const double ry = (v - principalY_) / lens_.fy;
        const size_t stored = mirrorIndex(i, w);
        rayX_[stored] = static_cast<float>(rx);
        rayY_[stored] = static_cast<float>(ry);
        rayZ_[stored] = static_cast<float>(kMetresPerMillimetre / std::sqrt(rx * rx + ry * ry + 1.0));
    }

    applyCornerCutLocked();
    ready_ = true;
}

void PointCloudProcessor::setCutCorner(uint32_t radius) {
    std::lock_guard<std::mutex> lock(mutex_);
    cornerRadiusSetting_ = radius;
    applyCornerCutLocked();
}

void PointCloudProcessor::applyCornerCutLocked() {
    const uint32_t w = gridWidth();
    const uint32_t h = gridHeight();
    cornerMask_.assign(static_cast<size_t>(w) * h, 0);
    const uint32_t radius = cornerRadiusSetting_;
    if (radius - 1u > cc::kMaxCornerRadius - 1u) {
        cornerCutOn_ = false;
        return;
    }
    const int64_t R = smallSensor_ ? radius / cc::kSmallSensorRadiusDivisor : radius;
    cornerRadiusInUse_ = static_cast<uint32_t>(R);
    cornerCutOn_ = true;
    const int64_t W = w;
    const int64_t H = h;
    auto outside = [R](int64_t dy, int64_t dx) {
        return std::sqrt(static_cast<double>(dy * dy + dx * dx)) > static_cast<double>(R);
    };
    size_t count = 0;
    for (int64_t r = 0; r < H; ++r) {
        for (int64_t c = 0; c < W; ++c) {
            bool cut = false;
            if (c < R && r < R) {
                cut = outside(R - r, R - c);
            } else if (c < R && r > H - R) {
                cut = outside(r - H + R, R - c);
            } else if (c > W - R && r < R) {
                cut = outside(R - r, R - W + c);
            } else if (c > W - R && r > H - R) {
                cut = outside(r - H + R, R - W + c);
            }
            if (cut) {
                cornerMask_[mirrorIndex(static_cast<size_t>(r * W + c), w)] = 1;
                ++count;
            }
        }
    }
    std::printf("deledpercent = %f%%\n", count * 100.0 / (static_cast<double>(W * H) + 0.001));
}

void PointCloudProcessor::setSdkMinAmplitude(uint16_t amplitude) {
    std::lock_guard<std::mutex> lock(mutex_);
    amplitudeFloor_ = amplitude;
}

void PointCloudProcessor::setCloudCoordType(uint8_t type) {
    std::lock_guard<std::mutex> lock(mutex_);
    coordType_ = type;
}

void PointCloudProcessor::setMirror(uint8_t horizontal, uint8_t vertical) {
    std::lock_guard<std::mutex> lock(mutex_);
    horizontalSwitch_ = horizontal;
    verticalSwitch_ = vertical;
}

void PointCloudProcessor::setImuExtrinsic(const ImuExtrinsic& extrinsic) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sameExtrinsic(extrinsic, extrinsic_)) return;
    extrinsic_ = extrinsic;
    convertedExtrinsic_ = convertExtrinsic(extrinsic);
}

ImuExtrinsic PointCloudProcessor::getImuExtrinsic() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return horizontalSwitch_ && verticalSwitch_ ? convertedExtrinsic_ : extrinsic_;
}

bool PointCloudProcessor::ready() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ready_;
}

bool PointCloudProcessor::smallSensor() const { return smallSensor_; }

LensParams PointCloudProcessor::lens() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lens_;
}

uint32_t PointCloudProcessor::gridWidth() const {
    return smallSensor_ ? cc::kSmallGridWidth : cc::kFullGridWidth;
}

uint32_t PointCloudProcessor::gridHeight() const {
    return smallSensor_ ? cc::kSmallGridHeight : cc::kFullGridHeight;
}

bool PointCloudProcessor::cornerCutOn() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cornerCutOn_;
}

uint32_t PointCloudProcessor::cornerRadiusInUse() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cornerRadiusInUse_;
}

bool PointCloudProcessor::cornerMasked(uint32_t row, uint32_t column) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t i = static_cast<size_t>(row) * gridWidth() + column;
    return column < gridWidth() && i < cornerMask_.size() &&
           cornerMask_[mirrorIndex(i, gridWidth())] != 0;
}

std::pair<float, float> PointCloudProcessor::undistorted(uint32_t row, uint32_t column) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const size_t i = static_cast<size_t>(row) * gridWidth() + column;
    if (column >= gridWidth() || i >= table_.size()) return {0.0f, 0.0f};
    return table_[i];
}

}  // namespace Movoda
