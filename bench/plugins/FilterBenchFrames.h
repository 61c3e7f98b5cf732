// A 320 x 240 scene for the filter benchmarks: a tilted wall with depth noise, a box in
// front of it whose rims carry flying pixels, and scattered pixels without a return; a
// few noisy versions of it stand in for consecutive frames.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FramePacketBuilder.h"
#include "mvsdk/Frame.h"

namespace vantory_bench {

class SceneFrames {
public:
    static constexpr int kWidth = 320, kHeight = 240, kVariants = 8;

    SceneFrames() {
        uint32_t state = 12345;
        auto noise = [&state](int amplitude) {
            state = state * 1664525u + 1013904223u;
            return static_cast<int>((state >> 8) % (2u * amplitude + 1)) - amplitude;
        };
        vantory_test::PacketPlan plan;
        plan.model = "XK75ANY";
        plan.dataFlags = 3;
        for (int k = 0; k < kVariants; ++k) {
            std::vector<uint16_t> depth(size_t(kWidth) * kHeight);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    const bool box = x >= 100 && x < 200 && y >= 60 && y < 160;
                    const bool rim = box && (x == 100 || x == 199 || y == 60 || y == 159);
                    int mm = box ? 900 : 1800 + 2 * x + y;
                    if (rim) mm = 1350;
                    mm += noise(12);
                    const bool hole = (x * 7 + y * 13 + k) % 97 == 0;
                    depth[size_t(y) * kWidth + x] = hole ? 64001 : static_cast<uint16_t>(mm);
                }
            }
            variants_.push_back(depth);
        }
        plan.distance = variants_[0];
        plan.amplitude.assign(plan.distance.size(), 900);
        frame_ = vantory_test::decodeFrame(plan);
    }

    std::shared_ptr<Movoda::Frame> frame() { return frame_; }

    // Puts variant k into the frame, as the decoder would have left it.
    void load(int k) {
        const std::vector<uint16_t>& depth = variants_[size_t(k) % kVariants];
        uint32_t* d = frame_->distanceData();
        for (size_t i = 0; i < depth.size(); ++i) {
            d[i] = depth[i] >= 64000 ? depth[i] + 900000u : depth[i];
        }
        float* r = frame_->reflectivityData();
        for (size_t i = 0; i < depth.size(); ++i) r[i] = float(i % 50);
    }

private:
    std::vector<std::vector<uint16_t>> variants_;
    std::shared_ptr<Movoda::Frame> frame_;
};

}  // namespace vantory_bench
