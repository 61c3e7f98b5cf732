#include "FrameMeasures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "ImageColorizer.h"
#include "MeasureConstants.h"
#include "mvsdk/IFrame.h"

namespace vantory::measure {

namespace {

constexpr std::uint32_t kLargest16 = 0xFFFF;
constexpr int kDistanceRangeStep = 10;   // mm
constexpr int kAmplitudeRangeStep = 10;  // counts
constexpr int kNoiseRangeStep = 5;       // hundredths of a millimetre

colorizer::ColorRange fullRange(int lower, int upper) {
    colorizer::ColorRange range;
    range.lower = lower;
    range.upper = upper;
    return range;
}

void fillPlane(PlaneFigures& figures, const analysis::PlaneStats& stats, double noise) {
    figures.present = true;
    figures.stats = stats;
    figures.temporalNoise = noise;
}

}  // namespace

colorizer::ColorRange roundedRange(const analysis::ValueRange& range, int step) {
    step = std::max(step, 1);
    const auto round = [step](double value) {
        return static_cast<int>(std::lround(value / step)) * step;
    };
    const int lower = std::max(round(range.low), 0);
    const int upper = std::max(round(range.high), lower + step);
    return fullRange(lower, upper);
}

FrameMeasures::FrameMeasures()
    : noiseDepth_(kNoiseDepthDefault), noiseColorizer_(std::make_unique<ImageColorizer>()) {}

FrameMeasures::~FrameMeasures() = default;

void FrameMeasures::setAutoRange(Pane pane, bool on) {
    std::lock_guard<std::mutex> lock(workMutex_);
    if (pane == Pane::Distance) {
        autoDistance_.store(on);
        distanceAutoFresh_ = true;
        distanceAutoRange_.reset();
    } else {
        autoAmplitude_.store(on);
        amplitudeAutoFresh_ = true;
        amplitudeAutoRange_.reset();
    }
}

bool FrameMeasures::autoRange(Pane pane) const {
    return pane == Pane::Distance ? autoDistance_.load() : autoAmplitude_.load();
}

void FrameMeasures::setNoiseDepth(int frames) {
    noiseDepth_.store(
        std::clamp(frames, analysis::TemporalNoise::kMinDepth, analysis::TemporalNoise::kMaxDepth));
    noiseRestart_.store(true);
}

void FrameMeasures::setRoi(const analysis::Roi& roi) {
    std::lock_guard<std::mutex> lock(roiMutex_);
    roi_ = roi;
}

analysis::Roi FrameMeasures::roi() const {
    std::lock_guard<std::mutex> lock(roiMutex_);
    return roi_;
}

bool FrameMeasures::active() const {
    return statisticsWanted_.load() || histogramsWanted_.load() || noiseMap_.load() ||
           autoDistance_.load() || autoAmplitude_.load();
}

void FrameMeasures::ensureNoiseDepth() {
    const int depth = noiseDepth_.load();
    if (noiseRestart_.exchange(false) || depth != noiseDepthInUse_ || !distanceNoise_) {
        // The amplitude's history follows the same rules: 0 and codes are not measured.
        distanceNoise_ = std::make_unique<analysis::TemporalNoise>(depth);
        amplitudeNoise_ = std::make_unique<analysis::TemporalNoise>(depth);
        noiseDepthInUse_ = depth;
    }
}

void FrameMeasures::feed(const FramePlanes& planes, std::chrono::steady_clock::time_point now) {
    if (planes.width <= 0 || planes.height <= 0 || planes.distance == nullptr) return;
    const std::size_t count =
        static_cast<std::size_t>(planes.width) * static_cast<std::size_t>(planes.height);
    std::lock_guard<std::mutex> lock(workMutex_);

    const bool statistics = statisticsWanted_.load();
    const bool noiseWanted = statistics || noiseMap_.load();
    if (noiseWanted) {
        ensureNoiseDepth();
        distanceNoise_->add(planes.distance, planes.width, planes.height);
        if (statistics && planes.amplitude)
            amplitudeNoise_->add(planes.amplitude, planes.width, planes.height);
    } else if (distanceNoise_) {
        // A history with gaps would mix frames far apart; it starts again when wanted.
        distanceNoise_.reset();
        amplitudeNoise_.reset();
    }

    // Ranges, figures and the noise picture follow at most kStatsIntervalMs apart: faster
    // than the eye reads them is work for nothing on the frame thread.
    const bool due = now - lastDue_ >= std::chrono::milliseconds(kStatsIntervalMs);
    if (due) {
        lastDue_ = now;
        noiseImageStale_ = true;
    }
    if (autoDistance_.load() && (due || !distanceAutoRange_)) {
        const analysis::ValueRange frameRange = analysis::percentileRange(
            planes.distance, count, analysis::kDefaultLowShare, analysis::kDefaultHighShare);
        if (distanceAutoFresh_) distanceAuto_.reset();
        distanceAutoFresh_ = false;
        const analysis::ValueRange smooth = distanceAuto_.update(frameRange);
        if (analysis::isKnown(smooth))
            distanceAutoRange_ = roundedRange(smooth, kDistanceRangeStep);
    }
    if (autoAmplitude_.load() && planes.amplitude && (due || !amplitudeAutoRange_)) {
        const analysis::ValueRange frameRange =
            analysis::percentileRange(planes.amplitude, count, analysis::kDefaultLowShare,
                                      analysis::kDefaultHighShare, analysis::kAmplitudeInvalidFrom);
        if (amplitudeAutoFresh_) amplitudeAuto_.reset();
        amplitudeAutoFresh_ = false;
        const analysis::ValueRange smooth = amplitudeAuto_.update(frameRange);
        if (analysis::isKnown(smooth))
            amplitudeAutoRange_ = roundedRange(smooth, kAmplitudeRangeStep);
    }

    if (due && (statistics || histogramsWanted_.load())) computeResults(planes);
}

void FrameMeasures::computeResults(const FramePlanes& planes) {
    analysis::Roi roi = analysis::clampRoi(this->roi(), planes.width, planes.height);
    // A rectangle left over from a larger frame lies outside this one: the whole frame.
    if (analysis::isEmpty(roi))
        roi = analysis::clampRoi(analysis::Roi{}, planes.width, planes.height);
    MeasureResults results;
    results.statistics.roi = roi;
    results.hasAmplitude = planes.amplitude != nullptr;
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    const bool withNoise =
        statisticsWanted_.load() && distanceNoise_ && distanceNoise_->frames() >= 2;
    results.statistics.noiseFrames = distanceNoise_ ? distanceNoise_->frames() : 0;

    const analysis::PlaneStats distance =
        analysis::planeStats(planes.distance, planes.width, planes.height, roi);
    fillPlane(results.statistics.distance, distance,
              withNoise ? distanceNoise_->roiMean(roi) : unknown);
    if (planes.amplitude) {
        const analysis::PlaneStats amplitude = analysis::planeStats(
            planes.amplitude, planes.width, planes.height, roi, analysis::kAmplitudeInvalidFrom);
        const bool amplitudeNoise = withNoise && amplitudeNoise_ && amplitudeNoise_->frames() >= 2;
        fillPlane(results.statistics.amplitude, amplitude,
                  amplitudeNoise ? amplitudeNoise_->roiMean(roi) : unknown);
    }
    if (planes.reflectivity) {
        fillPlane(results.statistics.reflectivity,
                  analysis::planeStats(planes.reflectivity, planes.width, planes.height, roi),
                  unknown);
    }

    if (histogramsWanted_.load()) {
        const analysis::ValueRange distanceRange{distance.min,
                                                 std::max(distance.max, distance.min + 1.0)};
        results.distanceHistogram =
            analysis::histogramOf(planes.distance, planes.width, planes.height, roi,
                                  analysis::kDefaultHistogramBins, distanceRange, planes.amplitude);
        if (planes.amplitude) {
            const analysis::PlaneStats& a = results.statistics.amplitude.stats;
            const analysis::ValueRange amplitudeRange{a.min, std::max(a.max, a.min + 1.0)};
            results.amplitudeHistogram = analysis::histogramOf(
                planes.amplitude, planes.width, planes.height, roi, analysis::kDefaultHistogramBins,
                amplitudeRange, analysis::kAmplitudeInvalidFrom, false, planes.amplitude);
        }
    }

    std::lock_guard<std::mutex> lock(resultsMutex_);
    results.sequence = ++sequence_;
    results_ = std::move(results);
}

void FrameMeasures::adjustRanges(colorizer::ColorRange& distance,
                                 colorizer::ColorRange& amplitude) {
    std::lock_guard<std::mutex> lock(workMutex_);
    if (autoDistance_.load() && distanceAutoRange_) distance = *distanceAutoRange_;
    if (autoAmplitude_.load() && amplitudeAutoRange_) amplitude = *amplitudeAutoRange_;
}

bool FrameMeasures::paintNoiseMap(QImage& distanceImage) {
    if (!noiseMap_.load()) return false;
    std::lock_guard<std::mutex> lock(workMutex_);
    if (!distanceNoise_ || distanceImage.isNull()) return false;
    const bool sameShape = noiseImage_.size() == distanceImage.size() &&
                           noiseImage_.format() == distanceImage.format() &&
                           noiseImage_.bytesPerLine() == distanceImage.bytesPerLine();
    if (noiseImageStale_ || !sameShape) {
        if (!colorizer::ensureRgbImage(noiseImage_, distanceImage.width(), distanceImage.height()))
            return false;
        if (!renderNoise()) return false;
        noiseImageStale_ = false;
    }
    if (noiseImage_.size() != distanceImage.size() ||
        noiseImage_.format() != distanceImage.format() ||
        noiseImage_.bytesPerLine() != distanceImage.bytesPerLine())
        return false;
    std::memcpy(distanceImage.bits(), noiseImage_.constBits(),
                static_cast<std::size_t>(noiseImage_.sizeInBytes()));
    return true;
}

bool FrameMeasures::renderNoise() {
    QImage& image = noiseImage_;
    distanceNoise_->map(noiseMap_mm_);
    const std::size_t count =
        static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height());
    if (noiseMap_mm_.size() != count) return false;

    // Hundredths of a millimetre, 65535 where unknown, for the percentile range.
    noiseUnits_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float mm = noiseMap_mm_[i];
        noiseUnits_[i] = std::isnan(mm) ? std::uint16_t(kLargest16)
                                        : static_cast<std::uint16_t>(std::min<double>(
                                              std::lround(mm * kNoiseUnitsPerMm), kLargest16 - 2));
    }
    analysis::ValueRange scale{0.0, kNoiseScaleDefaultMm};
    if (autoDistance_.load()) {
        const analysis::ValueRange units =
            analysis::percentileRange(noiseUnits_.data(), count, analysis::kDefaultLowShare,
                                      analysis::kDefaultHighShare, kLargest16);
        const analysis::ValueRange smooth = noiseAuto_.update(units);
        if (analysis::isKnown(smooth)) {
            const colorizer::ColorRange rounded = roundedRange(smooth, kNoiseRangeStep);
            scale = {rounded.lower / kNoiseUnitsPerMm, rounded.upper / kNoiseUnitsPerMm};
        }
    }

    // The colouriser shows 0 as black like a missing value, so valid values are shifted
    // up by one unit and the range with them; unknown pixels stay at 0.
    const int lower = static_cast<int>(std::lround(scale.low * kNoiseUnitsPerMm)) + 1;
    const int upper =
        std::max(static_cast<int>(std::lround(scale.high * kNoiseUnitsPerMm)) + 1, lower + 1);
    noiseColorizer_->setRange(lower, upper);
    const std::uint32_t* lut = noiseColorizer_->lookup16(colorizer::kModeColor);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        const std::size_t first =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width());
        for (int x = 0; x < image.width(); ++x) {
            const std::uint16_t units = noiseUnits_[first + static_cast<std::size_t>(x)];
            const std::uint32_t rgb = units == kLargest16 ? lut[0] : lut[units + 1u];
            row[3 * x] = static_cast<uchar>(rgb >> 16);
            row[3 * x + 1] = static_cast<uchar>(rgb >> 8);
            row[3 * x + 2] = static_cast<uchar>(rgb);
        }
    }
    std::lock_guard<std::mutex> results(resultsMutex_);
    noiseScale_ = scale;
    return true;
}

std::optional<MeasureResults> FrameMeasures::resultsAfter(std::uint64_t sequence) const {
    std::lock_guard<std::mutex> lock(resultsMutex_);
    if (results_.sequence <= sequence) return std::nullopt;
    return results_;
}

analysis::ValueRange FrameMeasures::noiseScaleMm() const {
    std::lock_guard<std::mutex> lock(resultsMutex_);
    return noiseScale_;
}

int FrameMeasures::noiseMapSnapshot(std::vector<float>& out) const {
    std::lock_guard<std::mutex> lock(workMutex_);
    if (!distanceNoise_) {
        out.clear();
        return 0;
    }
    distanceNoise_->map(out);
    return distanceNoise_->frames();
}

}  // namespace vantory::measure
