// Synthetic depth frames for the filter tests: decoded through the real frame decoder from
// packets built byte by byte, with a model whose rows are stored unmirrored, so that a
// test's (x, y) is the frame's (x, y).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "FramePacketBuilder.h"
#include "mvsdk/Frame.h"

namespace filter_test {

// Received distance code of a pixel without a measurement (decodes to 964001).
constexpr uint16_t kNoReturn = 64001;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> depth;  // row by row

    Image(int w, int h, uint16_t value) : width(w), height(h), depth(size_t(w) * h, value) {}
    uint16_t& at(int x, int y) { return depth[size_t(y) * width + x]; }
    uint16_t at(int x, int y) const { return depth[size_t(y) * width + x]; }
};

inline Image makeImage(int w, int h, const std::function<uint16_t(int, int)>& depthAt) {
    Image image(w, h, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.at(x, y) = depthAt(x, y);
    }
    return image;
}

// `tweak` may change the packet's other fields (model, region, scale).
inline std::shared_ptr<Movoda::Frame> decode(
    const Image& image, const std::function<void(vantory_test::PacketPlan&)>& tweak = {}) {
    vantory_test::PacketPlan plan;
    plan.width = static_cast<uint16_t>(image.width);
    plan.height = static_cast<uint16_t>(image.height);
    plan.model = "XK75ANY";  // this model's rows arrive unmirrored
    plan.distance = image.depth;
    plan.amplitude.assign(image.depth.size(), 1000);
    if (tweak) tweak(plan);
    return vantory_test::decodeFrame(plan);
}

// The distance a received value decodes to.
inline uint32_t decoded(uint16_t received) {
    return received >= Movoda::kRawCodeFrom ? received + Movoda::kDistanceCodeOffset : received;
}

inline uint32_t depthAt(const Movoda::Frame& frame, int x, int y) {
    return frame.distancePlane()[size_t(y) * frame.width() + x];
}

// Repeatable noise in [-amplitude, amplitude], so that tests never depend on a seed's luck
// more than on the filter.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    int operator()(int amplitude) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<int>(state_ % (2u * amplitude + 1)) - amplitude;
    }

private:
    uint32_t state_;
};

// Standard deviation of the measured depths in columns [x0, x1) and rows [y0, y1).
inline double depthSpread(const Movoda::Frame& frame, int x0, int y0, int x1, int y1) {
    double sum = 0, squares = 0;
    size_t n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t d = depthAt(frame, x, y);
            if (d == 0 || d >= Movoda::kDistanceInvalidFrom) continue;
            sum += d;
            squares += double(d) * d;
            ++n;
        }
    }
    if (n < 2) return 0;
    const double mean = sum / double(n);
    return std::sqrt(std::max(0.0, squares / double(n) - mean * mean));
}

}  // namespace filter_test
