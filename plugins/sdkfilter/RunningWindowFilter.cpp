#include "RunningWindowFilter.h"

#include <algorithm>
#include <cmath>

#include "LaneVector.h"

namespace Movoda::sdkfilter {

namespace {

// Without branches, and with every plane its own restrict pointer, so that it runs eight
// pixels at a time. `newest` is the ring plane this frame goes to; the leaving planes hold
// frames t - window and t - shortWindow (the same plane when the windows are equal, which
// is fine for planes only read).
SDKFILTER_HOT void windowPixels(uint32_t* __restrict distance, int32_t* __restrict newest,
                                const int32_t* __restrict leavingLongPlane,
                                const int32_t* __restrict leavingShortPlane,
                                int32_t* __restrict longSums, int32_t* __restrict shortSums,
                                int32_t* __restrict ages, size_t n, WindowSettings s) {
    const int32_t window = s.window;
    const int32_t shortWindow = s.shortWindow;
    const float floorMm = s.toleranceFloorMm;
    const float share = s.toleranceShare;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t d = distance[i];
        const bool measured = isMeasured(d);
        const int32_t z = static_cast<int32_t>(d);
        int32_t age = ages[i];
        int32_t longSum = longSums[i];
        int32_t shortSum = shortSums[i];
        const int32_t leavingLong = leavingLongPlane[i];
        const int32_t leavingShort = leavingShortPlane[i];

        const float longCount = static_cast<float>(std::max(1, std::min(age, window)));
        const float shortCount = static_cast<float>(std::max(1, std::min(age, shortWindow)));
        const float longMean = static_cast<float>(longSum) / longCount;
        const float shortMean = static_cast<float>(shortSum) / shortCount;
        const float zf = static_cast<float>(z);
        const float tolerance = std::max(floorMm, share * zf);
        const bool restart = !measured | (age == 0) | (std::fabs(zf - shortMean) > tolerance);
        const bool moved = !restart & (std::fabs(zf - longMean) > tolerance);
        age = restart ? 0 : moved ? std::min(age, shortWindow) : age;
        longSum = restart ? 0 : moved ? shortSum : longSum;
        shortSum = restart ? 0 : shortSum;

        age = std::min(age + 1, window + 1);
        longSum += z - (age > window ? leavingLong : 0);
        shortSum += z - (age > shortWindow ? leavingShort : 0);
        const int32_t count = std::min(age, window);
        const float mean = static_cast<float>(longSum) / static_cast<float>(count);

        ages[i] = measured ? age : 0;
        longSums[i] = measured ? longSum : 0;
        shortSums[i] = measured ? shortSum : 0;
        newest[i] = z;
        distance[i] = measured ? static_cast<uint32_t>(mean + 0.5f) : d;
    }
}

}  // namespace

void RunningWindowFilter::configure(const WindowSettings& settings) {
    const bool windowChanged =
        settings.window != settings_.window || settings.shortWindow != settings_.shortWindow;
    settings_ = settings;
    if (windowChanged) reset();
}

void RunningWindowFilter::reset() {
    pixels_ = 0;
    frame_ = 0;
    ring_.clear();
    longSum_.clear();
    shortSum_.clear();
    age_.clear();
}

void RunningWindowFilter::apply(FrameView& view) {
    if (view.empty() || settings_.window <= 0) return;
    const size_t n = view.pixels();
    const int window = settings_.window;
    if (n != pixels_) {
        pixels_ = n;
        frame_ = 0;
        ring_.assign(n * (static_cast<size_t>(window) + 1), 0);
        longSum_.assign(n, 0);
        shortSum_.assign(n, 0);
        age_.assign(n, 0);
    }
    // window + 1 planes: the plane written never is one still to be read.
    const size_t planes = static_cast<size_t>(window) + 1;
    const size_t slot = static_cast<size_t>(frame_);
    const size_t longSlot = (slot + 1) % planes;
    const size_t shortSlot = (slot + planes - static_cast<size_t>(settings_.shortWindow)) % planes;
    windowPixels(view.distance, ring_.data() + slot * n, ring_.data() + longSlot * n,
                 ring_.data() + shortSlot * n, longSum_.data(), shortSum_.data(), age_.data(), n,
                 settings_);
    frame_ = (frame_ + 1) % (window + 1);
}

}  // namespace Movoda::sdkfilter
