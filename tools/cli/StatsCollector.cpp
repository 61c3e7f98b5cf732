#include "StatsCollector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "JsonLine.h"

namespace vantory_cli {

namespace va = vantory::analysis;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kDecimals = 3;

JsonLine planeObject(const PlaneFigures& f, bool withNoise) {
    JsonLine o;
    o.add("frames", static_cast<uint64_t>(f.frames))
        .add("validShare", f.validShare, 4)
        .add("mean", f.mean, kDecimals)
        .add("median", f.median, kDecimals)
        .add("stddev", f.stddev, kDecimals)
        .add("min", f.min, kDecimals)
        .add("max", f.max, kDecimals);
    if (withNoise) o.add("temporalNoise", f.noise, kDecimals);
    return o;
}

}  // namespace

void StatsCollector::Sums::add(const va::PlaneStats& s) {
    ++frames;
    validShare += s.validShare;
    if (s.valid == 0) return;
    min = measuredFrames == 0 ? s.min : std::min(min, s.min);
    max = measuredFrames == 0 ? s.max : std::max(max, s.max);
    ++measuredFrames;
    mean += s.mean;
    median += s.median;
    stddev += s.stddev;
}

PlaneFigures StatsCollector::Sums::figures(double noise) const {
    PlaneFigures f;
    f.frames = frames;
    f.noise = noise;
    f.validShare = frames == 0 ? 0.0 : validShare / static_cast<double>(frames);
    if (measuredFrames == 0) {
        f.mean = f.median = f.stddev = f.min = f.max = kNaN;
        return f;
    }
    const double n = static_cast<double>(measuredFrames);
    f.mean = mean / n;
    f.median = median / n;
    f.stddev = stddev / n;
    f.min = min;
    f.max = max;
    return f;
}

StatsCollector::StatsCollector(va::Roi roi, int frames)
    : roi_(roi), distanceNoise_(frames), amplitudeNoise_(frames) {}

void StatsCollector::add(const Movoda::Frame& frame) {
    const int w = frame.width(), h = frame.height();
    if (w <= 0 || h <= 0) return;
    ++frames_;
    width_ = w;
    height_ = h;
    const uint8_t planes = frame.dataFlags();
    if ((planes & Movoda::kPlaneDistance) && frame.distancePlane() != nullptr) {
        distance_.add(va::planeStats(frame.distancePlane(), w, h, roi_));
        distanceNoise_.add(frame.distancePlane(), w, h);
    }
    if ((planes & Movoda::kPlaneAmplitude) && frame.amplitudePlane() != nullptr) {
        amplitude_.add(
            va::planeStats(frame.amplitudePlane(), w, h, roi_, va::kAmplitudeInvalidFrom));
        amplitudeNoise_.add(frame.amplitudePlane(), w, h);
    }
    if (frame.reflectivityPlane() != nullptr) {
        const va::PlaneStats s = va::planeStats(frame.reflectivityPlane(), w, h, roi_);
        if (s.valid > 0 || reflectivity_.frames > 0) reflectivity_.add(s);
    }
}

std::string StatsCollector::json(const std::string& source,
                                 const std::optional<va::LinkHealthFigures>& link) const {
    const va::Roi r = va::clampRoi(roi_, width_, height_);
    JsonLine line;
    line.add("source", source)
        .add("frames", static_cast<uint64_t>(frames_))
        .add("width", width_)
        .add("height", height_);
    JsonLine roi;
    roi.add("x", r.x).add("y", r.y).add("width", r.width).add("height", r.height);
    line.add("roi", roi);
    if (distance_.frames > 0)
        line.add("distance", planeObject(distance_.figures(distanceNoise_.roiMean(roi_)), true));
    if (amplitude_.frames > 0) {
        line.add("amplitude", planeObject(amplitude_.figures(amplitudeNoise_.roiMean(roi_)), true));
    }
    if (reflectivity_.frames > 0)
        line.add("reflectivity", planeObject(reflectivity_.figures(kNaN), false));
    if (link) {
        JsonLine l;
        l.add("seconds", link->seconds, 2)
            .add("fps", link->fps, 2)
            .add("lossShare", link->lossShare, 5)
            .add("datagramsLost", link->datagramsLost)
            .add("framesBroken", link->framesBroken)
            .add("framesEvicted", link->framesEvicted)
            .add("framesLate", link->framesLate)
            .add("queueDrops", link->queueDrops)
            .add("latencyMedianMs", link->latencyMedianMs, kDecimals)
            .add("latencyP99Ms", link->latencyP99Ms, kDecimals)
            .add("amber", link->amber);
        line.add("link", l);
    }
    return line.str();
}

}  // namespace vantory_cli
