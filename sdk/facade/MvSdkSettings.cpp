// MvSdk: settings that configure the SDK's own processing (point cloud, decoder, filter
// chain) and send nothing to the camera. They take effect from the next frame processed.
#include "cloud/FilterChain.h"
#include "cloud/PointCloudProcessor.h"
#include "daemon/FramePipeline.h"
#include "daemon/MvDaemon.h"
#include "frame/FrameSettings.h"
#include "mvsdk/MvSdk.h"

namespace Movoda {

void MvSdk::setCutCorner(uint32_t radius) { pipeline().cloudProcessor().setCutCorner(radius); }

void MvSdk::setSdkBinning(uint16_t x, uint16_t y) { frame_settings::setSdkBinning(x, y); }

void MvSdk::setMaxReflectivity(uint32_t limit) { frame_settings::setReflectivityLimit(limit); }

void MvSdk::setSdkMinAmplitude(uint16_t amplitude) {
    pipeline().cloudProcessor().setSdkMinAmplitude(amplitude);
}

bool MvSdk::setCloudCoordType(uint8_t type) {
    pipeline().cloudProcessor().setCloudCoordType(type);
    return type != 0;
}

void MvSdk::setMirror(uint8_t horizontal, uint8_t vertical) {
    pipeline().cloudProcessor().setMirror(horizontal, vertical);
}

void MvSdk::setLensParams(const LensParams& params) { pipeline().cloudProcessor().setLensParams(params); }

void MvSdk::setPointCloudMode(bool on) { pipeline().setPointCloudFlag(on); }

bool MvSdk::getPointCloudMode() { return pipeline().pointCloudFlag(); }

// ---- Filter chain ----

bool MvSdk::setKalmanFilter(uint16_t factorTimes1000, uint16_t threshold, uint16_t mode) {
    pipeline().filterChain().setKalmanFilter(factorTimes1000, threshold, mode);
    return true;
}

bool MvSdk::setAverageFilter(uint16_t windowSize, uint16_t mode) {
    pipeline().filterChain().setAverageFilter(windowSize, mode);
    return true;
}

bool MvSdk::setEdgeFilter(uint16_t threshold) {
    pipeline().filterChain().setEdgeFilter(threshold);
    return true;
}

bool MvSdk::setMedianFilter(uint16_t kernelSize) {
    pipeline().filterChain().setMedianFilter(kernelSize);
    return true;
}

bool MvSdk::setDustFilter(uint16_t threshold, uint16_t frames, uint16_t mode, uint16_t range) {
    pipeline().filterChain().setDustFilter(threshold, frames, mode, range);
    return true;
}

void MvSdk::setCloudFilter(float* distanceDivisor, uint8_t* enabled, uint32_t windowSize,
                           uint8_t motionSize) {
    pipeline().filterChain().setCloudFilter(distanceDivisor, enabled, windowSize, motionSize);
}

bool MvSdk::setReflectivityFilter(float* lower, float* upper) {
    pipeline().filterChain().setReflectivityFilter(lower, upper);
    return true;
}

bool MvSdk::setSmoothFilter(int* iterations, int* delta, float* alpha) {
    pipeline().filterChain().setSmoothFilter(iterations, delta, alpha);
    return true;
}

void MvSdk::setFilterOption(uint64_t option) { pipeline().filterChain().setFilterOption(option); }

}  // namespace Movoda
