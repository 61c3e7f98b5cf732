// The frame filters end to end: the SDK streams a noisy simulated wall on 127.0.0.120
// (image port 8720), finds the built filter library beside this program, as the viewer
// and vantory-cli find it beside theirs, and the median must at least halve the wall's
// depth spread.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "E2eSupport.h"

namespace {

using namespace e2e;

constexpr const char* kCamera = "127.0.0.120";
constexpr uint16_t kImagePort = 8720;
constexpr int kPatch = 100;  // square at the image centre
constexpr size_t kMeanFrames = 30;
constexpr size_t kPooledFrames = 5;

using Frames = std::vector<std::shared_ptr<const Movoda::Frame>>;

bool measured(uint32_t d) {
    return d > 0 && d < Movoda::kDistanceInvalidFrom;
}

template <typename Visit>
void forPatch(const Movoda::Frame& frame, Visit visit) {
    const int w = frame.width(), h = frame.height();
    size_t k = 0;
    for (int y = (h - kPatch) / 2; y < (h + kPatch) / 2; ++y) {
        for (int x = (w - kPatch) / 2; x < (w + kPatch) / 2; ++x, ++k) {
            visit(k, frame.distancePlane()[size_t(y) * w + x]);
        }
    }
}

// The wall's surface in the patch: each pixel's mean depth over the frames.
std::vector<double> surface(const Frames& frames) {
    std::vector<double> sum(size_t(kPatch) * kPatch, 0), count(sum.size(), 0);
    for (const auto& frame : frames) {
        forPatch(*frame, [&](size_t k, uint32_t d) {
            if (measured(d)) sum[k] += d, count[k] += 1;
        });
    }
    for (size_t k = 0; k < sum.size(); ++k) sum[k] = count[k] > 0 ? sum[k] / count[k] : -1;
    return sum;
}

// p95 - p5 of the depths about the wall's surface, pooled over the frames.
double spread(const Frames& frames, const std::vector<double>& wall) {
    std::vector<double> residuals;
    for (const auto& frame : frames) {
        forPatch(*frame, [&](size_t k, uint32_t d) {
            if (measured(d) && wall[k] > 0) residuals.push_back(d - wall[k]);
        });
    }
    if (residuals.size() < 1000) return -1;
    std::sort(residuals.begin(), residuals.end());
    const auto at = [&](double share) { return residuals[size_t(share * (residuals.size() - 1))]; };
    return at(0.95) - at(0.05);
}

// The last `count` frames delivered once `after` frames had arrived.
Frames framesAfter(FrameSink& sink, size_t after, size_t count) {
    EXPECT_TRUE(sink.waitForCount(after + count, 8000ms));
    auto kept = sink.kept();
    const size_t take = std::min(kept.size(), count);
    return {kept.end() - static_cast<std::ptrdiff_t>(take), kept.end()};
}

TEST(SdkFilterE2e, MedianHalvesTheSpreadOfANoisyWall) {
    camsim::SimOptions options = cameraOptions(kCamera);
    // At the default noise the centre of the wall spreads by a few millimetres only, much
    // of it the rounding to whole millimetres; three times that shows the filter.
    options.noise = 3.0;
    options.config.maxFps = 20;
    auto camera = startCamera(options);
    SdkRig rig;
    rig.connect(kCamera, kCamera, kImagePort);
    ASSERT_TRUE(rig.events.waitFor("sdkState", Movoda::kEventIdFirstConnected, 1, 8000ms));
    ASSERT_TRUE(rig.sdk->start(Movoda::IMG_POINTCLOUD, false));

    const Frames rawFrames = framesAfter(rig.frames, 3, kMeanFrames);
    ASSERT_EQ(rawFrames.size(), kMeanFrames);
    const std::vector<double> wall = surface(rawFrames);
    const double raw = spread({rawFrames.end() - kPooledFrames, rawFrames.end()}, wall);
    ASSERT_GT(raw, 0) << "no measured wall in the frames";

    ASSERT_TRUE(rig.sdk->setMedianFilter(5));
    // Frames already past the filters when it was switched on are skipped.
    const double filtered =
        spread(framesAfter(rig.frames, rig.frames.count() + 3, kPooledFrames), wall);
    ASSERT_GT(filtered, 0);
    std::printf("wall spread p95-p5: raw %.1f mm, median %.1f mm\n", raw, filtered);
    EXPECT_LE(filtered, raw / 2) << "raw p95-p5 " << raw << " mm, filtered " << filtered << " mm";

    rig.sdk.reset();
    camera->stop();
}

}  // namespace
