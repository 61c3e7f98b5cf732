// The figures of "vantory-cli stats": per-plane statistics of every frame inside the
// rectangle, gathered over the frames, and the temporal noise of distance and amplitude.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "analysis/LinkHealth.h"
#include "analysis/PlaneStats.h"
#include "analysis/TemporalNoise.h"
#include "mvsdk/Frame.h"

namespace vantory_cli {

// One plane over all frames: valid share, mean, median and standard deviation are the
// means of the frames' figures (frames without a measured pixel in the rectangle count
// only in the valid share); min and max are the extremes over all frames; noise is the
// temporal noise averaged over the rectangle (NaN when not measured).
struct PlaneFigures {
    std::size_t frames = 0;
    double validShare = 0;
    double mean = 0, median = 0, stddev = 0, min = 0, max = 0;
    double noise = 0;
};

class StatsCollector {
public:
    // The temporal noise covers the last `frames` frames (10 to 100 of them).
    StatsCollector(vantory::analysis::Roi roi, int frames);

    // A decoded frame; its distance and amplitude planes are used when it carries them,
    // reflectivity when any pixel has one.
    void add(const Movoda::Frame& frame);
    std::size_t frames() const { return frames_; }

    // One JSON object: source, frames, frame size, rectangle, one object per plane
    // present, and the link figures when given.
    std::string json(const std::string& source,
                     const std::optional<vantory::analysis::LinkHealthFigures>& link) const;

private:
    struct Sums {
        std::size_t frames = 0, measuredFrames = 0;
        double validShare = 0, mean = 0, median = 0, stddev = 0;
        double min = 0, max = 0;
        void add(const vantory::analysis::PlaneStats& s);
        PlaneFigures figures(double noise) const;
    };

    vantory::analysis::Roi roi_;
    vantory::analysis::TemporalNoise distanceNoise_;
    vantory::analysis::TemporalNoise amplitudeNoise_;
    Sums distance_, amplitude_, reflectivity_;
    std::size_t frames_ = 0;
    int width_ = 0, height_ = 0;
};

}  // namespace vantory_cli
