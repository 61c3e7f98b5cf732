#include "analysis/Histogram.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantory::analysis {
namespace {

struct PlaneRule {
    std::uint32_t invalidFrom;
    bool zeroIsInvalid;
    std::uint32_t noSignalCode;  // the plane's own "no signal" and "saturated" codes
    std::uint32_t saturatedCode;
};

template <typename T>
Histogram binPlane(const T* plane, int width, int height, Roi roi, int binCount, ValueRange range,
                   const PlaneRule& rule, const std::uint16_t* amplitude,
                   std::uint16_t lowAmplitudeBelow) {
    Histogram h;
    h.bins.assign(static_cast<std::size_t>(std::clamp(binCount, 1, kMaxHistogramBins)), 0);
    if (plane == nullptr || width <= 0 || height <= 0) return h;
    const Roi r = clampRoi(roi, width, height);
    h.total = pixelCount(r);
    if (h.total == 0) return h;

    auto forEachPixel = [&](auto&& fn) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = r.x; x < r.x + r.width; ++x) fn(row + static_cast<std::size_t>(x));
        }
    };
    if (!isKnown(range) || !(range.high > range.low)) {
        // No usable range: the measured values' own.
        double lo = std::numeric_limits<double>::infinity(), hi = -lo;
        forEachPixel([&](std::size_t i) {
            if (!isMeasured(plane[i], rule.invalidFrom, rule.zeroIsInvalid)) return;
            lo = std::min(lo, double(plane[i]));
            hi = std::max(hi, double(plane[i]));
        });
        range = lo <= hi ? ValueRange{lo, std::max(hi, lo + 1)} : ValueRange{0, 1};
    }
    h.low = range.low;
    h.high = range.high;

    const double perBin = static_cast<double>(h.bins.size()) / (h.high - h.low);
    const double offset = -h.low * perBin;
    const double last = static_cast<double>(h.bins.size() - 1);
    std::uint32_t* bins = h.bins.data();
    std::size_t saturated = 0, weak = 0;
    forEachPixel([&](std::size_t i) {
        const std::uint32_t v = static_cast<std::uint32_t>(plane[i]);
        const std::uint16_t a = amplitude != nullptr ? amplitude[i] : 0;
        const bool ampCode = amplitude != nullptr && a >= kAmplitudeInvalidFrom;
        const bool isSaturated = v == rule.saturatedCode || (ampCode && a == kCodeSaturated);
        const bool isWeak =
            !isSaturated &&
            (v == rule.noSignalCode || (amplitude != nullptr && !ampCode && a < lowAmplitudeBelow));
        saturated += isSaturated;
        weak += isWeak;
        if (!isMeasured(v, rule.invalidFrom, rule.zeroIsInvalid)) return;
        const double at = std::min(std::max(double(v) * perBin + offset, 0.0), last);
        ++bins[static_cast<std::size_t>(at)];
    });
    h.saturated = saturated;
    h.lowAmplitude = weak;
    return h;
}

}  // namespace

double Histogram::saturatedShare() const {
    return total == 0 ? 0.0 : static_cast<double>(saturated) / static_cast<double>(total);
}

double Histogram::lowAmplitudeShare() const {
    return total == 0 ? 0.0 : static_cast<double>(lowAmplitude) / static_cast<double>(total);
}

double Histogram::binLow(std::size_t i) const {
    return bins.empty() ? low : low + (high - low) * static_cast<double>(i) / double(bins.size());
}

Histogram histogramOf(const std::uint16_t* plane, int width, int height, Roi roi, int binCount,
                      ValueRange range, std::uint16_t invalidFrom, bool zeroIsInvalid,
                      const std::uint16_t* amplitude, std::uint16_t lowAmplitudeBelow) {
    const PlaneRule rule{invalidFrom, zeroIsInvalid, kCodeNoSignal, kCodeSaturated};
    return binPlane(plane, width, height, roi, binCount, range, rule, amplitude, lowAmplitudeBelow);
}

Histogram histogramOf(const std::uint32_t* distance, int width, int height, Roi roi, int binCount,
                      ValueRange range, const std::uint16_t* amplitude,
                      std::uint16_t lowAmplitudeBelow) {
    const PlaneRule rule{kDistanceInvalidFrom, true, Movoda::kDistanceCodeOffset + kCodeNoSignal,
                         Movoda::kDistanceCodeOffset + kCodeSaturated};
    return binPlane(distance, width, height, roi, binCount, range, rule, amplitude,
                    lowAmplitudeBelow);
}

}  // namespace vantory::analysis
