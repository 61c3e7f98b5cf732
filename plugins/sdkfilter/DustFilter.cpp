#include "DustFilter.h"

#include <algorithm>

#include "LaneVector.h"
#include "SdkFilterConstants.h"

namespace Movoda::sdkfilter {

namespace {

// Further from every depth than any tolerance: never agrees.
constexpr int32_t kUnmeasured = 1 << 28;

SDKFILTER_HOT void readCurrent(const uint32_t* distance, size_t n, int32_t* current) {
    for (size_t i = 0; i < n; ++i) {
        current[i] = isMeasured(distance[i]) ? static_cast<int32_t>(distance[i]) : kUnmeasured;
    }
}

SDKFILTER_HOT void countAgreeing(const int32_t* current, const int32_t* past, size_t n,
                                 int32_t tolerance, uint8_t* agreeing) {
    for (size_t i = 0; i < n; ++i) {
        const int32_t d = current[i] - past[i];
        agreeing[i] = static_cast<uint8_t>(agreeing[i] + ((d <= tolerance) & (-d <= tolerance)));
    }
}

}  // namespace

int32_t DustResult::percent() const {
    if (checked == 0) return 0;
    return static_cast<int32_t>((removed * 100 + checked / 2) / checked);
}

void DustFilter::configure(const DustSettings& settings) {
    const bool framesChanged = settings.frames != settings_.frames;
    settings_ = settings;
    if (framesChanged) reset();
}

void DustFilter::reset() {
    pixels_ = 0;
    stored_ = 0;
    next_ = 0;
    history_.clear();
}

DustResult DustFilter::apply(FrameView& view) {
    DustResult result;
    if (view.empty() || settings_.frames <= 0) return result;
    const size_t n = view.pixels();
    if (n != pixels_) {
        reset();
        pixels_ = n;
        history_.assign(n * static_cast<size_t>(settings_.frames), kUnmeasured);
        current_.assign(n, 0);
        agreeing_.assign(n, 0);
    }
    readCurrent(view.distance, n, current_.data());

    if (stored_ > 0) {
        std::fill(agreeing_.begin(), agreeing_.end(), 0);
        for (int k = 0; k < stored_; ++k) {
            countAgreeing(current_.data(), history_.data() + static_cast<size_t>(k) * n, n,
                          settings_.toleranceMm, agreeing_.data());
        }
        // Kept when agreeing * 100 >= percent * stored.
        const int needed = settings_.validPercent * stored_;
        const uint32_t range = settings_.rangeMm == 0 ? kDistanceInvalidFrom : settings_.rangeMm;
        for (size_t i = 0; i < n; ++i) {
            const uint32_t d = view.distance[i];
            if (!isMeasured(d) || d > range) continue;
            ++result.checked;
            if (agreeing_[i] * 100 >= needed) continue;
            removePixel(view, i, kRemovedDust, kMarkDust);
            ++result.removed;
        }
    }

    std::copy(
        current_.begin(), current_.end(),
        history_.begin() + static_cast<std::ptrdiff_t>(next_) * static_cast<std::ptrdiff_t>(n));
    next_ = (next_ + 1) % settings_.frames;
    stored_ = std::min(stored_ + 1, settings_.frames);
    return result;
}

}  // namespace Movoda::sdkfilter
