// What the colour bars beside the panes show: the ranges and colour modes the last
// frame was coloured with.
#pragma once

#include "ColorImageBuilder.h"
#include "analysis/AutoRange.h"

namespace vantory::measure {

struct PaneScales {
    colorizer::ColorRange distance{colorizer::kDefaultDistanceLower,
                                   colorizer::kDefaultDistanceUpper};
    colorizer::ColorRange amplitude{colorizer::kDefaultAmplitudeLower,
                                    colorizer::kDefaultAmplitudeUpper};
    bool amplitudeGray = false;  // the amplitude pane shows the grayscale plane in gray
    bool noiseMap = false;       // the distance pane shows the noise map
    analysis::ValueRange noiseMm{0.0, 0.0};

    bool operator==(const PaneScales& o) const {
        return distance.lower == o.distance.lower && distance.upper == o.distance.upper &&
               amplitude.lower == o.amplitude.lower && amplitude.upper == o.amplitude.upper &&
               amplitudeGray == o.amplitudeGray && noiseMap == o.noiseMap &&
               noiseMm.low == o.noiseMm.low && noiseMm.high == o.noiseMm.high;
    }
    bool operator!=(const PaneScales& o) const { return !(*this == o); }
};

}  // namespace vantory::measure
